#pragma once

#include "FileTypes.h"
#include "base/Color.h"
#include "base/FolderItem.h"

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

}  // namespace fw
