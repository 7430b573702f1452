#include "TestMain.h"

#include "ScriptedDialogs.h"
#include "framework/Application.h"
#include "framework/Runtime.h"
#include "framework/WindowList.h"

#include <QByteArray>
#include <QLocale>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

const fw::Runtime* programRuntime = nullptr;

// The whole suite also runs as one process: a test that leaves the program's state behind (an
// application object, an open window, another dialog provider) is named, and the run fails.
class NothingLeftBehind : public ::testing::EmptyTestEventListener {
 public:
  bool clean = true;

 private:
  void OnTestEnd(const ::testing::TestInfo& test) override {
    const char* left = nullptr;
    if (fw::AppObject()) {
      left = "an application object";
    } else if (!fw::OpenWindows().empty()) {
      left = "an open window";
    } else if (fw::CurrentDialogProvider() != SharedScript()) {
      left = "another dialog provider";
    }
    if (!left) return;
    std::fprintf(stdout, "%s.%s left %s behind\n", test.test_suite_name(), test.name(), left);
    clean = false;
  }
};

}  // namespace

const fw::Runtime& TestProgramRuntime() {
  return *programRuntime;
}

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // The tests draw off screen unless they are told to use a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  fw::Runtime runtime(argc, argv);
  programRuntime = &runtime;
  // The tests read the program's messages as written, whatever the machine's language; the
  // tests of the translations choose theirs.
  QLocale::setDefault(QLocale::c());
  fw::SetStartupDocuments({});
  // Every dialog is answered by the test's script; none reaches the screen.
  fw::SetDialogProvider(SharedScript());
  auto listener = std::make_unique<NothingLeftBehind>();
  const NothingLeftBehind& check = *listener;
  ::testing::UnitTest::GetInstance()->listeners().Append(listener.release());  // owns it now
  const int failed = RUN_ALL_TESTS();
  return failed != 0 || !check.clean ? 1 : 0;
}
