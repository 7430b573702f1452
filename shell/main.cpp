#include "framework/Application.h"
#include "shell/Startup.h"

int main(int argc, char** argv) {
  fw::Runtime runtime(argc, argv);
  RuntimePerformInitializers();
  Main();
  RuntimePerformFinalizers();
  return runtime.Exit();
}
