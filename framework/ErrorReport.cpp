#include "ErrorReport.h"

#include "Dialogs.h"

#include <QCoreApplication>
#include <QMetaObject>

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
