#pragma once

#include "framework/Menus.h"

#include <memory>

// The application's one menu bar, shared by the application object and every window.
class MainMenuBar : public fw::MenuBar {
 public:
  MainMenuBar();

  // The shared instance, made and built on the first call.
  static std::shared_ptr<MainMenuBar> Instance();

 private:
  void Untitled0();  // the File menu
  void Untitled1();  // the Edit menu
};

// The shared instance; empty until the first call of MainMenuBar::Instance.
extern std::shared_ptr<MainMenuBar> implicitInstance;
