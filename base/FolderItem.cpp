#include "FolderItem.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace fw {

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

std::optional<FileStamp> StampOf(const FolderItem& file) {
  struct stat status {};
  if (::stat(QFile::encodeName(file.Path()).constData(), &status) != 0) return std::nullopt;
  return StampFrom(status);
}

namespace {

qint64 Nanoseconds(const struct timespec& time) {
  return qint64(time.tv_sec) * 1000000000 + time.tv_nsec;
}

}  // namespace

FileStamp StampFrom(const struct ::stat& status) {
  return {quint64(status.st_dev), quint64(status.st_ino), qint64(status.st_size),
          Nanoseconds(status.st_mtim), Nanoseconds(status.st_ctim)};
}

}  // namespace fw
