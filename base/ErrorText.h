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

// The system's words for an errno value.
QString SystemReason(int error);

// What was being done with a file when it failed.
enum class FileAction { Open, Save };
// "“fileName” could not be opened: reason", or saved, in the user's language.
QString FileFailure(const QString& fileName, FileAction action, const QString& reason);

// Runs an operation on the file named fileName. A failure of it that is not an Error is thrown on
// as an Error that names the file (see FileFailure), with the PlainReason.
template <class F>
void NamingFailures(const QString& fileName, FileAction action, F&& operation) {
  try {
    std::forward<F>(operation)();
  } catch (const Error&) {
    throw;
  } catch (...) {
    throw Error(FileFailure(fileName, action, PlainReason(std::current_exception())));
  }
}

}  // namespace fw
