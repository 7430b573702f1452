#include "Controls.h"

#include "Guard.h"
#include "imaging/Graphics.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cstdlib>

namespace fw {

namespace {

// A press on a control's widget, raised as the control's MouseDown event with the point in the
// control.
template <class C>
void RaiseMouseDown(C& control, const QMouseEvent& event) {
  const QPoint at = event.position().toPoint();
  if (control.onMouseDown) Guard([&] { control.onMouseDown(control, at.x(), at.y()); });
}

}  // namespace

// ---- Rectangle

class RectangleWidget : public QWidget {
 public:
  Rectangle* owner = nullptr;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const int w = width();
    const int h = height();
    const int b = std::min({owner->borderWidth_, w / 2, h / 2});
    painter.fillRect(rect(), ToQColor(owner->fill_));
    if (b <= 0) return;
    const QColor topLeft = ToQColor(owner->topLeft_);
    const QColor bottomRight = ToQColor(owner->bottomRight_);
    painter.fillRect(0, 0, w, b, topLeft);
    painter.fillRect(0, 0, b, h, topLeft);
    painter.fillRect(b, h - b, w - b, b, bottomRight);
    painter.fillRect(w - b, b, b, h - b, bottomRight);
  }
  void mousePressEvent(QMouseEvent* event) override { RaiseMouseDown(*owner, *event); }
};

Rectangle::Rectangle() : ControlOf(std::make_unique<RectangleWidget>()) {
  static_cast<RectangleWidget&>(Widget()).owner = this;
}

void Rectangle::SetFillColor(Color c) {
  if (c == fill_) return;
  fill_ = c;
  Widget().update();
}

void Rectangle::Apply(const ControlProperties& p) {
  Control::Apply(p);
  fill_ = p.fillColor;
  topLeft_ = p.topLeftColor;
  bottomRight_ = p.bottomRightColor;
  borderWidth_ = p.borderWidth;
  Widget().update();
}

// ---- Canvas

class CanvasWidget : public QWidget {
 public:
  Canvas* owner = nullptr;

 protected:
  void paintEvent(QPaintEvent*) override {
    if (!owner->onPaint) return;
    QPainter painter(this);
    Graphics g(painter, width(), height());
    try {
      owner->onPaint(*owner, g);
    } catch (...) {
      ReportUnhandledLater(std::current_exception());
    }
  }
  void mousePressEvent(QMouseEvent* event) override { RaiseMouseDown(*owner, *event); }
};

Canvas::Canvas() : ControlOf(std::make_unique<CanvasWidget>()) {
  static_cast<CanvasWidget&>(Widget()).owner = this;
  Widget().setFocusPolicy(Qt::NoFocus);
}

void Canvas::Refresh(bool /*eraseBackground*/) {
  Widget().update();
}

// ---- Line

class LineWidget : public QWidget {
 public:
  Line* owner = nullptr;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    QPen pen(ToQColor(owner->color_));
    pen.setWidth(owner->width_);
    pen.setCapStyle(Qt::SquareCap);
    painter.setPen(pen);
    const QPoint origin = geometry().topLeft();
    painter.drawLine(owner->from_ - origin, owner->to_ - origin);
  }
};

Line::Line() : ControlOf(std::make_unique<LineWidget>()) {
  static_cast<LineWidget&>(Widget()).owner = this;
  Widget().setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Line::Apply(const ControlProperties& p) {
  from_ = QPoint(p.x1, p.y1);
  to_ = QPoint(p.x2, p.y2);
  color_ = p.lineColor;
  width_ = std::max(1, p.borderWidth);
  ControlProperties placed = p;
  placed.left = std::min(p.x1, p.x2);
  placed.top = std::min(p.y1, p.y2);
  placed.width = std::abs(p.x2 - p.x1) + width_;
  placed.height = std::abs(p.y2 - p.y1) + width_;
  Control::Apply(placed);
}

}  // namespace fw
