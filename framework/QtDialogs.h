#pragma once

#include <QString>

#include <memory>

class QWidget;

namespace fw {

class DialogProvider;

// The dialogs that users see: Qt's file dialog, colour dialog and message box.
std::shared_ptr<DialogProvider> MakeQtDialogs();

// The Qt window that a dialog shown now sits over (see DialogOwner); nullptr when none.
QWidget* DialogParent();
// A dialog's title: what it is for, then the program's name, as desktops title the windows of
// a program; the name alone where the dialog says what it is for itself.
QString DialogTitle(const QString& purpose = QString());

}  // namespace fw
