#pragma once

// What the controls' implementations share.

#include <QFont>
#include <QWidget>

namespace fw::controls {

// Marks a program's own change of a control, during which the widget's signals are not the
// user's doing.
class Assigning {
 public:
  explicit Assigning(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
  ~Assigning() { flag_ = old_; }
  Assigning(const Assigning&) = delete;
  Assigning& operator=(const Assigning&) = delete;

 private:
  bool& flag_;
  bool old_;
};

inline void ApplyFont(QWidget& widget, int textSize, int standard) {
  QFont font = widget.font();
  font.setPixelSize(textSize > 0 ? textSize : standard);
  widget.setFont(font);
}

inline Qt::Alignment HorizontalAlignment(int textAlign) {
  switch (textAlign) {
    case 2:
      return Qt::AlignHCenter;
    case 3:
      return Qt::AlignRight;
    default:
      return Qt::AlignLeft;
  }
}

}  // namespace fw::controls
