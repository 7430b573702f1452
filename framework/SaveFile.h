#pragma once

#include "Error.h"

#include <QString>

class QSaveFile;

namespace fw {

// The error of a file that could not be saved, for the user.
Error SaveError(const QString& fileName, const QString& reason);

// Puts a fully written save file in its file's place. When the last of it cannot be written out
// or the replacement fails, nothing is replaced and SaveError is thrown.
void CommitSave(QSaveFile& file, const QString& fileName);

}  // namespace fw
