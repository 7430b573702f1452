#include "Dialogs.h"

#include "FileTypes.h"
#include "QtDialogs.h"
#include "Window.h"
#include "WindowList.h"

#include <optional>

namespace fw {

namespace {

std::shared_ptr<DialogProvider>& Provider() {
  static std::shared_ptr<DialogProvider> provider;
  return provider;
}

Window*& CurrentOwner() {
  static Window* owner = nullptr;
  return owner;
}

}  // namespace

Window* DialogOwner() {
  if (Window* owner = CurrentOwner()) return owner;
  return FrontWindow().get();
}

DialogOwnerScope::DialogOwnerScope(Window& window) : previous_(CurrentOwner()) {
  CurrentOwner() = &window;
}

DialogOwnerScope::~DialogOwnerScope() {
  CurrentOwner() = previous_;
}

void SetDialogProvider(std::shared_ptr<DialogProvider> provider) {
  Provider() = std::move(provider);
}

std::shared_ptr<DialogProvider> CurrentDialogProvider() {
  return Provider();
}

DialogProvider& Dialogs() {
  if (!Provider()) Provider() = MakeQtDialogs();
  return *Provider();
}

FolderItemPtr GetOpenFolderItem(const QString& fileTypeName) {
  return Dialogs().OpenFile(FindFileType(fileTypeName));
}

FolderItemPtr GetSaveFolderItem(const QString& fileTypeName, const QString& defaultName) {
  return Dialogs().SaveFile(FindFileType(fileTypeName), defaultName);
}

bool SelectColor(Color& c, const QString& prompt) {
  const std::optional<Color> chosen = Dialogs().SelectColor(c, prompt);
  if (!chosen) return false;
  c = *chosen;
  return true;
}

MessageDialog::MessageDialog() {
  ActionButton.Caption = QStringLiteral("OK");
  CancelButton.Visible = false;
  AlternateActionButton.Visible = false;
}

MessageDialogButton* MessageDialog::ShowModal() {
  MessageRequest request;
  request.icon = Icon;
  request.message = Message;
  request.explanation = Explanation;
  request.actionCaption = ActionButton.Caption;
  request.actionVisible = ActionButton.Visible;
  request.alternateCaption = AlternateActionButton.Caption;
  request.alternateVisible = AlternateActionButton.Visible;
  request.cancelCaption = CancelButton.Caption;
  request.cancelVisible = CancelButton.Visible;
  switch (Dialogs().Message(request)) {
    case MessageButton::Action:
      return &ActionButton;
    case MessageButton::Alternate:
      return &AlternateActionButton;
    case MessageButton::Cancel:
      return &CancelButton;
  }
  return &CancelButton;
}

}  // namespace fw
