#include "MenuHandlers.h"

namespace fw {

void MenuHandlers::AddMenuHandler(const QString& itemName, std::function<bool()> handler) {
  handlers_[itemName] = std::move(handler);
}

bool MenuHandlers::HasMenuHandler(const QString& itemName) const {
  return handlers_.count(itemName) > 0;
}

bool MenuHandlers::HandleMenu(const QString& itemName) const {
  const auto it = handlers_.find(itemName);
  if (it == handlers_.end()) return false;
  // The handler may close and release the window that holds this map: call a copy.
  const std::function<bool()> handler = it->second;
  return handler();
}

}  // namespace fw
