#include "SaveFile.h"

#include "ErrorText.h"
#include "FolderItem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>

namespace fw {

namespace {

// What the copy over a file reads and writes at a time.
constexpr qint64 kCopyChunk = qint64(1) << 20;

bool MayWrite(const QString& path) {
  return ::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), W_OK, AT_EACCESS) == 0;
}

// Whether path names a regular file that the user may write, in a folder where they may not make
// files: the one case in which a save cannot put a file beside it.
bool WritableInClosedFolder(const QString& path) {
  const QFileInfo file(QFileInfo(path).canonicalFilePath());  // where a link leads
  if (!file.exists() || !file.isFile()) return false;
  return MayWrite(file.filePath()) && !MayWrite(file.absolutePath());
}

// A file in the system's temporary folder, open for reading and writing, whose name is gone the
// moment it is made. Throws SaveError when none can be made.
std::unique_ptr<QFile> NamelessTemporaryFile(const QString& forName, QIODevice::OpenMode mode) {
  QByteArray pattern = QFile::encodeName(QDir::tempPath() + QStringLiteral("/quenz-save-XXXXXX"));
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) throw SaveError(forName, SystemReason(errno));
  ::unlink(pattern.constData());
  auto file = std::make_unique<QFile>();
  if (!file->open(fd, mode | QIODevice::ReadWrite, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    throw SaveError(forName, file->errorString());
  }
  return file;
}

}  // namespace

Error SaveError(const QString& fileName, const QString& reason) {
  return Error(FileFailure(fileName, FileAction::Save, reason));
}

PartlyWritten::PartlyWritten(const QString& fileName, const QString& reason)
    : Error(
          QCoreApplication::translate("fw", "“%1” could not be saved, and is left part written: %2")
              .arg(fileName, reason)) {}

SaveFile::SaveFile(const FolderItem& file, QIODevice::OpenMode mode)
    : path_(file.Path()), name_(file.Name()), beside_(std::make_unique<QSaveFile>(path_)) {
  if (beside_->open(mode)) return;
  const QString reason = beside_->errorString();
  beside_.reset();
  if (!WritableInClosedFolder(path_)) throw SaveError(name_, reason);
  elsewhere_ = NamelessTemporaryFile(name_, mode);
}

SaveFile::~SaveFile() {
  if (beside_) beside_->cancelWriting();
}

QIODevice& SaveFile::Device() {
  if (beside_) return *beside_;
  return *elsewhere_;
}

void SaveFile::Commit() {
  if (beside_) {
    // commit() does not notice when writing out the last buffered bytes fails: flush first.
    if (!beside_->flush()) throw SaveError(name_, beside_->errorString());
    if (!beside_->commit()) throw SaveError(name_, beside_->errorString());
    beside_.reset();
    return;
  }
  // A write that failed is remembered by the file: nothing of it may reach the file's place.
  if (!elsewhere_->flush() || elsewhere_->error() != QFileDevice::NoError) {
    throw SaveError(name_, elsewhere_->errorString());
  }
  CopyOverFile();
  elsewhere_.reset();
}

void SaveFile::CopyOverFile() {
  // Opened without truncation: until the first byte of the copy is written, the file stays whole.
  // Without waiting either, in case a named pipe has taken the file's place since.
  const int fd =
      ::open(QFile::encodeName(path_).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) throw SaveError(name_, SystemReason(errno));
  QFile target;
  if (!target.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                   QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    throw SaveError(name_, target.errorString());
  }
  struct stat status {};
  if (::fstat(fd, &status) != 0) throw SaveError(name_, SystemReason(errno));
  if (!S_ISREG(status.st_mode)) {
    throw SaveError(name_, QCoreApplication::translate("fw", "it is not a regular file"));
  }

  const qint64 size = elsewhere_->size();
  const auto chunk = std::make_unique_for_overwrite<char[]>(std::size_t(kCopyChunk));
  bool touched = false;
  const auto fail = [&](const QString& reason) {
    if (touched) throw PartlyWritten(name_, reason);
    throw SaveError(name_, reason);
  };
  if (!elsewhere_->seek(0)) fail(elsewhere_->errorString());
  for (qint64 done = 0; done < size;) {
    const qint64 got = elsewhere_->read(chunk.get(), std::min(kCopyChunk, size - done));
    if (got <= 0) fail(elsewhere_->errorString());
    for (qint64 put = 0; put < got;) {
      const qint64 written = target.write(chunk.get() + put, got - put);
      if (written <= 0) fail(target.errorString());
      touched = true;
      put += written;
    }
    done += got;
  }
  touched = true;
  if (!target.resize(size)) fail(target.errorString());
  if (::fsync(fd) != 0) fail(SystemReason(errno));
}

}  // namespace fw
