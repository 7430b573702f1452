// A window's close check: every close asks it, quitting stops at the first window that stays
// open, and a check that throws keeps its window.
#include "EventsWin.h"

#include <QMainWindow>

namespace {

using namespace events_test;
using CloseCheckTest = EventsTest;

// ---- closing

TEST_F(CloseCheckTest, EveryCloseAsksCancelCloseAndTrueKeepsTheWindow) {
  const auto w = Shown();
  w->keepOpen = true;
  w->Close();
  EXPECT_TRUE(w->IsOpen());
  EXPECT_TRUE(IsOpenWindow(w));
  w->Frame().close();  // the close box
  EXPECT_TRUE(w->IsOpen());
  EXPECT_FALSE(fw::Quit());
  EXPECT_FALSE(fw::Quitting());
  EXPECT_TRUE(w->IsOpen());
  EXPECT_EQ(w->closeChecks, std::vector<bool>({false, false, true})) << "the last while quitting";

  w->keepOpen = false;
  w->Close();
  EXPECT_FALSE(w->IsOpen());
  EXPECT_FALSE(IsOpenWindow(w));
  EXPECT_EQ(w->closeChecks.size(), 4u);
  w->Close();
  EXPECT_EQ(w->closeChecks.size(), 4u) << "a closed window is not closed again";
}

TEST_F(CloseCheckTest, QuittingStopsAtTheFirstWindowThatStaysOpen) {
  {
    const auto back = Shown(QStringLiteral("back"));
    const auto front = Shown(QStringLiteral("front"));
    front->keepOpen = true;
    EXPECT_FALSE(fw::Quit());
    EXPECT_TRUE(front->IsOpen());
    EXPECT_TRUE(back->IsOpen());
    EXPECT_EQ(front->closeChecks, std::vector<bool>({true}));
    EXPECT_TRUE(back->closeChecks.empty()) << "the front window is asked first";
    front->keepOpen = false;
    CloseAllWindows();
  }
  const auto back = Shown(QStringLiteral("back"));
  const auto front = Shown(QStringLiteral("front"));
  back->keepOpen = true;
  EXPECT_FALSE(fw::Quit());
  EXPECT_FALSE(front->IsOpen());
  EXPECT_TRUE(back->IsOpen());
  EXPECT_EQ(front->closeChecks, std::vector<bool>({true}));
  EXPECT_EQ(back->closeChecks, std::vector<bool>({true}));
  EXPECT_EQ(fw::OpenWindows(), std::vector<std::shared_ptr<fw::Window>>({back}));
}

TEST_F(CloseCheckTest, AnExceptionFromTheCloseCheckKeepsTheWindowOpen) {
  const auto w = Shown();
  w->onCloseCheck = [] { throw fw::Error(QStringLiteral("cannot close now")); };
  Script().ExpectMessage(QStringLiteral("cannot close now"), fw::MessageButton::Action);
  w->Close();
  EXPECT_TRUE(Script().Done());
  EXPECT_TRUE(w->IsOpen());
  EXPECT_TRUE(IsOpenWindow(w));
  w->onCloseCheck = nullptr;
  w->Close();
  EXPECT_FALSE(w->IsOpen());
}

}  // namespace
