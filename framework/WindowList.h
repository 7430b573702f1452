#pragma once

#include <memory>
#include <vector>

namespace fw {

class Window;

// Drops a reference to a window once the events pending now have been handled, so that no window
// is destroyed inside one of its own events (or a handler that lets events run).
void ReleaseWhenIdle(std::shared_ptr<Window> window);

// The open windows, the one in front first.
std::vector<std::shared_ptr<Window>> OpenWindows();
std::shared_ptr<Window> FrontWindow();
// Closes every window through its close check, front first; stops and returns false at the
// first that stays open. Otherwise the event loop ends.
bool Quit();
bool Quitting();

namespace detail {
// The window tells the framework of its showing, activation and closing.
void WindowShown(const std::shared_ptr<Window>& window);
void WindowActivated(const Window* window);
void WindowClosed(const Window* window);
// A run that ends lets go of every window at once.
void ForgetWindows();
}  // namespace detail

}  // namespace fw
