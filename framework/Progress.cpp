#include "Progress.h"

#include "Dialogs.h"
#include "HeldInput.h"
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

// Input while a task runs. Until its progress window is due, the task lets events run without the
// user's input (ExcludeUserInputEvents), which waits in the window system's queue, in order. When
// the window is due, that queue is emptied, and until the window has appeared on the screen all
// input that the window system gives the program's other windows is held, to be sent again, in
// order, once the task has ended (see HeldInput): what the user gave before they could see the
// progress window is handled as if no window had come. Once it has appeared, input goes only to
// the window that is modal then (the progress window, or a question that the task asks) and is
// dropped everywhere else, as Qt's modality drops it, so that no click, key or shortcut reaches a
// window, or a menu, whose work is under way. Input sent straight to a widget, which no queue
// holds back, is dropped all along. Once the task ends, the event loop is woken: on X the input
// kept back otherwise stays stuck until some other event arrives.
class TaskInput : public QObject {
 public:
  TaskInput() { qApp->installEventFilter(this); }
  ~TaskInput() override {
    qApp->removeEventFilter(this);
    auto held = std::make_shared<HeldInput>(std::move(held_));
    QMetaObject::invokeMethod(
        qApp, [held] { held->Replay(); }, Qt::QueuedConnection);
  }
  TaskInput(const TaskInput&) = delete;
  TaskInput& operator=(const TaskInput&) = delete;

  // The progress window, about to be shown: what the queue holds now came before it.
  void Showing(QWidget& dialog) {
    QCoreApplication::processEvents();
    dialog.winId();
    dialog_ = dialog.windowHandle();
  }

 protected:
  bool eventFilter(QObject* target, QEvent* event) override {
    if (event->type() == QEvent::Expose && dialog_ && target == dialog_ && dialog_->isExposed()) {
      appeared_ = true;
    }
    if (!IsInput(event->type())) return false;
    if (IsDialogs(target)) return false;
    if (!appeared_ && event->type() == QEvent::ShortcutOverride) {
      // Taken by the focus widget, a shortcut comes to its window as a key, to be held there; it
      // is looked for again when the key is sent again.
      event->accept();
      return true;
    }
    auto* window = qobject_cast<QWindow*>(target);
    if (window && (!appeared_ || held_.Completes(*event))) held_.Hold(*window, *event);
    return true;
  }

 private:
  // Whether target is the modal window or one of its widgets (a shortcut or action of one
  // included: the progress window's Escape is a shortcut).
  static bool IsDialogs(QObject* target) {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return false;
    if (auto* window = qobject_cast<QWindow*>(target)) return window == modal->windowHandle();
    for (QObject* o = target; o; o = o->parent()) {
      if (auto* widget = qobject_cast<QWidget*>(o)) {
        return widget == modal || modal->isAncestorOf(widget);
      }
    }
    return false;
  }

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

  QPointer<QWindow> dialog_;
  bool appeared_ = false;
  HeldInput held_;
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
    input_.Showing(*dialog_);
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

  // Destroyed after the window: its replay of what it held is to find no modal window up.
  TaskInput input_;
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
