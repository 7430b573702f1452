// Qt's progress window of a long task: it stays away from a short task, comes up within half a
// second of a long one, modal to the whole application over the window in front, the Cancel
// button or Escape stop the task, and no other window takes input while the task runs.
#include "support/Fixtures.h"

#include "framework/Dialogs.h"
#include "framework/Progress.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QWindow>

#include <functional>

namespace {

QProgressDialog* ShownProgressWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* dialog = qobject_cast<QProgressDialog*>(widget); dialog && dialog->isVisible()) {
      return dialog;
    }
  }
  return nullptr;
}

class ProgressWindowTest : public QuenzTest {
 protected:
  // Runs steps of about ms each on the main thread, as a save does between its bands, until the
  // window shows or the task ends; gives the steps done. before is how long the task had run at
  // the step before the window showed.
  static int RunSteps(fw::Progress& progress, int steps, int ms, qint64& before) {
    QElapsedTimer clock;
    clock.start();
    before = 0;
    for (int done = 1; done <= steps; ++done) {
      QThread::msleep(ms);
      QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
      const qint64 now = clock.elapsed();
      EXPECT_TRUE(progress.Step(done));
      if (ShownProgressWindow()) return done;
      before = now;
    }
    return steps;
  }
};

TEST_F(ProgressWindowTest, AShortTaskShowsNothing) {
  const auto w = Shown();
  Flush();
  const auto progress = fw::MakeQtProgress(QStringLiteral("Saving"), 3);
  for (int done = 1; done <= 3; ++done)
    EXPECT_TRUE(progress->Step(done));
  EXPECT_EQ(ShownProgressWindow(), nullptr);
}

TEST_F(ProgressWindowTest, WhileTheTaskRunsOnlyTheProgressWindowTakesInput) {
  const auto w = Shown();
  Flush();
  const auto clickExport = [&] { QTest::mouseClick(&w->PushButton1().Widget(), Qt::LeftButton); };
  const auto closeByKey = [&] { QTest::keyClick(&w->Frame(), Qt::Key_W, Qt::ControlModifier); };
  {
    const auto progress = fw::MakeQtProgress(QStringLiteral("Saving"), 1000);
    EXPECT_TRUE(progress->Step(1));
    ASSERT_EQ(ShownProgressWindow(), nullptr) << "before the window is up";
    clickExport();
    closeByKey();
    EXPECT_EQ(Script().dialogsShown, 0) << "the click reached the button";
    EXPECT_TRUE(w->IsOpen()) << "the shortcut reached the menu";
  }
  // Once the task has ended, the window takes input again.
  Script().ExpectSave(QStringLiteral("PNGTYPE"), QStringLiteral("Untitled.PNG"), QString());
  clickExport();
  EXPECT_EQ(Script().dialogsShown, 1);
  closeByKey();
  Flush();
  EXPECT_FALSE(w->IsOpen());
}

// What the window system hands the program before the progress window has appeared (a click in
// the logo field, typing, Ctrl+W) is handled after the task, in order, however long the task:
// the click has focused the field (the size box had the focus) before the keys come, and the
// window closes last. Once the progress window stands, input elsewhere is dropped.
TEST_F(ProgressWindowTest, InputGivenBeforeTheWindowAppearsIsHandledInOrderAfterTheTask) {
  for (const bool longTask : {false, true}) {
    SCOPED_TRACE(longTask ? "a task that shows its window" : "a task too short for it");
    CloseAllWindows();
    const auto w = Shown();
    Flush();
    w->ExpCB().Widget().setFocus();
    QWindow* const window = w->Frame().windowHandle();
    ASSERT_NE(window, nullptr);
    const QPoint field = w->LogoTF().Widget().mapTo(&w->Frame(), QPoint(4, 4));
    {
      auto progress = fw::MakeQtProgress(QStringLiteral("Saving"), 1000);
      EXPECT_TRUE(progress->Step(1));
      QTest::mouseClick(window, Qt::LeftButton, {}, field);
      QTest::keyClick(window, Qt::Key_End);
      QTest::keyClick(window, 'X');
      QTest::keyClick(window, 'Y');
      QTest::keyClick(window, Qt::Key_W, Qt::ControlModifier);
      EXPECT_TRUE(w->IsOpen()) << "not during the task";
      EXPECT_EQ(w->LogoTF().Text(), QStringLiteral("TAVURE"));
      if (longTask) {
        qint64 before = 0;
        RunSteps(*progress, 1000, 20, before);
        QProgressDialog* dialog = ShownProgressWindow();
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] {
          progress->RunPendingEvents();
          return dialog->windowHandle()->isExposed();
        }));
        QTest::keyClick(window, 'Z');  // while the window stands: dropped
      }
      // The typing is an unsaved change: Ctrl+W asks first.
      Script().ExpectMessage(QStringLiteral("Do you want to save changes"),
                             fw::MessageButton::Alternate);
    }
    Flush();
    EXPECT_TRUE(Script().Done());
    EXPECT_EQ(w->LogoTF().Text(), QStringLiteral("TAVUREXY"));
    EXPECT_EQ(w->ExpCB().Text(), QStringLiteral("309"));
    EXPECT_FALSE(w->IsOpen()) << "closed by Ctrl+W";
  }
}

TEST_F(ProgressWindowTest, ALongTaskShowsItWithinHalfASecondAndTheUserCanStopIt) {
  const struct {
    const char* how;
    std::function<void(QProgressDialog&)> stop;
  } cases[] = {
      {"Escape", [](QProgressDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
      {"the Cancel button",
       [](QProgressDialog& d) {
         QPushButton* cancel = d.findChild<QPushButton*>();
         ASSERT_NE(cancel, nullptr);
         QTest::mouseClick(cancel, Qt::LeftButton);
       }},
  };
  const auto w = Shown();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.how);
    auto progress = fw::MakeQtProgress(QStringLiteral("Saving “logo.PNG”…"), 1000);
    qint64 before = 0;
    const int done = RunSteps(*progress, 1000, 20, before);
    QProgressDialog* dialog = ShownProgressWindow();
    ASSERT_NE(dialog, nullptr);
    // At the latest with the first step once 400 ms have passed: well within half a second as
    // long as the steps are short.
    EXPECT_LT(before, 400) << "shown at step " << done;
    EXPECT_EQ(dialog->windowModality(), Qt::ApplicationModal);
    ASSERT_NE(dialog->windowHandle(), nullptr);
    EXPECT_EQ(dialog->windowHandle()->transientParent(), w->Frame().windowHandle());
    EXPECT_EQ(dialog->labelText(), QStringLiteral("Saving “logo.PNG”…"));
    EXPECT_EQ(dialog->value(), done);
    EXPECT_TRUE(progress->Step(done + 1)) << "not stopped yet";

    c.stop(*dialog);
    EXPECT_FALSE(progress->Step(done + 2));
    progress.reset();
    Flush();
    EXPECT_EQ(ShownProgressWindow(), nullptr) << "the window goes with the task";
  }
}

// The progress window is the task's alone: the window it stands over may go first.
TEST_F(ProgressWindowTest, TheProgressWindowOutlivesTheWindowItStandsOver) {
  auto w = Shown();
  auto progress = fw::MakeQtProgress(QStringLiteral("Saving"), 1000);
  qint64 before = 0;
  RunSteps(*progress, 1000, 20, before);
  const QPointer<QProgressDialog> dialog = ShownProgressWindow();
  ASSERT_FALSE(dialog.isNull());
  CloseAllWindows();
  w.reset();
  Flush();
  EXPECT_FALSE(dialog.isNull()) << "deleted with the window";
  progress.reset();  // deleted it a second time before
  EXPECT_TRUE(dialog.isNull());
}

}  // namespace
