#include "ErrorReport.h"

#include "Dialogs.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <cstring>
#include <new>
#include <stdexcept>

namespace fw {

namespace {

// What the user is told of a failure: an Error's own text as it stands, any other failure as the
// last action that could not be finished, and why.
QString TextOf(std::exception_ptr error) {
  QString reason = PlainReason(error);
  try {
    std::rethrow_exception(error);
  } catch (const Error&) {
    return reason;
  } catch (...) {
  }
  if (reason.endsWith(u'.')) reason.chop(1);
  return QCoreApplication::translate("fw", "The last action could not be finished: %1.")
      .arg(reason);
}

}  // namespace

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

void ReportUnhandled(std::exception_ptr error) {
  MessageDialog dialog;
  dialog.Icon = 2;
  dialog.Message = TextOf(error);
  try {
    dialog.ShowModal();
  } catch (...) {
    // Nothing more can be done for a report that cannot be shown.
  }
}

void ReportUnhandledLater(std::exception_ptr error) {
  QMetaObject::invokeMethod(
      qApp, [error] { ReportUnhandled(error); }, Qt::QueuedConnection);
}

}  // namespace fw
