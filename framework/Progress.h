#pragma once

#include <QString>

#include <memory>

namespace fw {

// The progress window of a task on the main thread, which lets pending events run between its
// steps. It comes up only once the task has taken a moment (well within half a second of its
// start when the task is going to take longer), modal to the whole application, and goes when
// the object is destroyed. From the start of the task to its end no other window takes input:
// nothing can be clicked, typed or chosen from a menu under the task. Until the progress window
// is due, the user's input waits, and is handled in order once the task ends; from then on it goes
// to the progress window alone and is dropped elsewhere, as a modal window's rule has it.
class Progress {
 public:
  virtual ~Progress() = default;
  // done of the task's steps are finished. False once the user has asked to stop (the Cancel
  // button or Escape).
  virtual bool Step(int done) = 0;
  // Lets the pending events run between two steps, so that the windows repaint. The user's input
  // stays where it waits (see above).
  virtual void RunPendingEvents();
};

// The progress window of a task of that many steps, through the dialog provider.
std::unique_ptr<Progress> StartProgress(const QString& label, int steps);
// Qt's progress window, over the window that the task belongs to (see DialogOwner).
std::unique_ptr<Progress> MakeQtProgress(const QString& label, int steps);

// Lets the pending events run (the windows repaint; the progress decides where input may go),
// then tells the progress that done steps are finished. False once the user has asked to stop.
bool RunEventsAndStep(Progress& progress, int done);

}  // namespace fw
