#include "FolderItem.h"

#include <QFileInfo>

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

}  // namespace fw
