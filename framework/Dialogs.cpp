#include "Dialogs.h"

#include "Application.h"
#include "Window.h"

#include <QApplication>
#include <QColorDialog>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QWindow>

namespace fw {

namespace {

std::shared_ptr<DialogProvider>& Provider() {
  static std::shared_ptr<DialogProvider> provider;
  return provider;
}

QWidget* DialogParent() {
  const std::shared_ptr<Window> front = FrontWindow();
  return front ? &front->Frame() : nullptr;
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
  return QStringLiteral("%1 (%2)").arg(type.name, patterns.join(u' '));
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

class QtDialogs : public DialogProvider {
 public:
  FolderItemPtr OpenFile(const RegisteredFileType& type) override {
    const QString path =
        QFileDialog::getOpenFileName(DialogParent(), QString(), QString(), NameFilter(type));
    return path.isEmpty() ? nullptr : std::make_shared<FolderItem>(path);
  }

  FolderItemPtr SaveFile(const RegisteredFileType& type, const QString& defaultName) override {
    QFileDialog dialog(DialogParent());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(NameFilter(type));
    if (!type.suffixes.isEmpty()) dialog.setDefaultSuffix(type.suffixes.first());
    dialog.selectFile(defaultName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return nullptr;
    return std::make_shared<FolderItem>(dialog.selectedFiles().first());
  }

  std::optional<Color> SelectColor(Color initial, const QString& prompt) override {
    const QColor chosen = QColorDialog::getColor(
        QColor(RedOf(initial), GreenOf(initial), BlueOf(initial)), DialogParent(), prompt);
    if (!chosen.isValid()) return std::nullopt;
    return RGB(chosen.red(), chosen.green(), chosen.blue());
  }

  MessageButton Message(const MessageRequest& request) override {
    QMessageBox box(DialogParent());
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
};

}  // namespace

void SetDialogProvider(std::shared_ptr<DialogProvider> provider) {
  Provider() = std::move(provider);
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

// While a task runs, input goes only to the window that is modal then (the progress window, once
// it is up, or a question that the task asks), and is dropped everywhere else: no click, key or
// shortcut may reach a window, or a menu, whose work is under way. Qt's own deferral of input
// (ExcludeUserInputEvents) is no use here: on X it can leave the deferred input stuck until
// some other event arrives, the progress window's Cancel and Escape with it.
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
  ~QtProgress() override { delete dialog_.data(); }

  bool Step(int done) override {
    if (!dialog_ && done < steps_ && TimeToShow(done)) Show();
    if (dialog_) dialog_->setValue(done);
    return !stopped_;
  }

 private:
  bool TimeToShow(int done) const {
    const qint64 ms = clock_.elapsed();
    if (ms >= kShowAfterMs) return true;
    return ms >= kEstimateAfterMs && done > 0 && ms * steps_ >= kLongTaskMs * done;
  }

  void Show() {
    dialog_ = new QProgressDialog(parent_);
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setLabelText(label_);
    dialog_->setRange(0, steps_);
    dialog_->setMinimumDuration(0);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    QObject::connect(dialog_, &QProgressDialog::canceled, [this] { stopped_ = true; });
    QObject::connect(dialog_, &QDialog::rejected, [this] { stopped_ = true; });
    dialog_->show();
  }

  InputOnlyToModal inputOnlyToModal_;
  QString label_;
  int steps_;
  QPointer<QWidget> parent_;
  QElapsedTimer clock_;
  QPointer<QProgressDialog> dialog_;
  bool stopped_ = false;
};

}  // namespace

std::unique_ptr<Progress> DialogProvider::StartProgress(const QString& label, int steps) {
  return MakeQtProgress(label, steps);
}

std::unique_ptr<Progress> StartProgress(const QString& label, int steps) {
  std::unique_ptr<Progress> progress = Dialogs().StartProgress(label, steps);
  if (!progress) progress = std::make_unique<NoProgress>();
  return progress;
}

std::unique_ptr<Progress> MakeQtProgress(const QString& label, int steps) {
  const std::shared_ptr<Window> front = FrontWindow();
  return std::make_unique<QtProgress>(label, steps, front ? &front->Frame() : nullptr);
}

}  // namespace fw
