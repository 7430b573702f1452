#pragma once

#include "Error.h"

#include <QIODevice>
#include <QString>

#include <memory>

class QFile;
class QSaveFile;

namespace fw {

class FolderItem;

// The error of a file that could not be saved, for the user.
Error SaveError(const QString& fileName, const QString& reason);

// A save that failed once it had begun to write over the file itself: the file is left part
// written, and the text says so.
class PartlyWritten : public Error {
 public:
  PartlyWritten(const QString& fileName, const QString& reason);
};

// A file that is written whole before it takes the place of the old one. The bytes go to a
// temporary file beside it, which then replaces the file in one step. In a folder where the user
// may not make files, a file there that they may write is saved through a temporary file in the
// system's temporary folder, which is copied over the file once its last byte is written: only
// that copy is not atomic. Until Commit nothing touches the file, and a SaveFile that goes
// uncommitted (a stop, a failure, an exception) leaves it as it was; a temporary file outside
// the folder has no name from the start, so that not even a crash leaves it behind.
class SaveFile {
 public:
  // Opens the save with mode (WriteOnly, and Unbuffered if wanted). Throws SaveError when no
  // file can be written for it.
  SaveFile(const FolderItem& file, QIODevice::OpenMode mode);
  ~SaveFile();
  SaveFile(const SaveFile&) = delete;
  SaveFile& operator=(const SaveFile&) = delete;

  // Where the bytes go until Commit.
  QIODevice& Device();
  // Puts what was written in the file's place, once the writer has written it all (a writer told
  // of a short write ends without it). Throws SaveError, with nothing replaced, when a write has
  // failed, the last bytes cannot be written out or the replacement fails; PartlyWritten when the
  // copy over the file fails part way.
  void Commit();

 private:
  void CopyOverFile();

  QString path_;
  QString name_;
  std::unique_ptr<QSaveFile> beside_;  // the temporary file beside the file, or
  std::unique_ptr<QFile> elsewhere_;   // the one in the temporary folder
};

}  // namespace fw
