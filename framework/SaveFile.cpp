#include "SaveFile.h"

#include "ErrorReport.h"

#include <QSaveFile>

namespace fw {

Error SaveError(const QString& fileName, const QString& reason) {
  return Error(FileFailure(fileName, FileAction::Save, reason));
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

}  // namespace fw
