#include "framework/Application.h"
#include "shell/App.h"
#include "shell/Startup.h"
#include "support/Fixtures.h"

#include <QTest>
#include <QTimer>

TEST(Smoke, StartsAndQuits) {
  RuntimePerformInitializers();
  bool checked = false;
  QTimer::singleShot(200, [&] {
    auto app = App::Instance();
    ASSERT_TRUE(app && app->mW);
    EXPECT_TRUE(app->mW->mNoChange);
    EXPECT_EQ(fw::OpenWindows().size(), 1u);
    EXPECT_EQ(app->mW->mExpW, 1339);
    QTest::keyClicks(&app->mW->LogoTF().Widget(), "X");
    EXPECT_TRUE(app->mW->mDuty);
    app->mW->mDuty = false;
    checked = true;
    fw::ChooseMenuItem("FileQuit");
  });
  Main();
  RuntimePerformFinalizers();
  EXPECT_TRUE(checked);
}
