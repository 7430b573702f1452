#include "Menus.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

namespace fw {

namespace {

bool CanEdit(const QString& name, const QLineEdit& edit) {
  if (name == u"EditUndo") return edit.isUndoAvailable();
  if (name == u"EditCut" || name == u"EditClear")
    return edit.hasSelectedText() && !edit.isReadOnly();
  if (name == u"EditCopy") return edit.hasSelectedText();
  if (name == u"EditPaste") return !edit.isReadOnly();
  return !edit.text().isEmpty();  // EditSelectAll
}

void AddItems(const MenuItem& menuModel, QMenu& menu,
              const std::function<void(const QString&)>& choose) {
  for (int i = 0; i < menuModel.Count(); ++i) {
    const MenuItem& item = *menuModel.Item(i);
    if (item.IsSeparator()) {
      menu.addSeparator()->setVisible(item.Visible);
      continue;
    }
    QAction* action = menu.addAction(item.Text);
    action->setObjectName(item.Name);
    action->setShortcut(ShortcutOf(item.KeyboardShortcut));
    action->setVisible(item.Visible);
    if (item.IsQuitItem()) action->setMenuRole(QAction::QuitRole);
    const QString name = item.Name;
    QObject::connect(action, &QAction::triggered, &menu, [choose, name] { choose(name); });
  }
}

}  // namespace

namespace {

std::function<std::shared_ptr<MenuBar>()>& SharedMenuBarInstance() {
  static std::function<std::shared_ptr<MenuBar>()> instance;
  return instance;
}

}  // namespace

void SetSharedMenuBar(std::function<std::shared_ptr<MenuBar>()> instance) {
  SharedMenuBarInstance() = std::move(instance);
}

std::shared_ptr<MenuBar> SharedMenuBar() {
  const auto& instance = SharedMenuBarInstance();
  return instance ? instance() : nullptr;
}

void MenuItem::Append(MenuItemPtr child) {
  children_.push_back(std::move(child));
}

MenuItemPtr MenuItem::Child(const QString& name) const {
  for (const auto& child : children_) {
    if (child->Name == name) return child;
  }
  return nullptr;
}

const MenuItem* MenuItem::Find(const QString& name) const {
  for (const auto& child : children_) {
    if (child->Name == name) return child.get();
    if (const MenuItem* found = child->Find(name)) return found;
  }
  return nullptr;
}

QKeySequence ShortcutOf(const QString& shortcut) {
  if (shortcut.isEmpty()) return {};
  QString text = shortcut;
  text.replace(QStringLiteral("Cmd+"), QStringLiteral("Ctrl+"), Qt::CaseInsensitive);
  return QKeySequence::fromString(text, QKeySequence::PortableText);
}

bool IsStandardEditItem(const QString& name) {
  return name == u"EditUndo" || name == u"EditCut" || name == u"EditCopy" || name == u"EditPaste" ||
         name == u"EditClear" || name == u"EditSelectAll";
}

QLineEdit* TextFieldOf(QWidget* widget) {
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit;
  if (auto* box = qobject_cast<QComboBox*>(widget))
    return box->isEditable() ? box->lineEdit() : nullptr;
  return nullptr;
}

void ApplyStandardEdit(const QString& name, QLineEdit* edit) {
  if (!edit || !CanEdit(name, *edit)) return;
  if (name == u"EditUndo") edit->undo();
  if (name == u"EditCut") edit->cut();
  if (name == u"EditCopy") edit->copy();
  if (name == u"EditPaste") edit->paste();
  if (name == u"EditClear") edit->del();
  if (name == u"EditSelectAll") edit->selectAll();
}

void BuildMenuBar(const std::shared_ptr<const MenuBar>& model, QMenuBar& bar,
                  const std::function<void(const QString&)>& choose,
                  const std::function<bool(const QString&)>& hasHandler,
                  const std::function<QLineEdit*()>& editTarget) {
  bar.clear();
  for (int i = 0; i < model->Count(); ++i) {
    const MenuItem& menuModel = *model->Item(i);
    QMenu* menu = bar.addMenu(menuModel.Text);
    menu->setObjectName(menuModel.Name);
    menu->menuAction()->setVisible(menuModel.Visible);
    AddItems(menuModel, *menu, choose);
    // Automatic enabling, worked out as the menu opens: an item is enabled when something will
    // answer it. Shortcuts must keep working while the menu is closed, so everything is enabled
    // again once it closes.
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu, model, hasHandler, editTarget] {
      for (QAction* action : menu->actions()) {
        const MenuItem* item = model->Find(action->objectName());
        if (!item || !item->AutoEnable) continue;
        const QString& name = item->Name;
        bool enabled = item->IsQuitItem() || hasHandler(name);
        if (!enabled && IsStandardEditItem(name)) {
          const QLineEdit* edit = editTarget();
          enabled = edit && CanEdit(name, *edit);
        }
        action->setEnabled(enabled);
      }
    });
    QObject::connect(menu, &QMenu::aboutToHide, menu, [menu] {
      for (QAction* action : menu->actions())
        action->setEnabled(true);
    });
  }
}

}  // namespace fw
