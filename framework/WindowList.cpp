#include "WindowList.h"

#include "Runtime.h"
#include "Window.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>
#include <utility>

namespace fw {

namespace {

// The windows of the run.
struct WindowListState {
  std::vector<std::shared_ptr<Window>> open;  // front first
  bool quitting = false;
};

WindowListState& State() {
  static WindowListState state;
  return state;
}

}  // namespace

void ReleaseWhenIdle(std::shared_ptr<Window> window) {
  QMetaObject::invokeMethod(
      qApp, [window = std::move(window)]() mutable { window.reset(); }, Qt::QueuedConnection);
}

std::vector<std::shared_ptr<Window>> OpenWindows() {
  return State().open;
}

std::shared_ptr<Window> FrontWindow() {
  const auto& open = State().open;
  return open.empty() ? nullptr : open.front();
}

bool Quit() {
  WindowListState& s = State();
  // Quitting ends with this call, however it ends: a close check that fails included.
  struct Quitting {
    bool& flag;
    explicit Quitting(bool& f) : flag(f) { flag = true; }
    ~Quitting() { flag = false; }
  } quitting(s.quitting);
  const auto windows = s.open;
  for (const auto& window : windows) {
    window->Close();
    if (window->IsOpen()) return false;
  }
  s.quitting = false;
  // Outside the event loop (a test's windows) there is no loop to end; Qt's exit then would
  // make every later modal loop of the process return at once.
  if (RuntimeRunning()) QCoreApplication::exit(0);
  return true;
}

bool Quitting() {
  return State().quitting;
}

namespace detail {

void WindowShown(const std::shared_ptr<Window>& window) {
  auto& open = State().open;
  open.erase(std::remove(open.begin(), open.end(), window), open.end());
  open.insert(open.begin(), window);
}

void WindowActivated(const Window* window) {
  auto& open = State().open;
  const auto it = std::find_if(open.begin(), open.end(),
                               [&](const std::shared_ptr<Window>& w) { return w.get() == window; });
  if (it != open.end()) std::rotate(open.begin(), it, it + 1);
}

void WindowClosed(const Window* window) {
  auto& open = State().open;
  const auto it = std::find_if(open.begin(), open.end(),
                               [&](const std::shared_ptr<Window>& w) { return w.get() == window; });
  if (it == open.end()) return;
  ReleaseWhenIdle(*it);
  open.erase(it);
  if (open.empty() && RuntimeRunning() && !State().quitting) QCoreApplication::exit(0);
}

void ForgetWindows() {
  State() = WindowListState{};
}

}  // namespace detail

}  // namespace fw
