#pragma once

#include <array>

// The program's start-up and shut-down, in the order main runs them.

// The module globals at their initial values.
void RuntimePerformInitializers();
// Start-up, the event loop and, should start-up fail, the framework's report of it.
void Main();
// High-resolution support, the file types, the application object and its menu bindings.
void EarlyStartup();
void InitFileTypes();
void NewAppInstance();
void ApplicationAddMenuHandlers();
// Called back once the framework has completed its start-up; there is nothing left to do then.
void LateStartup();
// Releases the module globals, in the order of kModuleFinalizers.
void RuntimePerformFinalizers();

struct ModuleFinalizer {
  const char* global;
  void (*release)();
};
// The globals that shut-down releases, in order: the file types, the menu bar, the glyph table.
extern const std::array<ModuleFinalizer, 6> kModuleFinalizers;
