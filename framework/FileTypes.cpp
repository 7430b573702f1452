#include "FileTypes.h"

#include "base/Error.h"

#include <QCoreApplication>

#include <algorithm>

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

}  // namespace

QString FileType::Register() {
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
  throw Error(QCoreApplication::translate("fw", "The file type “%1” is not registered.").arg(name));
}

}  // namespace fw
