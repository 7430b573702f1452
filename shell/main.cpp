#include "framework/Application.h"
#include "framework/Runtime.h"
#include "shell/Startup.h"

#include <QGuiApplication>
#include <QIcon>

int main(int argc, char** argv) {
  fw::Runtime runtime(argc, argv);
  // How the desktop knows the program: its icon and its desktop entry.
  QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/icon")));
  QGuiApplication::setDesktopFileName(QStringLiteral("quenz-logo-maker"));
  fw::Application::SetDisplayName(QStringLiteral("Quenz Logo Maker"));
  RuntimePerformInitializers();
  Main();
  RuntimePerformFinalizers();
  return runtime.Exit();
}
