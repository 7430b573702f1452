#pragma once

#include "base/ErrorText.h"

#include <exception>

namespace fw {

// The framework's handling of an exception that no handler caught: the user is told its text in
// a message box, and the program goes on running. Every event that the framework raises from
// outside the program (input, painting, menus, the event loop's own events) runs under it.
void ReportUnhandled(std::exception_ptr error);
// The same report, shown once the current event has been handled (for events such as painting,
// inside which no dialog may run).
void ReportUnhandledLater(std::exception_ptr error);

}  // namespace fw
