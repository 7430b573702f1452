#include "QtDialogs.h"

#include "Application.h"
#include "Dialogs.h"
#include "FileTypes.h"
#include "Progress.h"
#include "Window.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QMainWindow>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QWindow>

#include <vector>

namespace fw {

namespace {

// What the desktop calls files of a type, in the user's language ("PNG image"), from the
// system's MIME database; else the type's name without its "TYPE".
QString Description(const RegisteredFileType& type) {
  const QMimeDatabase mime;
  for (const QString& suffix : type.suffixes) {
    const QMimeType known =
        mime.mimeTypeForFile(QStringLiteral("x.") + suffix, QMimeDatabase::MatchExtension);
    if (known.isValid() && !known.isDefault() && !known.comment().isEmpty()) {
      return known.comment();
    }
  }
  QString name = type.name;
  if (name.endsWith(QStringLiteral("type"), Qt::CaseInsensitive) && name.size() > 4) name.chop(4);
  return name;
}

QString NameFilter(const RegisteredFileType& type) {
  // Qt's own dialog matches without regard to case; a desktop's native dialog may not, so the
  // filter names the upper and lower case forms too.
  QStringList patterns;
  for (const QString& suffix : type.suffixes) {
    for (const QString& form : {suffix, suffix.toUpper(), suffix.toLower()}) {
      const QString pattern = QStringLiteral("*.") + form;
      if (!patterns.contains(pattern)) patterns << pattern;
    }
  }
  return QStringLiteral("%1 (%2)").arg(Description(type), patterns.join(u' '));
}

QMessageBox::Icon IconOf(int icon) {
  switch (icon) {
    case 1:
      return QMessageBox::Warning;
    case 2:
      return QMessageBox::Critical;
    case 3:
      return QMessageBox::Question;
    default:
      return QMessageBox::Information;
  }
}

// The user may confirm a colour with Shift or Alt held (to apply it to every later character
// too) by click or from the keyboard: Return and Enter with either key accept the dialog, where
// Qt's dialogs take Return only without modifiers. The keyboard state then is that of the key
// press, which is what the program reads once the dialog has closed.
std::vector<std::unique_ptr<QShortcut>> AcceptWithHeldKeys(QDialog& dialog) {
  std::vector<std::unique_ptr<QShortcut>> shortcuts;
  for (const char* keys : {"Shift+Return", "Shift+Enter", "Alt+Return", "Alt+Enter"}) {
    auto shortcut = std::make_unique<QShortcut>(QKeySequence(QString::fromLatin1(keys)), &dialog);
    QObject::connect(shortcut.get(), &QShortcut::activated, &dialog, &QDialog::accept);
    shortcuts.push_back(std::move(shortcut));
  }
  return shortcuts;
}

// Ends an event loop once a window is exposed on the screen.
class QuitWhenExposed : public QObject {
 public:
  QuitWhenExposed(QWindow& window, QEventLoop& loop) : window_(window), loop_(loop) {
    window_.installEventFilter(this);
  }
  ~QuitWhenExposed() override { window_.removeEventFilter(this); }

 private:
  bool eventFilter(QObject* /*target*/, QEvent* event) override {
    if (event->type() == QEvent::Expose && window_.isExposed()) loop_.quit();
    return false;
  }
  QWindow& window_;
  QEventLoop& loop_;
};

// Waits until the window manager has placed the window and shows it, for half a second at most,
// sleeping on the events in between.
void WaitUntilPlaced(QWidget& window) {
  QWindow* handle = window.windowHandle();
  if (!handle || handle->isExposed()) return;
  QEventLoop loop;
  const QuitWhenExposed watch(*handle, loop);
  QTimer::singleShot(500, &loop, &QEventLoop::quit);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
}

// A question about a window is asked with the window in view: a minimised one comes back (as it
// was before, maximised or not) and comes to the front.
void BringToFront(QWidget& window) {
  if (window.isMinimized()) window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
  window.raise();
  window.activateWindow();
}

class QtDialogs : public DialogProvider {
 public:
  FolderItemPtr OpenFile(const RegisteredFileType& type) override {
    return Chosen(QFileDialog::getOpenFileName(DialogParent(), DialogTitle(QFileDialog::tr("Open")),
                                               StartFolder(type, false), NameFilter(type)));
  }

  FolderItemPtr SaveFile(const RegisteredFileType& type, const QString& defaultName) override {
    QFileDialog dialog(DialogParent(), DialogTitle(QFileDialog::tr("Save As")),
                       StartFolder(type, true));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(NameFilter(type));
    if (!type.suffixes.isEmpty()) dialog.setDefaultSuffix(type.suffixes.first());
    dialog.selectFile(defaultName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return nullptr;
    return Chosen(dialog.selectedFiles().first());
  }

  std::optional<Color> SelectColor(Color initial, const QString& prompt) override {
    QColorDialog dialog(ToQColor(initial), DialogParent());
    // Qt's own picker, wherever a desktop offers one of its own: the held keys above must
    // reach the dialog.
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    dialog.setWindowTitle(DialogTitle(prompt));
    const auto shortcuts = AcceptWithHeldKeys(dialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QColor chosen = dialog.selectedColor();
    if (!chosen.isValid()) return std::nullopt;
    return FromQColor(chosen);
  }

  MessageButton Message(const MessageRequest& request) override {
    QWidget* parent = DialogParent();
    // A question about a window is asked over it, with it in front. A window just shown (a
    // document refused at start-up) is given a moment to be placed, so that the box does not
    // centre itself on where the window was before the window manager placed it.
    if (parent && parent->isVisible()) {
      BringToFront(*parent);
      WaitUntilPlaced(*parent);
    }
    QMessageBox box(parent);
    box.setWindowTitle(DialogTitle());
    box.setIcon(IconOf(request.icon));
    box.setText(request.message);
    box.setInformativeText(request.explanation);
    QAbstractButton* action = nullptr;
    QAbstractButton* alternate = nullptr;
    QAbstractButton* cancel = nullptr;
    if (request.actionVisible) {
      action = box.addButton(request.actionCaption, QMessageBox::AcceptRole);
      box.setDefaultButton(static_cast<QPushButton*>(action));
    }
    if (request.alternateVisible) {
      alternate = box.addButton(request.alternateCaption, QMessageBox::DestructiveRole);
    }
    if (request.cancelVisible) {
      cancel = request.cancelCaption.isEmpty()
                   ? box.addButton(QMessageBox::Cancel)
                   : box.addButton(request.cancelCaption, QMessageBox::RejectRole);
    }
    box.setEscapeButton(cancel ? cancel : action);
    box.exec();
    QAbstractButton* pressed = box.clickedButton();
    if (pressed && pressed == action) return MessageButton::Action;
    if (pressed && pressed == alternate) return MessageButton::Alternate;
    return MessageButton::Cancel;
  }

  std::unique_ptr<Progress> StartProgress(const QString& label, int steps) override {
    return MakeQtProgress(label, steps);
  }

 private:
  // A save dialog for the document of the window that it belongs to starts in the document's
  // folder; every other dialog in the folder of the file last chosen in this run, and in the
  // home folder before that. Nothing of it outlives the run.
  QString StartFolder(const RegisteredFileType& type, bool saving) const {
    const Window* owner = DialogOwner();
    if (saving && owner && owner->DocumentFileType() == type.name) {
      if (const FolderItemPtr document = owner->DocumentFile()) {
        const QString folder = QFileInfo(document->Path()).absolutePath();
        if (QFileInfo(folder).isDir()) return folder;
      }
    }
    if (!lastFolder_.isEmpty() && QFileInfo(lastFolder_).isDir()) return lastFolder_;
    return QDir::homePath();
  }

  FolderItemPtr Chosen(const QString& path) {
    if (path.isEmpty()) return nullptr;
    lastFolder_ = QFileInfo(path).absolutePath();
    return std::make_shared<FolderItem>(path);
  }

  QString lastFolder_;
};

}  // namespace

QWidget* DialogParent() {
  Window* owner = DialogOwner();
  return owner ? &owner->Frame() : nullptr;
}

QString DialogTitle(const QString& purpose) {
  const QString program = Application::DisplayName();
  return purpose.isEmpty() ? program : purpose + QStringLiteral(" — ") + program;
}

std::shared_ptr<DialogProvider> MakeQtDialogs() {
  return std::make_shared<QtDialogs>();
}

}  // namespace fw
