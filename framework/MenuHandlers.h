#pragma once

#include <QString>

#include <functional>
#include <map>

namespace fw {

// Handlers bound to menu item names: a window binds them for while it is in front, the
// application object for the items that no window answers. Both are made of this map.
class MenuHandlers {
 public:
  // Binds a handler to a menu item name; true from the handler means that the item was handled.
  void AddMenuHandler(const QString& itemName, std::function<bool()> handler);
  bool HasMenuHandler(const QString& itemName) const;
  // Runs the handler bound to the name; false when there is none or it did not handle the item.
  bool HandleMenu(const QString& itemName) const;

 protected:
  ~MenuHandlers() = default;

 private:
  std::map<QString, std::function<bool()>> handlers_;
};

}  // namespace fw
