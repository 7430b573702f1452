#pragma once

#include <exception>
#include <utility>

namespace fw {

// The framework's handling of an exception that no handler caught: the user is told its text in
// a message box, and the program goes on running. Every event that the framework raises from
// outside the program (input, painting, menus, the event loop's own events) runs under it.
void ReportUnhandled(std::exception_ptr error);
// The same report, shown once the current event has been handled (for events such as painting,
// inside which no dialog may run).
void ReportUnhandledLater(std::exception_ptr error);

// Runs f under the framework's handling; false when it ended in an exception.
template <class F>
bool Guard(F&& f) {
  try {
    std::forward<F>(f)();
    return true;
  } catch (...) {
    ReportUnhandled(std::current_exception());
    return false;
  }
}

}  // namespace fw
