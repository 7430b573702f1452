#include "Dialogs.h"

#include "Application.h"
#include "Window.h"

#include <QApplication>
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
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QWindow>

#include <vector>

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

QWidget* DialogParent() {
  Window* owner = DialogOwner();
  return owner ? &owner->Frame() : nullptr;
}

// A dialog's title: what it is for, then the program's name, as desktops title the windows of
// a program; the name alone where the dialog says what it is for itself.
QString DialogTitle(const QString& purpose = QString()) {
  const QString program = Application::DisplayName();
  return purpose.isEmpty() ? program : purpose + QStringLiteral(" — ") + program;
}

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
    QColorDialog dialog(QColor(RedOf(initial), GreenOf(initial), BlueOf(initial)), DialogParent());
    // Qt's own picker, wherever a desktop offers one of its own: the held keys above must
    // reach the dialog.
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    dialog.setWindowTitle(DialogTitle(prompt));
    const auto shortcuts = AcceptWithHeldKeys(dialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QColor chosen = dialog.selectedColor();
    if (!chosen.isValid()) return std::nullopt;
    return RGB(chosen.red(), chosen.green(), chosen.blue());
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

std::shared_ptr<DialogProvider> MakeQtDialogs() {
  return std::make_shared<QtDialogs>();
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

// ---- progress of a long task

namespace {

// The window comes up once the task has run kShowAfterMs, or earlier, from kEstimateAfterMs on,
// when the steps so far say that the whole task will take kLongTaskMs or more.
constexpr qint64 kEstimateAfterMs = 100;
constexpr qint64 kShowAfterMs = 400;
constexpr qint64 kLongTaskMs = 500;

// Until the progress window is due, the task lets events run without the user's input
// (ExcludeUserInputEvents), which waits in the window system's queue, in order. Once the task
// ends, the event loop is woken: on X the input kept back otherwise stays stuck until some other
// event arrives. From the moment the progress window is due, input runs again, and goes only to
// the window that is modal then (the progress window, or a question that the task asks): it is
// dropped everywhere else, as Qt's modality drops it, and no click, key or shortcut reaches a
// window, or a menu, whose work is under way. The same holds for input sent straight to a widget
// while the task runs, which no queue holds back.
class InputOnlyToModal : public QObject {
 public:
  InputOnlyToModal() { qApp->installEventFilter(this); }
  ~InputOnlyToModal() override { qApp->removeEventFilter(this); }

 protected:
  bool eventFilter(QObject* target, QEvent* event) override {
    if (!IsInput(event->type())) return false;
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return true;
    if (auto* window = qobject_cast<QWindow*>(target)) return window != modal->windowHandle();
    // A widget, or a shortcut or action of one (the progress window's Escape is a shortcut).
    for (QObject* o = target; o; o = o->parent()) {
      if (auto* widget = qobject_cast<QWidget*>(o)) {
        return widget != modal && !modal->isAncestorOf(widget);
      }
    }
    return true;
  }

 private:
  static bool IsInput(QEvent::Type type) {
    switch (type) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
      case QEvent::ContextMenu:
      case QEvent::TouchBegin:
      case QEvent::TouchUpdate:
      case QEvent::TouchEnd:
        return true;
      default:
        return false;
    }
  }
};

// Puts a window without a parent over the window of parent, as a dialog of that window.
void StandOver(QWidget& dialog, QWidget* parent) {
  if (!parent) return;
  QWidget* const over = parent->window();
  dialog.winId();  // makes the native window, whose transient parent is set here
  if (QWindow* const handle = dialog.windowHandle())
    handle->setTransientParent(over->windowHandle());
  dialog.adjustSize();
  QRect place = dialog.frameGeometry();
  place.moveCenter(over->frameGeometry().center());
  dialog.move(place.topLeft());
}

// A task whose progress nobody sees and nobody stops.
class NoProgress : public Progress {
 public:
  bool Step(int /*done*/) override { return true; }
};

class QtProgress : public Progress {
 public:
  QtProgress(const QString& label, int steps, QWidget* parent)
      : label_(label), steps_(steps), parent_(parent) {
    clock_.start();
  }
  ~QtProgress() override {
    // Wakes the event loop for the input that waited (see InputOnlyToModal).
    QMetaObject::invokeMethod(
        qApp, [] {}, Qt::QueuedConnection);
  }

  bool Step(int done) override {
    if (!dialog_ && done < steps_ && TimeToShow(done)) Show();
    if (dialog_) dialog_->setValue(done);
    return !stopped_;
  }

  void RunPendingEvents() override {
    if (dialog_) {
      QCoreApplication::processEvents();
    } else {
      Progress::RunPendingEvents();
    }
  }

 private:
  bool TimeToShow(int done) const {
    const qint64 ms = clock_.elapsed();
    if (ms >= kShowAfterMs) return true;
    return ms >= kEstimateAfterMs && done > 0 && ms * steps_ >= kLongTaskMs * done;
  }

  void Show() {
    // Owned here alone: it has no Qt parent that could delete it under the task. It stands over
    // the window it works for as that window's transient child.
    dialog_ = std::make_unique<QProgressDialog>();
    StandOver(*dialog_, parent_);
    dialog_->setWindowTitle(DialogTitle());
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setLabelText(label_);
    dialog_->setRange(0, steps_);
    dialog_->setMinimumDuration(0);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    QObject::connect(dialog_.get(), &QProgressDialog::canceled, [this] { stopped_ = true; });
    QObject::connect(dialog_.get(), &QDialog::rejected, [this] { stopped_ = true; });
    dialog_->show();
  }

  InputOnlyToModal inputOnlyToModal_;
  QString label_;
  int steps_;
  QPointer<QWidget> parent_;
  QElapsedTimer clock_;
  std::unique_ptr<QProgressDialog> dialog_;
  bool stopped_ = false;
};

}  // namespace

void Progress::RunPendingEvents() {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

std::unique_ptr<Progress> StartProgress(const QString& label, int steps) {
  std::unique_ptr<Progress> progress = Dialogs().StartProgress(label, steps);
  if (!progress) progress = std::make_unique<NoProgress>();
  return progress;
}

std::unique_ptr<Progress> MakeQtProgress(const QString& label, int steps) {
  return std::make_unique<QtProgress>(label, steps, DialogParent());
}

}  // namespace fw
