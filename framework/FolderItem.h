#pragma once

#include <QString>

#include <memory>

namespace fw {

// A reference to a file or folder, which need not exist.
class FolderItem {
 public:
  explicit FolderItem(const QString& path);

  bool Exists() const;
  bool Directory() const;
  QString Name() const;  // the file's name with its extension
  const QString& Path() const { return path_; }

 private:
  QString path_;
};

using FolderItemPtr = std::shared_ptr<FolderItem>;

}  // namespace fw
