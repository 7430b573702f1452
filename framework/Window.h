#pragma once

#include "Controls.h"
#include "MenuHandlers.h"
#include "Menus.h"
#include "base/Error.h"
#include "base/FolderItem.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QLineEdit;
class QMainWindow;

namespace fw {

class WindowFrame;
class ContentArea;

struct WindowProperties {
  int width = 300;
  int height = 300;
  int minWidth = 64;
  int minHeight = 64;
  int maxWidth = 32000;
  int maxHeight = 32000;
  int frame = 0;  // 0: a document window
  QString title;
  bool closeButton = true;
  bool resizeable = true;
  bool maximizeButton = true;
  bool minimizeButton = true;
  bool fullScreenButton = false;
  bool hasBackColor = false;
  Color backColor = 0xFFFFFF;
  bool menuBarVisible = true;
};

// A top-level window: a menu bar above a content area in which the controls stand at fixed
// places. Width and Height are those of the content area.
//
// Windows are counted references. The framework holds every open window; a closed window lives
// on while something else holds it and can be shown again.
//
// A derived window calls Construct at the end of its constructor. Construct runs Layout and
// CreateControls, binds the menu handlers through AddMenuHandlers, and raises every control's
// Open event only once all controls exist and every binding is made.
class Window : public std::enable_shared_from_this<Window>, public MenuHandlers {
 public:
  Window();
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  void Show();
  // Closes the window unless its close check (Event_CancelClose) keeps it open.
  void Close();
  bool IsOpen() const;

  QString Title() const;
  void SetTitle(const QString& title);
  int Width() const;
  void SetWidth(int width);
  int Height() const;

  // The window's document and the name of its file type, which its save dialog starts beside;
  // nullptr while the window has none.
  virtual FolderItemPtr DocumentFile() const { return nullptr; }
  virtual QString DocumentFileType() const { return QString(); }

  std::shared_ptr<fw::MenuBar> MenuBar() const { return menuBar_; }
  void SetMenuBar(std::shared_ptr<fw::MenuBar> bar);

  void AddControl(const QString& name, std::shared_ptr<Control> control);
  Control* ControlByName(const QString& name) const;
  Control* ControlByNameIndex(const QString& name, int index) const;
  // The control of that name (and index) as its class; throws Error when there is none.
  template <class T>
  T& ControlAs(const QString& name, int index = kNoIndex) const {
    Control* c = index == kNoIndex ? ControlByName(name) : ControlByNameIndex(name, index);
    if (auto* typed = dynamic_cast<T*>(c)) return *typed;
    throw Error(
        QCoreApplication::translate("fw::Window", "The window has no control “%1”.").arg(name));
  }

  // The window's menu handlers (AddMenuHandler, HasMenuHandler, HandleMenu) answer while the
  // window is in front.

  // The Qt window, for dialogs' parents and for tests that drive it as a user would.
  QMainWindow& Frame() const;
  // The window's own menu action for an item name, or nullptr.
  QAction* MenuAction(const QString& itemName) const;
  // The text field that the standard Edit items act on in this window: the one that had the
  // keyboard focus last, also while a menu of the window is open; nullptr when the focus was
  // last on a widget that edits no text.
  QLineEdit* FocusedTextField() const;

 protected:
  void Construct();
  void SetProperties(const WindowProperties& properties);

  virtual void Layout() {}
  virtual void CreateControls() {}
  virtual void AddMenuHandlers(Window& /*window*/) {}
  // Raised before every close; true keeps the window open. An exception that escapes it keeps
  // the window open too, so that a failure while closing never loses the document.
  virtual bool Event_CancelClose(bool /*appQuitting*/) { return false; }

 private:
  friend class WindowFrame;
  friend class ContentArea;
  bool CloseRequested();
  void ContentResized();
  bool InNormalState() const;  // neither maximised nor full screen
  void ArrangeTabOrder();
  void FitFrameToContent(int contentWidth, int contentHeight);
  int MenuBarHeight() const;
  void NoteFocus(QWidget* now);

  std::unique_ptr<WindowFrame> frame_;
  ContentArea* content_ = nullptr;  // owned by frame_
  QSize design_;
  int normalHeight_ = 0;  // the content area's height when last in the normal state
  std::shared_ptr<fw::MenuBar> menuBar_;
  std::vector<std::shared_ptr<Control>> controls_;
  // The widget of this window that had the focus last, menus and the menu bar left out: during
  // menu navigation the application's focus widget is the menu bar or the open menu.
  QPointer<QWidget> lastFocus_;
  QMetaObject::Connection focusWatch_;
};

}  // namespace fw
