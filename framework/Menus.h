#pragma once

#include <QKeySequence>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QLineEdit;
class QMenuBar;
class QWidget;

namespace fw {

class MenuItem;
using MenuItemPtr = std::shared_ptr<MenuItem>;

// One menu or menu item. A Text of "-" shows as a separator line. KeyboardShortcut "Cmd+N" is
// N with the Command key, which on Linux is Ctrl+N. Handlers are bound to an item's Name, never
// to the item itself (see Window::AddMenuHandler and Application::AddMenuHandler).
class MenuItem {
 public:
  MenuItem() = default;
  virtual ~MenuItem() = default;
  MenuItem(const MenuItem&) = delete;
  MenuItem& operator=(const MenuItem&) = delete;

  QString Name;
  bool AutoEnable = false;
  QString Text;
  bool Visible = true;
  QString KeyboardShortcut;

  // Adds a child after the existing ones: a menu to a bar, an item to a menu.
  void Append(MenuItemPtr child);
  // The child whose Name is name, or nullptr.
  MenuItemPtr Child(const QString& name) const;
  int Count() const { return int(children_.size()); }
  const MenuItemPtr& Item(int index) const { return children_.at(std::size_t(index)); }
  // The item of that name anywhere below this one, or nullptr.
  const MenuItem* Find(const QString& name) const;

  bool IsSeparator() const { return Text == u"-"; }
  virtual bool IsQuitItem() const { return false; }

 private:
  std::vector<MenuItemPtr> children_;
};

// The item whose choice quits the application, once every window's close check has agreed.
class QuitMenuItem : public MenuItem {
 public:
  bool IsQuitItem() const override { return true; }
};

class MenuBar : public MenuItem {};

// The program's one shared menu bar, which every window makes its own. The program says at
// start-up how it is reached (made on first use, say); nullptr until it has.
void SetSharedMenuBar(std::function<std::shared_ptr<MenuBar>()> instance);
std::shared_ptr<MenuBar> SharedMenuBar();

// The key sequence of a shortcut text: "Cmd+" becomes Ctrl on Linux; the empty text is none.
QKeySequence ShortcutOf(const QString& shortcut);

// The default editing that the framework gives the focused text field for the standard Edit
// items ("EditUndo", "EditCut", "EditCopy", "EditPaste", "EditClear", "EditSelectAll"). Returns
// false for any other item name.
bool IsStandardEditItem(const QString& name);
// The text that a widget edits: a line edit's own, or an editable combo box's; nullptr for any
// other widget.
QLineEdit* TextFieldOf(QWidget* widget);
// Applies a standard Edit item to a text field (nothing when there is none, or when the item
// cannot act on it now).
void ApplyStandardEdit(const QString& name, QLineEdit* field);

// Fills a window's Qt menu bar from the menu model; choosing an item calls choose with its name.
// editTarget gives the text field that the standard Edit items act on in that window.
void BuildMenuBar(const std::shared_ptr<const MenuBar>& model, QMenuBar& bar,
                  const std::function<void(const QString&)>& choose,
                  const std::function<bool(const QString&)>& hasHandler,
                  const std::function<QLineEdit*()>& editTarget);

}  // namespace fw
