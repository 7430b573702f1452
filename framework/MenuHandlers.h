#pragma once

#include <QString>

#include <functional>
#include <map>

namespace fw {

// Handlers bound to menu item names, as a window binds them for while it is in front and the
// application object for the items that no window answers.
class MenuHandlers {
 public:
  void Add(const QString& itemName, std::function<bool()> handler);
  bool Has(const QString& itemName) const;
  // Runs the handler bound to the name; false when there is none or it did not handle the item.
  bool Handle(const QString& itemName) const;

 private:
  std::map<QString, std::function<bool()>> handlers_;
};

}  // namespace fw
