#pragma once

#include "ErrorReport.h"

#include <exception>
#include <utility>

namespace fw {

// Runs f under the framework's handling of an exception that no handler caught (see
// ReportUnhandled); false when it ended in an exception.
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
