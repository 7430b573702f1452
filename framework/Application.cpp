#include "Application.h"

#include "Dialogs.h"
#include "Guard.h"
#include "Window.h"
#include "WindowList.h"

#include <QApplication>

#include <optional>
#include <utility>

namespace fw {

namespace {

// What the run holds of its application.
struct ApplicationState {
  std::shared_ptr<Application> app;
  bool hiDPI = false;
  QString displayName;
};

ApplicationState& State() {
  static ApplicationState state;
  return state;
}

}  // namespace

void Application::DoEvents(int /*milliseconds*/) {
  QCoreApplication::processEvents();
}

void Application::SetSupportsHiDPI(bool on) {
  State().hiDPI = on;
}

bool Application::SupportsHiDPI() {
  return State().hiDPI;
}

void Application::SetDisplayName(const QString& name) {
  State().displayName = name;
}

QString Application::DisplayName() {
  const QString& name = State().displayName;
  return name.isEmpty() ? QCoreApplication::applicationName() : name;
}

void RegisterAppObject(std::shared_ptr<Application> app) {
  State().app = std::move(app);
}

std::shared_ptr<Application> AppObject() {
  return State().app;
}

void ChooseMenuItem(const QString& itemName, Window* window) {
  std::shared_ptr<Window> keep = window ? window->shared_from_this() : FrontWindow();
  std::optional<DialogOwnerScope> owner;
  if (keep) owner.emplace(*keep);
  Guard([&] {
    if (keep && keep->HandleMenu(itemName)) return;
    const auto app = State().app;
    if (app && app->HandleMenu(itemName)) return;
    std::shared_ptr<MenuBar> bar = keep ? keep->MenuBar() : nullptr;
    if (!bar && app) bar = app->MenuBar();
    const MenuItem* item = bar ? bar->Find(itemName) : nullptr;
    if (item && item->IsQuitItem()) {
      Quit();
    } else if (IsStandardEditItem(itemName)) {
      ApplyStandardEdit(itemName,
                        keep ? keep->FocusedTextField() : TextFieldOf(QApplication::focusWidget()));
    }
  });
}

}  // namespace fw
