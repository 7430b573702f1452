#include "ScriptedDialogs.h"
#include "framework/Application.h"
#include "framework/Runtime.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <memory>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // The tests draw off screen unless they are told to use a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  fw::Runtime runtime(argc, argv);
  fw::SetStartupDocuments({});
  // Every dialog is answered by the test's script; none reaches the screen.
  fw::SetDialogProvider(SharedScript());
  return RUN_ALL_TESTS();
}
