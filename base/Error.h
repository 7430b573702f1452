#pragma once

#include <QString>

#include <stdexcept>

namespace fw {

// Every failure of a framework operation is reported as an Error carrying a text meant for the
// user. Whatever no handler catches ends in the framework's report (see Application.h).
class Error : public std::runtime_error {
 public:
  explicit Error(const QString& text) : std::runtime_error(text.toStdString()) {}
  QString Text() const { return QString::fromUtf8(what()); }
};

}  // namespace fw
