#include "TextStreams.h"

#include "ErrorText.h"
#include "FolderItem.h"
#include "SaveFile.h"
#include "Text.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <QStringDecoder>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace fw {

// A line's text. QString::fromUtf8 drops a byte order mark at the start, but within a file only
// the mark at its very start is no text (the stream skips that one): a line's own U+FEFF stays.
QString DecodeLine(QByteArrayView bytes) {
  const QByteArrayView mark("\xEF\xBB\xBF");
  qsizetype marks = 0;
  while (bytes.sliced(marks * 3).startsWith(mark))
    ++marks;
  if (marks == 0) return QString::fromUtf8(bytes);
  return QString(marks, QChar(0xFEFF)) + QString::fromUtf8(bytes.sliced(marks * 3));
}

bool IsUtf8(QByteArrayView bytes) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
  const QString decoded = decoder.decode(bytes);  // the decoder knows of an error once it has run
  return !decoder.hasError();
}

namespace {

// What a stream reads at a time. The lines of a document are shorter, all but line 1 of a long
// logo, which is read on over as many reads as it takes.
constexpr qsizetype kReadChunk = 1024;

Error OpenError(const QString& fileName, const QString& reason) {
  return Error(FileFailure(fileName, FileAction::Open, reason));
}

// What a file that is not a regular one is, in plain words.
QString KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return QCoreApplication::translate("fw", "it is a folder");
  if (S_ISFIFO(mode))
    return QCoreApplication::translate("fw", "it is a named pipe (FIFO), not a file");
  if (S_ISCHR(mode) || S_ISBLK(mode))
    return QCoreApplication::translate("fw", "it is a device, not a file");
  if (S_ISSOCK(mode)) return QCoreApplication::translate("fw", "it is a socket, not a file");
  return QCoreApplication::translate("fw", "it is not a regular file");
}

QString Bytes(qint64 bytes) {
  return QCoreApplication::translate("fw", "%1 bytes")
      .arg(QLocale(QLocale::English).toString(bytes));
}

// A limit as people say it: "16 MiB".
QString LimitText(qint64 bytes) {
  constexpr qint64 kMiB = 1024 * 1024;
  if (bytes >= kMiB && bytes % kMiB == 0) return QStringLiteral("%1 MiB").arg(bytes / kMiB);
  return Bytes(bytes);
}

QString TooLarge(qint64 size, qint64 maxBytes) {
  return QCoreApplication::translate("fw", "at %1 it is larger than %2, the most that is read")
      .arg(Bytes(size), LimitText(maxBytes));
}

// Closes a descriptor unless it is handed on.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return fd_; }
  int Release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

}  // namespace

RefusedFile::RefusedFile(const QString& fileName, const QString& reason)
    : Error(QCoreApplication::translate("fw", "“%1” was not read: %2").arg(fileName, reason)),
      reason_(reason) {}

TextOutputStream::TextOutputStream(Key, const FolderItem& file)
    : file_(file, QIODevice::WriteOnly), out_(file_.Device()) {}

std::unique_ptr<TextOutputStream> TextOutputStream::Create(const FolderItem& file) {
  return std::make_unique<TextOutputStream>(Key{}, file);
}

// A stream dropped unclosed leaves the old file as it was (see SaveFile).
TextOutputStream::~TextOutputStream() = default;

void TextOutputStream::WriteLine(const QString& text) {
  // A failed write is remembered by the file and reported by Close. A line end inside the text
  // would make two lines of it: it is written as a blank, as a text field shows it.
  const QString line = OneLine(text);
  // A reader takes a byte order mark at the start of a file for no text at all: a first line
  // that begins with U+FEFF is written after a mark of its own, so that it reads back whole.
  if (atStart_) {
    atStart_ = false;
    if (line.startsWith(QChar(0xFEFF))) out_.write("\xEF\xBB\xBF", 3);
  }
  // Encoded into a buffer of the stream's own, which a document's many short lines reuse.
  encoded_.resize(encoder_.requiredSpace(line.size()) + 1);
  char* const end = encoder_.appendToBuffer(encoded_.data(), line);
  *end = '\n';
  out_.write(encoded_.constData(), end + 1 - encoded_.constData());
}

void TextOutputStream::WriteLineBytes(QByteArrayView bytes) {
  // As in WriteLine: a mark that starts the bytes would be taken for the file's own.
  if (atStart_) {
    atStart_ = false;
    if (bytes.startsWith("\xEF\xBB\xBF")) out_.write("\xEF\xBB\xBF", 3);
  }
  out_.write(bytes.data(), bytes.size());
  out_.write("\n", 1);
}

void TextOutputStream::Close() {
  if (closed_) return;
  closed_ = true;
  file_.Commit();
}

TextInputStream::TextInputStream(Key, const FolderItem& file) : name_(file.Name()) {}

TextInputStream::~TextInputStream() {
  Close();
}

std::unique_ptr<TextInputStream> TextInputStream::Open(const FolderItem& file, qint64 maxBytes) {
  auto stream = std::make_unique<TextInputStream>(Key{}, file);
  const QString& name = stream->name_;
  const QByteArray path = QFile::encodeName(file.Path());

  // Anything but a regular file is refused before it is opened: opening a device can have
  // effects of its own.
  struct stat status {};
  if (::stat(path.constData(), &status) != 0) throw OpenError(name, SystemReason(errno));
  if (!S_ISREG(status.st_mode)) throw RefusedFile(name, KindOf(status.st_mode));

  // Opened without waiting, in case a named pipe has taken the file's place since, and checked
  // again on the open descriptor, whose file nothing can replace.
  Descriptor fd(::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.Get() < 0) throw OpenError(name, SystemReason(errno));
  if (::fstat(fd.Get(), &status) != 0) throw OpenError(name, SystemReason(errno));
  if (!S_ISREG(status.st_mode)) throw RefusedFile(name, KindOf(status.st_mode));
  if (status.st_size > maxBytes) throw RefusedFile(name, TooLarge(status.st_size, maxBytes));

  // O_NONBLOCK means nothing to the reads of a regular file: the descriptor is read as it is.
  stream->stamp_ = StampFrom(status);
  stream->fd_ = fd.Release();
  stream->maxBytes_ = maxBytes;
  return stream;
}

bool TextInputStream::Fill() {
  if (pos_ < buffer_.size()) return true;
  buffer_.resize(kReadChunk);
  qint64 got = -1;
  do {
    got = fd_ < 0 ? 0 : ::read(fd_, buffer_.data(), std::size_t(kReadChunk));
  } while (got < 0 && errno == EINTR);
  if (got < 0) {
    const int error = errno;
    buffer_.clear();
    pos_ = 0;
    throw Error(QCoreApplication::translate("fw::TextInputStream", "“%1” could not be read: %2")
                    .arg(name_, SystemReason(error)));
  }
  buffer_.resize(got);
  pos_ = 0;
  read_ += got;
  if (read_ > maxBytes_) {
    buffer_.clear();
    throw Error(QCoreApplication::translate(
                    "fw::TextInputStream",
                    "“%1” could not be read: it has grown past %2, the most that is read")
                    .arg(name_, LimitText(maxBytes_)));
  }
  if (atStart_ && got > 0) {
    atStart_ = false;
    if (buffer_.startsWith("\xEF\xBB\xBF")) pos_ = 3;
    return pos_ < buffer_.size() || Fill();
  }
  return got > 0;
}

QString TextInputStream::ReadLine() {
  QByteArray spill;
  return DecodeLine(NextLine(spill));
}

QByteArray TextInputStream::ReadLineBytes() {
  QByteArray spill;
  return NextLine(spill).toByteArray();
}

QByteArrayView TextInputStream::NextLine(QByteArray& spill) {
  while (Fill()) {
    const char* data = buffer_.constData();
    qsizetype end = pos_;
    while (end < buffer_.size() && data[end] != '\n' && data[end] != '\r')
      ++end;
    if (end == buffer_.size()) {
      spill.append(data + pos_, end - pos_);
      pos_ = end;
      continue;  // the line goes on in the next chunk
    }
    const QByteArrayView rest(data + pos_, end - pos_);
    const char terminator = data[end];
    pos_ = end + 1;
    if (terminator == '\r' && pos_ == buffer_.size()) {
      // The LF that may follow is in the next chunk, which takes this one's place: keep the line.
      spill.append(rest);
      if (Fill() && buffer_[pos_] == '\n') ++pos_;
      return spill;
    }
    if (terminator == '\r' && buffer_[pos_] == '\n') ++pos_;
    if (spill.isEmpty()) return rest;
    spill.append(rest);
    return spill;
  }
  return spill;
}

bool TextInputStream::Eof() {
  return !Fill();
}

void TextInputStream::Close() {
  if (fd_ >= 0) ::close(std::exchange(fd_, -1));
}

}  // namespace fw
