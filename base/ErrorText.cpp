#include "ErrorText.h"

#include <QCoreApplication>

#include <cstring>
#include <new>
#include <stdexcept>

namespace fw {

QString PlainReason(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const Error& e) {
    return e.Text();
  } catch (const std::bad_alloc&) {
    return QCoreApplication::translate("fw", "there is not enough memory for it");
  } catch (const std::length_error&) {
    return QCoreApplication::translate("fw", "there is not enough memory for it");
  } catch (const std::runtime_error& e) {
    // A failure that the system reports in words of its own.
    return QString::fromLocal8Bit(e.what());
  } catch (...) {
    return QCoreApplication::translate("fw", "something unexpected went wrong in the program");
  }
}

QString SystemReason(int error) {
  return QString::fromLocal8Bit(std::strerror(error));
}

QString FileFailure(const QString& fileName, FileAction action, const QString& reason) {
  const QString failure = action == FileAction::Open
                              ? QCoreApplication::translate("fw", "“%1” could not be opened: %2")
                              : QCoreApplication::translate("fw", "“%1” could not be saved: %2");
  return failure.arg(fileName, reason);
}

}  // namespace fw
