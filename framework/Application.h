#pragma once

#include "MenuHandlers.h"
#include "Menus.h"
#include "base/FolderItem.h"

#include <QString>

#include <memory>

namespace fw {

class Window;

// The application object: one per run, registered with the framework, which raises the
// application's events on it and asks it for the menu items that no window in front answers.
class Application : public MenuHandlers {
 public:
  Application() = default;
  virtual ~Application() = default;
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  std::shared_ptr<fw::MenuBar> MenuBar() const { return menuBar_; }
  void SetMenuBar(std::shared_ptr<fw::MenuBar> bar) { menuBar_ = std::move(bar); }

  // Lets the pending events run, then returns. Only -1 is supported: run what is pending now.
  static void DoEvents(int milliseconds = -1);
  // Qt 6 always draws for high-resolution displays; the switch is kept for the record.
  static void SetSupportsHiDPI(bool on);
  static bool SupportsHiDPI();
  // The program's name as users know it, which titles its dialogs and message boxes.
  static void SetDisplayName(const QString& name);
  static QString DisplayName();

  // Raised once, once the event loop runs, before any open-document request or menu command.
  virtual void Event_Open() {}
  // A document handed to the application by the desktop (a path on the command line).
  virtual void Event_OpenDocument(FolderItemPtr /*item*/) {}

 private:
  std::shared_ptr<fw::MenuBar> menuBar_;
};

void RegisterAppObject(std::shared_ptr<Application> app);
std::shared_ptr<Application> AppObject();

// Chooses a menu item as the user does in the given window (the front window when none): the
// window's handler first, then the application object's, then the framework's own behaviour
// for the quit item and the standard Edit items.
void ChooseMenuItem(const QString& itemName, Window* window = nullptr);

}  // namespace fw
