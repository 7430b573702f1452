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

// Until the progress window is due, the task lets events run without the user's input
// (ExcludeUserInputEvents), which waits in the window system's queue, in order. Once the task
// ends, the event loop is woken: on X the input kept back otherwise stays stuck until some other
// event arrives. From the moment the progress window is due, input runs again, and goes only to
// the window that is modal then (the progress window, or a question that the task asks): it is
// dropped everywhere else, as Qt's modality drops it, and no click, key or shortcut reaches a
// window, or a menu, whose work is under way. The same holds for input sent straight to a widget
// while the task runs, which no queue holds back.
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

// Puts a window without a parent over the window of parent, as a dialog of that window.
void StandOver(QWidget& dialog, QWidget* parent) {
  if (!parent) return;
  QWidget* const over = parent->window();
  dialog.winId();  // makes the native window, whose transient parent is set here
  if (QWindow* const handle = dialog.windowHandle())
    handle->setTransientParent(over->windowHandle());
  dialog.adjustSize();
  QRect place = dialog.frameGeometry();
  place.moveCenter(over->frameGeometry().center());
  dialog.move(place.topLeft());
}

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
  ~QtProgress() override {
    // Wakes the event loop for the input that waited (see InputOnlyToModal).
    QMetaObject::invokeMethod(
        qApp, [] {}, Qt::QueuedConnection);
  }

  bool Step(int done) override {
    if (!dialog_ && done < steps_ && TimeToShow(done)) Show();
    if (dialog_) dialog_->setValue(done);
    return !stopped_;
  }

  void RunPendingEvents() override {
    if (dialog_) {
      QCoreApplication::processEvents();
    } else {
      Progress::RunPendingEvents();
    }
  }

 private:
  bool TimeToShow(int done) const {
    const qint64 ms = clock_.elapsed();
    if (ms >= kShowAfterMs) return true;
    return ms >= kEstimateAfterMs && done > 0 && ms * steps_ >= kLongTaskMs * done;
  }

  void Show() {
    // Owned here alone: it has no Qt parent that could delete it under the task. It stands over
    // the window it works for as that window's transient child.
    dialog_ = std::make_unique<QProgressDialog>();
    StandOver(*dialog_, parent_);
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

void Progress::RunPendingEvents() {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

std::unique_ptr<Progress> StartProgress(const QString& label, int steps) {
  std::unique_ptr<Progress> progress = Dialogs().StartProgress(label, steps);
  if (!progress) progress = std::make_unique<NoProgress>();
  return progress;
}

std::unique_ptr<Progress> MakeQtProgress(const QString& label, int steps) {
  return std::make_unique<QtProgress>(label, steps, DialogParent());
}

bool RunEventsAndStep(Progress& progress, int done) {
  progress.RunPendingEvents();
  return progress.Step(done);
}

}  // namespace fw
