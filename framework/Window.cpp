#include "Window.h"

#include "Application.h"
#include "Dialogs.h"
#include "Guard.h"
#include "WindowList.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>

namespace fw {

class WindowFrame : public QMainWindow {
 public:
  explicit WindowFrame(Window& owner) : owner_(owner) {}

 protected:
  void closeEvent(QCloseEvent* event) override {
    if (owner_.CloseRequested()) {
      event->accept();
    } else {
      event->ignore();
    }
  }
  void changeEvent(QEvent* event) override {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
      detail::WindowActivated(&owner_);
    }
    QMainWindow::changeEvent(event);
  }

 private:
  Window& owner_;
};

class ContentArea : public QWidget {
 public:
  explicit ContentArea(Window& owner) : owner_(owner) {}
  QSize sizeHint() const override { return owner_.design_; }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    owner_.ContentResized();
  }

 private:
  Window& owner_;
};

Window::Window() : frame_(std::make_unique<WindowFrame>(*this)) {
  auto content = std::make_unique<ContentArea>(*this);
  content_ = content.get();
  frame_->setCentralWidget(content.release());  // the frame owns its central widget
  frame_->setAttribute(Qt::WA_DeleteOnClose, false);
  focusWatch_ = QObject::connect(qApp, &QApplication::focusChanged, frame_.get(),
                                 [this](QWidget*, QWidget* now) { NoteFocus(now); });
}

Window::~Window() {
  QObject::disconnect(focusWatch_);
  // The controls go before the frame, and none of their signals reaches a handler meanwhile.
  for (const auto& control : controls_)
    control->Widget().blockSignals(true);
  controls_.clear();
}

void Window::Construct() {
  Layout();
  CreateControls();
  ArrangeTabOrder();
  AddMenuHandlers(*this);
  for (const auto& control : controls_)
    control->RaiseOpen();
}

void Window::SetProperties(const WindowProperties& p) {
  design_ = QSize(p.width, p.height);
  Qt::WindowFlags flags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
  if (p.closeButton) flags |= Qt::WindowCloseButtonHint;
  if (p.minimizeButton) flags |= Qt::WindowMinimizeButtonHint;
  if (p.maximizeButton && p.resizeable) flags |= Qt::WindowMaximizeButtonHint;
  frame_->setWindowFlags(flags);
  frame_->setWindowTitle(p.title);
  if (p.hasBackColor) {
    QPalette palette = content_->palette();
    palette.setColor(QPalette::Window, ToQColor(p.backColor));
    content_->setPalette(palette);
    content_->setAutoFillBackground(true);
  }
  frame_->menuBar()->setVisible(p.menuBarVisible);
  const int menuHeight = MenuBarHeight();
  if (p.resizeable) {
    frame_->setMinimumSize(p.minWidth, p.minHeight + menuHeight);
    frame_->setMaximumSize(p.maxWidth, p.maxHeight + menuHeight);
  } else {
    frame_->setFixedSize(p.width, p.height + menuHeight);
  }
  FitFrameToContent(p.width, p.height);
}

int Window::MenuBarHeight() const {
  QMenuBar* bar = frame_->menuBar();
  if (!bar->isVisibleTo(frame_.get()) || bar->isNativeMenuBar()) return 0;
  return bar->sizeHint().height();
}

void Window::FitFrameToContent(int contentWidth, int contentHeight) {
  frame_->resize(contentWidth, contentHeight + MenuBarHeight());
  // Lay the frame out now, so that the content area has its size before the window shows.
  if (frame_->layout()) frame_->layout()->activate();
}

void Window::Show() {
  frame_->show();
  frame_->raise();
  frame_->activateWindow();
  detail::WindowShown(shared_from_this());
}

void Window::Close() {
  if (IsOpen()) frame_->close();
}

bool Window::IsOpen() const {
  return frame_->isVisible();
}

bool Window::CloseRequested() {
  bool keepOpen = true;
  const bool quitting = Quitting();
  // The close prompt is about this window, wherever it stands among the others.
  DialogOwnerScope owner(*this);
  if (!Guard([&] { keepOpen = Event_CancelClose(quitting); })) keepOpen = true;
  if (keepOpen) return false;
  detail::WindowClosed(this);
  return true;
}

QString Window::Title() const {
  return frame_->windowTitle();
}

void Window::SetTitle(const QString& title) {
  frame_->setWindowTitle(title);
}

int Window::Width() const {
  return content_->width();
}

void Window::SetWidth(int width) {
  // A maximised or full-screen window has no width of its own to set: it goes back to its
  // normal state first, and keeps the height it has there.
  if (!InNormalState()) {
    frame_->showNormal();
    FitFrameToContent(width, normalHeight_ > 0 ? normalHeight_ : content_->height());
    return;
  }
  FitFrameToContent(width, content_->height());
}

int Window::Height() const {
  return content_->height();
}

void Window::SetMenuBar(std::shared_ptr<fw::MenuBar> bar) {
  menuBar_ = std::move(bar);
  QMenuBar& qtBar = *frame_->menuBar();
  if (!menuBar_) {
    qtBar.clear();
    return;
  }
  BuildMenuBar(
      menuBar_, qtBar, [this](const QString& name) { ChooseMenuItem(name, this); },
      [this](const QString& name) {
        const auto app = AppObject();
        return HasMenuHandler(name) || (app && app->HasMenuHandler(name));
      },
      [this] { return FocusedTextField(); });
}

void Window::AddControl(const QString& name, std::shared_ptr<Control> control) {
  control->name_ = name;
  control->AdoptInto(*content_);
  controls_.push_back(std::move(control));
}

Control* Window::ControlByName(const QString& name) const {
  for (const auto& control : controls_) {
    if (control->Name() == name) return control.get();
  }
  return nullptr;
}

Control* Window::ControlByNameIndex(const QString& name, int index) const {
  for (const auto& control : controls_) {
    if (control->Name() == name && control->Index() == index) return control.get();
  }
  return nullptr;
}

QMainWindow& Window::Frame() const {
  return *frame_;
}

void Window::NoteFocus(QWidget* now) {
  if (!now || now->window() != frame_.get()) return;
  if (qobject_cast<QMenuBar*>(now) || qobject_cast<QMenu*>(now)) return;
  lastFocus_ = now;
}

QLineEdit* Window::FocusedTextField() const {
  QWidget* focus = lastFocus_ ? lastFocus_.data() : frame_->focusWidget();
  return TextFieldOf(focus);
}

QAction* Window::MenuAction(const QString& itemName) const {
  for (QAction* action : frame_->menuBar()->findChildren<QAction*>()) {
    if (action->objectName() == itemName) return action;
  }
  return nullptr;
}

bool Window::InNormalState() const {
  return !(frame_->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen));
}

void Window::ContentResized() {
  if (InNormalState()) normalHeight_ = content_->height();
  if (design_.isEmpty()) return;
  const int dw = content_->width() - design_.width();
  const int dh = content_->height() - design_.height();
  for (const auto& control : controls_)
    control->FollowContent(dw, dh);
}

void Window::ArrangeTabOrder() {
  std::vector<Control*> order;
  for (const auto& control : controls_) {
    if (control->Widget().focusPolicy() != Qt::NoFocus) order.push_back(control.get());
  }
  std::stable_sort(order.begin(), order.end(), [](const Control* a, const Control* b) {
    return a->TabIndex() < b->TabIndex();
  });
  for (std::size_t i = 1; i < order.size(); ++i) {
    QWidget::setTabOrder(&order[i - 1]->Widget(), &order[i]->Widget());
  }
}

}  // namespace fw
