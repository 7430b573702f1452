#include "HeldInput.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <algorithm>
#include <utility>

namespace fw {

namespace {

QWidget* WidgetOf(const QWindow& window) {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->windowHandle() == &window) return widget;
  }
  return nullptr;
}

// The focus that a click at pos in the window gives, as the window system's own click gives it:
// to the innermost enabled widget under it that takes the focus by click, unless a widget on the
// way out already has it. Qt gives it only for the events that come from the window system, and
// a replayed event is not one of those.
void GiveClickFocus(const QWindow& window, QPoint pos) {
  QWidget* const top = WidgetOf(window);
  if (!top) return;
  QWidget* widget = top->childAt(pos);
  if (!widget) widget = top;
  QPoint local = widget->mapFrom(top, pos);
  for (; widget; widget = widget->parentWidget()) {
    if (widget->isEnabled() && widget->rect().contains(local) &&
        (widget->focusPolicy() & Qt::ClickFocus) == Qt::ClickFocus) {
      widget->setFocus(Qt::MouseFocusReason);
      return;
    }
    const QWidget* proxy = widget->focusProxy() ? widget->focusProxy() : widget;
    if (widget->isWindow() || proxy->hasFocus()) return;
    local += widget->pos();
  }
}

// A key or a click went to the window that was active then, or made it active (the desktop gives
// a window the keys when it is clicked). A window that has lost that to the task's progress
// window is made active again before the input is sent, at once for the program and by request
// for the desktop, which follows in its own time.
void Activate(const QWindow& window) {
  QWidget* const top = WidgetOf(window);
  if (!top || QApplication::activeWindow() == top) return;
  QApplication::setActiveWindow(top);
  top->activateWindow();
}

}  // namespace

void HeldInput::Hold(QWindow& window, const QEvent& event) {
  switch (event.type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      buttons_ |= static_cast<const QMouseEvent&>(event).button();
      break;
    case QEvent::MouseButtonRelease:
      buttons_ &= ~static_cast<const QMouseEvent&>(event).button();
      break;
    case QEvent::KeyPress:
      keys_.push_back(static_cast<const QKeyEvent&>(event).key());
      break;
    case QEvent::KeyRelease:
      if (const auto at =
              std::find(keys_.begin(), keys_.end(), static_cast<const QKeyEvent&>(event).key());
          at != keys_.end()) {
        keys_.erase(at);
      }
      break;
    default:
      break;
  }
  held_.push_back({&window, std::unique_ptr<QEvent>(event.clone())});
}

bool HeldInput::Completes(const QEvent& event) const {
  if (event.type() == QEvent::MouseButtonRelease) {
    return buttons_.testFlag(static_cast<const QMouseEvent&>(event).button());
  }
  if (event.type() == QEvent::KeyRelease) {
    return std::find(keys_.begin(), keys_.end(), static_cast<const QKeyEvent&>(event).key()) !=
           keys_.end();
  }
  return false;
}

void HeldInput::Replay() {
  std::vector<Held> held = std::exchange(held_, {});
  buttons_ = {};
  keys_.clear();
  for (Held& h : held) {
    if (!h.window) continue;
    if (h.event->type() == QEvent::KeyPress) Activate(*h.window);
    if (h.event->type() == QEvent::MouseButtonPress) {
      Activate(*h.window);
      GiveClickFocus(*h.window, static_cast<QMouseEvent&>(*h.event).position().toPoint());
    }
    // A window closed by an event before is left out from then on.
    if (h.window) QCoreApplication::sendEvent(h.window, h.event.get());
  }
}

}  // namespace fw
