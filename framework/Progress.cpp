#include "Progress.h"

#include "Dialogs.h"
#include "QtDialogs.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <QWindow>

namespace fw {

namespace {

// The window comes up once the task has run kShowAfterMs, or earlier, from kEstimateAfterMs on,
// when the steps so far say that the whole task will take kLongTaskMs or more.
constexpr qint64 kEstimateAfterMs = 100;
constexpr qint64 kShowAfterMs = 400;
constexpr qint64 kLongTaskMs = 500;

// While a task runs, input goes only to the window that is modal then (the progress window, once
// it is up, or a question that the task asks), and is dropped everywhere else: no click, key or
// shortcut may reach a window, or a menu, whose work is under way. Qt's own deferral of input
// (ExcludeUserInputEvents) is no use here: on X it can leave the deferred input stuck until
// some other event arrives, the progress window's Cancel and Escape with it.
class InputOnlyToModal : public QObject {
 public:
  InputOnlyToModal() { qApp->installEventFilter(this); }
  ~InputOnlyToModal() override { qApp->removeEventFilter(this); }

 protected:
  bool eventFilter(QObject* target, QEvent* event) override {
    if (!IsInput(event->type())) return false;
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return true;
    if (auto* window = qobject_cast<QWindow*>(target)) return window != modal->windowHandle();
    // A widget, or a shortcut or action of one (the progress window's Escape is a shortcut).
    for (QObject* o = target; o; o = o->parent()) {
      if (auto* widget = qobject_cast<QWidget*>(o)) {
        return widget != modal && !modal->isAncestorOf(widget);
      }
    }
    return true;
  }

 private:
  static bool IsInput(QEvent::Type type) {
    switch (type) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
      case QEvent::ContextMenu:
      case QEvent::TouchBegin:
      case QEvent::TouchUpdate:
      case QEvent::TouchEnd:
        return true;
      default:
        return false;
    }
  }
};

// A task whose progress nobody sees and nobody stops.
class NoProgress : public Progress {
 public:
  bool Step(int /*done*/) override { return true; }
};

class QtProgress : public Progress {
 public:
  QtProgress(const QString& label, int steps, QWidget* parent)
      : label_(label), steps_(steps), parent_(parent) {
    clock_.start();
  }

  bool Step(int done) override {
    if (!dialog_ && done < steps_ && TimeToShow(done)) Show();
    if (dialog_) dialog_->setValue(done);
    return !stopped_;
  }

 private:
  bool TimeToShow(int done) const {
    const qint64 ms = clock_.elapsed();
    if (ms >= kShowAfterMs) return true;
    return ms >= kEstimateAfterMs && done > 0 && ms * steps_ >= kLongTaskMs * done;
  }

  void Show() {
    // Owned here, and gone before its parent: the task holds the window it works for.
    dialog_ = std::make_unique<QProgressDialog>(parent_);
    dialog_->setWindowTitle(DialogTitle());
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setLabelText(label_);
    dialog_->setRange(0, steps_);
    dialog_->setMinimumDuration(0);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    QObject::connect(dialog_.get(), &QProgressDialog::canceled, [this] { stopped_ = true; });
    QObject::connect(dialog_.get(), &QDialog::rejected, [this] { stopped_ = true; });
    dialog_->show();
  }

  InputOnlyToModal inputOnlyToModal_;
  QString label_;
  int steps_;
  QPointer<QWidget> parent_;
  QElapsedTimer clock_;
  std::unique_ptr<QProgressDialog> dialog_;
  bool stopped_ = false;
};

}  // namespace

std::unique_ptr<Progress> StartProgress(const QString& label, int steps) {
  std::unique_ptr<Progress> progress = Dialogs().StartProgress(label, steps);
  if (!progress) progress = std::make_unique<NoProgress>();
  return progress;
}

std::unique_ptr<Progress> MakeQtProgress(const QString& label, int steps) {
  return std::make_unique<QtProgress>(label, steps, DialogParent());
}

bool RunEventsAndStep(Progress& progress, int done) {
  QCoreApplication::processEvents();
  return progress.Step(done);
}

}  // namespace fw
