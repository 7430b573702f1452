#pragma once

#include "Files.h"
#include "Menus.h"

#include <QString>
#include <QStringList>

#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QApplication;
class QLocale;

namespace fw {

class Window;

// The application object: one per run, registered with the framework, which raises the
// application's events on it and asks it for the menu items that no window in front answers.
class Application {
 public:
  Application() = default;
  virtual ~Application() = default;
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  std::shared_ptr<fw::MenuBar> MenuBar() const { return menuBar_; }
  void SetMenuBar(std::shared_ptr<fw::MenuBar> bar) { menuBar_ = std::move(bar); }

  void AddMenuHandler(const QString& itemName, std::function<bool()> handler);
  bool HasMenuHandler(const QString& itemName) const;
  bool HandleMenu(const QString& itemName);

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
  std::map<QString, std::function<bool()>> menuHandlers_;
};

// The framework's runtime for one run of the program. It makes the QApplication (unless one
// exists) and takes the command line's paths as documents for the desktop to open. On
// destruction it lets go of the application object and every window before the QApplication.
// A runtime made while another lives (a test of start-up inside the test program's own) starts
// afresh and, when it goes, gives the outer one back its state and dialog provider untouched.
class Runtime {
 public:
  Runtime(int& argc, char** argv);
  ~Runtime();
  Runtime(const Runtime&) = delete;
  Runtime& operator=(const Runtime&) = delete;

  // The process exit status: the event loop's, or 1 when start-up ended in an exception.
  int Exit() const;

 private:
  struct Outer;
  std::unique_ptr<Outer> outer_;
  std::unique_ptr<QApplication> ownApp_;
};

// The documents that the desktop hands over at start-up; the Runtime fills it from the command
// line.
void SetStartupDocuments(const QStringList& paths);

void RegisterAppObject(std::shared_ptr<Application> app);
std::shared_ptr<Application> AppObject();

// Puts Qt's own texts and the program's messages into the language of the locale, in place of
// those of an earlier call; a language without translations leaves the English texts.
void InstallTranslations(const QLocale& locale);
// Completes the framework's start-up, in the desktop's language, and calls the late start-up
// hook.
void RunFrameworkInitialization(const std::function<void()>& lateStartup);
// The event loop. The Open event comes first, then one open-document event per start-up
// document, in order, each raised once the one before it has been handled. Returns the exit
// code when the application quits.
int RuntimeRun();
// The handling of an exception that escaped start-up: it is reported, and the exit status
// becomes non-zero.
void UnhandledException(std::exception_ptr error);

// Drops a reference to a window once the events pending now have been handled, so that no window
// is destroyed inside one of its own events (or a handler that lets events run).
void ReleaseWhenIdle(std::shared_ptr<Window> window);

// The open windows, the one in front first.
std::vector<std::shared_ptr<Window>> OpenWindows();
std::shared_ptr<Window> FrontWindow();
// Chooses a menu item as the user does in the given window (the front window when none): the
// window's handler first, then the application object's, then the framework's own behaviour
// for the quit item and the standard Edit items.
void ChooseMenuItem(const QString& itemName, Window* window = nullptr);
// Closes every window through its close check, front first; stops and returns false at the
// first that stays open. Otherwise the event loop ends.
bool Quit();
bool Quitting();

namespace detail {
// The window tells the framework of its showing, activation and closing.
void WindowShown(const std::shared_ptr<Window>& window);
void WindowActivated(const Window* window);
void WindowClosed(const Window* window);
}  // namespace detail

}  // namespace fw
