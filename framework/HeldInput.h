#pragma once

#include <QPointer>
#include <QWindow>

#include <memory>
#include <vector>

class QEvent;

namespace fw {

// The window system's input held back while a task runs, to be sent again to its windows, in
// order, once the task has ended: what the user typed or clicked before the task's progress
// window appeared is then handled as it would have been without the task.
class HeldInput {
 public:
  // Keeps a copy of the event, which the window system sent to window.
  void Hold(QWindow& window, const QEvent& event);
  // Whether the event releases a key or a mouse button whose press is held: it belongs with that
  // press, whenever it comes.
  bool Completes(const QEvent& event) const;
  // Sends every event held to its window, in order, leaving out those whose window has gone; a
  // mouse press gives the focus first, as a click does. Holds nothing afterwards.
  void Replay();

 private:
  struct Held {
    QPointer<QWindow> window;
    std::unique_ptr<QEvent> event;
  };
  std::vector<Held> held_;
  Qt::MouseButtons buttons_;  // pressed in events held, and not yet released in them
  std::vector<int> keys_;     // likewise
};

}  // namespace fw
