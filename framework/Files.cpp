#include "Files.h"

#include "Error.h"

#include <QFileInfo>

namespace fw {

namespace {

std::vector<RegisteredFileType>& Registry() {
  static std::vector<RegisteredFileType> registry;
  return registry;
}

QStringList SuffixesOf(const QString& extensions) {
  QStringList suffixes;
  for (QString ext : extensions.split(u';', Qt::SkipEmptyParts)) {
    ext = ext.trimmed();
    if (ext.startsWith(u'.')) ext.remove(0, 1);
    if (!ext.isEmpty()) suffixes << ext;
  }
  return suffixes;
}

constexpr qsizetype kReadChunk = 64 * 1024;

}  // namespace

QString FileType::ToString() {
  if (!registered_) {
    registered_ = true;
    RegisteredFileType entry{Name, SuffixesOf(Extensions)};
    auto& registry = Registry();
    // A type registered again under a known name (a second start-up in one process) takes the
    // place of the first.
    auto it = std::find_if(registry.begin(), registry.end(),
                           [&](const RegisteredFileType& t) { return t.name == Name; });
    if (it != registry.end()) {
      *it = entry;
    } else {
      registry.push_back(entry);
    }
  }
  return Name;
}

const std::vector<RegisteredFileType>& RegisteredFileTypes() {
  return Registry();
}

const RegisteredFileType& FindFileType(const QString& name) {
  for (const auto& type : Registry()) {
    if (type.name == name) return type;
  }
  throw Error(QStringLiteral("The file type “%1” is not registered.").arg(name));
}

FolderItem::FolderItem(const QString& path) : path_(QFileInfo(path).absoluteFilePath()) {}

bool FolderItem::Exists() const {
  return QFileInfo::exists(path_);
}

bool FolderItem::Directory() const {
  return QFileInfo(path_).isDir();
}

QString FolderItem::Name() const {
  return QFileInfo(path_).fileName();
}

Error SaveError(const QString& fileName, const QString& reason) {
  return Error(QStringLiteral("“%1” could not be saved: %2").arg(fileName, reason));
}

void CommitSave(QSaveFile& file, const QString& fileName) {
  // commit() does not notice when writing out the last buffered bytes fails: flush first.
  if (!file.flush()) {
    const QString reason = file.errorString();
    file.cancelWriting();
    throw SaveError(fileName, reason);
  }
  if (!file.commit()) throw SaveError(fileName, file.errorString());
}

TextOutputStream::TextOutputStream(Key, const FolderItem& file)
    : name_(file.Name()), file_(file.Path()) {}

std::unique_ptr<TextOutputStream> TextOutputStream::Create(const FolderItem& file) {
  auto stream = std::make_unique<TextOutputStream>(Key{}, file);
  if (!stream->file_.open(QIODevice::WriteOnly)) {
    throw SaveError(stream->name_, stream->file_.errorString());
  }
  return stream;
}

TextOutputStream::~TextOutputStream() {
  if (!closed_) file_.cancelWriting();  // never leave half a document behind
}

void TextOutputStream::WriteLine(const QString& text) {
  // A failed write is remembered by the file and reported by Close.
  file_.write(text.toUtf8());
  file_.write("\n", 1);
}

void TextOutputStream::Close() {
  if (closed_) return;
  closed_ = true;
  CommitSave(file_, name_);
}

TextInputStream::TextInputStream(Key, const FolderItem& file)
    : name_(file.Name()), file_(file.Path()) {}

std::unique_ptr<TextInputStream> TextInputStream::Open(const FolderItem& file) {
  auto stream = std::make_unique<TextInputStream>(Key{}, file);
  if (QFileInfo(file.Path()).isDir() || !stream->file_.open(QIODevice::ReadOnly)) {
    const QString reason = QFileInfo(file.Path()).isDir() ? QStringLiteral("it is a folder")
                                                          : stream->file_.errorString();
    throw Error(QStringLiteral("“%1” could not be opened: %2").arg(stream->name_, reason));
  }
  return stream;
}

bool TextInputStream::Fill() {
  if (pos_ < buffer_.size()) return true;
  buffer_.resize(kReadChunk);
  const qint64 got = file_.read(buffer_.data(), kReadChunk);
  if (got < 0) {
    buffer_.clear();
    pos_ = 0;
    throw Error(QStringLiteral("“%1” could not be read: %2").arg(name_, file_.errorString()));
  }
  buffer_.resize(got);
  pos_ = 0;
  if (atStart_ && got > 0) {
    atStart_ = false;
    if (buffer_.startsWith("\xEF\xBB\xBF")) pos_ = 3;
    return pos_ < buffer_.size() || Fill();
  }
  return got > 0;
}

QString TextInputStream::ReadLine() {
  QByteArray line;
  while (Fill()) {
    const char* data = buffer_.constData();
    qsizetype end = pos_;
    while (end < buffer_.size() && data[end] != '\n' && data[end] != '\r')
      ++end;
    line.append(data + pos_, end - pos_);
    if (end == buffer_.size()) {
      pos_ = end;
      continue;  // the line goes on in the next chunk
    }
    const char terminator = data[end];
    pos_ = end + 1;
    if (terminator == '\r' && Fill() && buffer_[pos_] == '\n') ++pos_;
    break;
  }
  return QString::fromUtf8(line);
}

bool TextInputStream::Eof() {
  return !Fill();
}

void TextInputStream::Close() {
  file_.close();
}

}  // namespace fw
