// Letting the pending events run from inside a task.
#include "EventsWin.h"

#include <QMetaObject>

namespace {

using namespace events_test;
using EventLoopTest = EventsTest;

// ---- DoEvents

TEST_F(EventLoopTest, DoEventsRunsThePendingEvents) {
  const auto w = Shown();
  Flush();
  bool ran = false;
  QMetaObject::invokeMethod(
      qApp, [&] { ran = true; }, Qt::QueuedConnection);
  w->paints = 0;
  w->Pad().Refresh();
  EXPECT_FALSE(ran);
  EXPECT_EQ(w->paints, 0) << "a refresh paints later";
  fw::Application::DoEvents(-1);
  EXPECT_TRUE(ran);
  EXPECT_GE(w->paints, 1);
}

}  // namespace
