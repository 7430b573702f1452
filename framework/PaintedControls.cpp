#include "Controls.h"

#include "Guard.h"
#include "Keyboard.h"
#include "imaging/Graphics.h"

#include <QKeyEvent>
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
void RaiseMouseDown(C& control, QPoint at) {
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
    if (b > 0) {
      const QColor topLeft = ToQColor(owner->topLeft_);
      const QColor bottomRight = ToQColor(owner->bottomRight_);
      painter.fillRect(0, 0, w, b, topLeft);
      painter.fillRect(0, 0, b, h, topLeft);
      painter.fillRect(b, h - b, w - b, b, bottomRight);
      painter.fillRect(w - b, b, b, h - b, bottomRight);
    }
    if (hasFocus()) PaintFocus(painter, b);
  }

  // The keyboard focus shows as a ring in the desktop's highlight colour inside the border, with
  // a ring of black or white within it, whichever stands out from the fill: it shows on a fill
  // of any colour, the highlight colour too.
  void PaintFocus(QPainter& painter, int border) {
    const QRect ring = rect().adjusted(border, border, -border, -border);
    if (ring.width() < 6 || ring.height() < 6) return;
    const QColor fill = ToQColor(owner->fill_);
    const QColor contrast = qGray(fill.rgb()) < 128 ? Qt::white : Qt::black;
    DrawRing(painter, ring, 2, palette().color(QPalette::Highlight));
    DrawRing(painter, ring.adjusted(2, 2, -2, -2), 1, contrast);
  }

  static void DrawRing(QPainter& painter, const QRect& r, int thickness, const QColor& color) {
    painter.fillRect(r.left(), r.top(), r.width(), thickness, color);
    painter.fillRect(r.left(), r.bottom() - thickness + 1, r.width(), thickness, color);
    painter.fillRect(r.left(), r.top(), thickness, r.height(), color);
    painter.fillRect(r.right() - thickness + 1, r.top(), thickness, r.height(), color);
  }

  void mousePressEvent(QMouseEvent* event) override {
    Activate(event->position().toPoint(), event->modifiers());
  }

  // Space, Return and Enter act as a click in the middle of the swatch, with the keys held.
  void keyPressEvent(QKeyEvent* event) override {
    switch (event->key()) {
      case Qt::Key_Space:
      case Qt::Key_Return:
      case Qt::Key_Enter:
        if (!event->isAutoRepeat()) Activate(rect().center(), event->modifiers());
        event->accept();
        return;
      default:
        QWidget::keyPressEvent(event);
    }
  }

  void focusInEvent(QFocusEvent* event) override {
    update();
    QWidget::focusInEvent(event);
  }
  void focusOutEvent(QFocusEvent* event) override {
    update();
    QWidget::focusOutEvent(event);
  }

 private:
  void Activate(QPoint at, Qt::KeyboardModifiers held) {
    const HeldAtActivation keys(held);
    RaiseMouseDown(*owner, at);
  }
};

Rectangle::Rectangle() : ControlOf(std::make_unique<RectangleWidget>()) {
  static_cast<RectangleWidget&>(Widget()).owner = this;
  // Reached with Tab; a click leaves the focus where it was (the text field that the Edit
  // menu acts on).
  Widget().setFocusPolicy(Qt::TabFocus);
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
  void mousePressEvent(QMouseEvent* event) override {
    RaiseMouseDown(*owner, event->position().toPoint());
  }
};

Canvas::Canvas() : ControlOf(std::make_unique<CanvasWidget>()) {
  static_cast<CanvasWidget&>(Widget()).owner = this;
  Widget().setFocusPolicy(Qt::NoFocus);
}

void Canvas::Refresh(bool /*eraseBackground*/) {
  Widget().update();
}

// ---- Line

// A line is as thick as its width in the window's own pixels, and never thinner than one pixel
// of the screen: at a scale of 1.5 a stroke centred on a pixel's edge would fall between the
// screen's pixels and vanish, so a straight line is filled as the rectangle that it covers.
class LineWidget : public QWidget {
 public:
  Line* owner = nullptr;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QColor color = ToQColor(owner->color_);
    const qreal thickness =
        std::max<qreal>(owner->width_, 1.0 / painter.device()->devicePixelRatioF());
    const QPointF from = owner->from_ - geometry().topLeft();
    const QPointF to = owner->to_ - geometry().topLeft();
    if (from.x() == to.x() || from.y() == to.y()) {
      const QPointF topLeft(std::min(from.x(), to.x()), std::min(from.y(), to.y()));
      // The end points are pixels, both drawn, as a line of width 1 with square caps draws them.
      const qreal length = std::abs(to.x() - from.x()) + std::abs(to.y() - from.y()) + 1.0;
      const QSizeF size =
          from.x() == to.x() ? QSizeF(thickness, length) : QSizeF(length, thickness);
      painter.fillRect(QRectF(topLeft, size), color);
      return;
    }
    QPen pen(color);
    pen.setWidthF(thickness);
    pen.setCapStyle(Qt::SquareCap);
    painter.setPen(pen);
    painter.drawLine(from, to);
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
  // One pixel more than the stroke, for the thickness that a scale below 1 adds to it.
  const int slack = 1;
  ControlProperties placed = p;
  placed.left = std::min(p.x1, p.x2);
  placed.top = std::min(p.y1, p.y2);
  placed.width = std::abs(p.x2 - p.x1) + width_ + slack;
  placed.height = std::abs(p.y2 - p.y1) + width_ + slack;
  Control::Apply(placed);
}

}  // namespace fw
