#include "Controls.h"

#include "base/Error.h"

#include <QFont>
#include <QWidget>

namespace fw {

// ---- Control

Control::Control(std::unique_ptr<QWidget> widget)
    : unadopted_(std::move(widget)), widget_(unadopted_.get()) {}

Control::~Control() = default;

QWidget& Control::Widget() const {
  if (!widget_) throw Error(QStringLiteral("The control “%1” has lost its window.").arg(name_));
  return *widget_;
}

void Control::AdoptInto(QWidget& parent) {
  QWidget* const widget = unadopted_.release();
  if (widget) widget->setParent(&parent);
}

int Control::StandardPixelSize() {
  return 13;
}

void Control::Apply(const ControlProperties& p) {
  if (!p.name.isEmpty()) name_ = p.name;
  index_ = p.index;
  tabIndex_ = p.tabIndex;
  design_ = QRect(p.left, p.top, p.width, p.height);
  lockTop_ = p.lockTop;
  lockLeft_ = p.lockLeft;
  lockRight_ = p.lockRight;
  lockBottom_ = p.lockBottom;
  QWidget& widget = Widget();
  widget.setGeometry(design_);
  widget.setEnabled(p.enabled);
  widget.setToolTip(p.helpTag);
  widget.setVisible(p.visible);
}

void Control::FollowContent(int dw, int dh) {
  QRect r = design_;
  if (lockLeft_ && lockRight_) {
    r.setWidth(std::max(0, design_.width() + dw));
  } else if (lockRight_) {
    r.moveLeft(design_.left() + dw);
  }
  if (lockTop_ && lockBottom_) {
    r.setHeight(std::max(0, design_.height() + dh));
  } else if (lockBottom_) {
    r.moveTop(design_.top() + dh);
  }
  if (widget_ && r != widget_->geometry()) widget_->setGeometry(r);
}

}  // namespace fw
