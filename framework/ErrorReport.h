#pragma once

#include "Error.h"

#include <QString>

#include <exception>
#include <utility>

namespace fw {

// Plain words for why an operation failed: an Error's own text, or for any other exception (memory
// that ran out, a size beyond what the program can hold) what went wrong, never the exception's
// own name.
QString PlainReason(std::exception_ptr error);

// Runs an operation on the file named fileName. A failure of it that is not an Error is thrown on
// as an Error that names the file: "“fileName” could not be <done>: <PlainReason>".
template <class F>
void NamingFailures(const QString& fileName, const QString& done, F&& operation) {
  try {
    std::forward<F>(operation)();
  } catch (const Error&) {
    throw;
  } catch (...) {
    throw Error(QStringLiteral("“%1” could not be %2: %3")
                    .arg(fileName, done, PlainReason(std::current_exception())));
  }
}

// The framework's handling of an exception that no handler caught: the user is told its text in
// a message box, and the program goes on running. Every event that the framework raises from
// outside the program (input, painting, menus, the event loop's own events) runs under it.
void ReportUnhandled(std::exception_ptr error);
// The same report, shown once the current event has been handled (for events such as painting,
// inside which no dialog may run).
void ReportUnhandledLater(std::exception_ptr error);

}  // namespace fw
