#pragma once

#include "Files.h"
#include "Text.h"

#include <QString>

#include <memory>
#include <optional>

namespace fw {

class Window;
class Progress;

// The buttons of a message box.
enum class MessageButton { Action, Alternate, Cancel };

struct MessageRequest {
  int icon = 0;  // 0 note, 1 caution, 2 stop, 3 question
  QString message;
  QString explanation;
  QString actionCaption;
  bool actionVisible = true;
  QString alternateCaption;
  bool alternateVisible = false;
  QString cancelCaption;  // empty: the platform's own caption
  bool cancelVisible = false;
};

// The one seam through which every modal dialog of the program goes. The program shows Qt's
// dialogs; tests answer them from a script.
class DialogProvider {
 public:
  virtual ~DialogProvider() = default;
  // The chosen file, or nullptr when the dialog was cancelled.
  virtual FolderItemPtr OpenFile(const RegisteredFileType& type) = 0;
  virtual FolderItemPtr SaveFile(const RegisteredFileType& type, const QString& defaultName) = 0;
  // The chosen colour, or nothing when the picker was cancelled.
  virtual std::optional<Color> SelectColor(Color initial, const QString& prompt) = 0;
  virtual MessageButton Message(const MessageRequest& request) = 0;

  // The progress window of a long task (see Progress below); nullptr shows none.
  virtual std::unique_ptr<Progress> StartProgress(const QString& label, int steps) = 0;
};

// The window that a dialog shown now belongs to and sits over: the window whose close check or
// menu command is running, else the window in front; nullptr while no window is open.
Window* DialogOwner();
// While it lives, the dialogs shown belong to the window (see DialogOwner).
class DialogOwnerScope {
 public:
  explicit DialogOwnerScope(Window& window);
  ~DialogOwnerScope();
  DialogOwnerScope(const DialogOwnerScope&) = delete;
  DialogOwnerScope& operator=(const DialogOwnerScope&) = delete;

 private:
  Window* previous_;
};

void SetDialogProvider(std::shared_ptr<DialogProvider> provider);
// The provider set last; nullptr before any, when Qt's dialogs come on first use.
std::shared_ptr<DialogProvider> CurrentDialogProvider();
DialogProvider& Dialogs();
// The dialogs that users see: Qt's file dialog, colour dialog and message box.
std::shared_ptr<DialogProvider> MakeQtDialogs();

// The open dialog, filtered to the registered file type of that name; nullptr when cancelled.
FolderItemPtr GetOpenFolderItem(const QString& fileTypeName);
// The save dialog for that type, offering defaultName; nullptr when cancelled.
FolderItemPtr GetSaveFolderItem(const QString& fileTypeName, const QString& defaultName);
// The colour picker with a prompt, started on c; true with the choice in c when confirmed.
bool SelectColor(Color& c, const QString& prompt);

class MessageDialogButton {
 public:
  QString Caption;
  bool Visible = true;
};

// A message box whose ShowModal gives back the button that the user pressed, to be compared
// with its three buttons by identity.
class MessageDialog {
 public:
  MessageDialog();
  int Icon = 0;
  QString Message;
  QString Explanation;
  MessageDialogButton ActionButton;
  MessageDialogButton CancelButton;
  MessageDialogButton AlternateActionButton;

  MessageDialogButton* ShowModal();
};

// ---- progress of a long task

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

}  // namespace fw
