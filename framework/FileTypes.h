#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace fw {

// A file type as the program declares it. Register() registers it with the framework, once; from
// then on the file dialogs take its name as their filter.
class FileType {
 public:
  QString Name;
  QString Extensions;  // one or more, separated by ";"; a leading "." is optional
  QString MacType;
  QString MacCreator;
  QString MimeType;
  bool Imported = false;
  QString ConformsTo;

  // Registers the type on the first call and nothing on a later one; gives the type's name.
  QString Register();

 private:
  bool registered_ = false;
};

// What the registry keeps of a registered type: enough to filter a file dialog.
struct RegisteredFileType {
  QString name;
  QStringList suffixes;  // without the leading ".", as declared (case is not significant)
};

// The registered types in the order of their registration.
const std::vector<RegisteredFileType>& RegisteredFileTypes();
// The registered type of that name; throws Error when there is none.
const RegisteredFileType& FindFileType(const QString& name);

}  // namespace fw
