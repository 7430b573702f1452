#pragma once

#include <QString>

#include <memory>
#include <optional>

struct stat;

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

// What tells one version of a file from another: the file itself (device and inode), its size and
// the times of its last change. A file rewritten in place, or replaced by another, has another:
// the system sets the change time at every write, also when a writer puts the modification time
// back as it was.
struct FileStamp {
  quint64 device = 0;
  quint64 inode = 0;
  qint64 size = 0;
  qint64 modifiedNs = 0;  // since the epoch
  qint64 changedNs = 0;   // of the file's status, since the epoch
  bool operator==(const FileStamp&) const = default;
};
// The stamp of the file now; nothing when there is none at its path.
std::optional<FileStamp> StampOf(const FolderItem& file);
// The stamp of a file as the system describes it (stat, fstat).
FileStamp StampFrom(const struct ::stat& status);

}  // namespace fw
