#pragma once

#include "base/Text.h"

#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>

#include <climits>
#include <functional>
#include <memory>

class QWidget;
class QLineEdit;
class QComboBox;

namespace fw {

class Graphics;
class Window;

// The Index of a control that is not a member of a control array.
constexpr int kNoIndex = INT_MIN;

// A control's initial properties, applied in one go before any of its events is bound, so
// applying them runs none of its handlers. Each kind of control takes the entries it carries.
struct ControlProperties {
  QString name;
  int index = kNoIndex;
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool lockTop = true;
  bool lockLeft = true;
  bool lockRight = false;
  bool lockBottom = false;
  int tabIndex = 0;
  bool visible = true;
  bool enabled = true;
  QString helpTag;
  QString text;       // caption or initial text
  int textSize = 0;   // 0: the standard size
  int textAlign = 0;  // 0 default (left), 1 left, 2 centre, 3 right
  bool multiline = false;
  int limitText = 0;         // a text field's most characters; 0: no limit of its own
  QStringList initialValue;  // the rows of a popup or combo box
  int listIndex = -1;
  Color fillColor = 0xFFFFFF;
  Color topLeftColor = 0x333333;
  Color bottomRightColor = 0xB3B3B3;
  int borderWidth = 1;
  Color lineColor = 0x000000;
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // a line's end points
};

// A control of a window, made of one widget. The widget has one owner at a time: the control,
// until the control is added to a window, and from then on the window's content area, its Qt
// parent. A control that outlives its window finds its widget gone (Widget throws Error).
class Control {
 public:
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const QString& Name() const { return name_; }
  int Index() const { return index_; }
  void SetIndex(int index) { index_ = index; }
  int TabIndex() const { return tabIndex_; }
  QWidget& Widget() const;

  virtual void Apply(const ControlProperties& properties);
  // Raises the control's Open event; the window does this once every control exists.
  virtual void RaiseOpen() = 0;

 protected:
  explicit Control(std::unique_ptr<QWidget> widget);
  static int StandardPixelSize();

 private:
  friend class Window;
  // Hands the widget to its window's content area, which owns it from then on.
  void AdoptInto(QWidget& parent);
  // Keeps the control's locked edges at their distance from the content area's edges after the
  // content area grew by (dw, dh) from its designed size.
  void FollowContent(int dw, int dh);

  std::unique_ptr<QWidget> unadopted_;  // the widget until a window adopts it
  QPointer<QWidget> widget_;
  QString name_;
  int index_ = kNoIndex;
  int tabIndex_ = 0;
  QRect design_;
  bool lockTop_ = true, lockLeft_ = true, lockRight_ = false, lockBottom_ = false;
};

// The Open event with the control itself as the sender.
template <class Self>
class ControlOf : public Control {
 public:
  std::function<void(Self&)> onOpen;
  void RaiseOpen() override {
    if (onOpen) onOpen(static_cast<Self&>(*this));
  }

 protected:
  using Control::Control;
};

// A one-line text field. It keeps a text of any length up to its LimitText, and never a line
// end: each line end (CR, LF or CR LF) that an assignment, a paste or a drop brings in becomes
// one blank, as the field shows it. Setting Text raises TextChange before the assignment returns,
// also when the text stays the same; every edit by the user raises it too. An edit of the user's
// (typing, a paste, a drop) that would pass the limit is refused whole, with a word beside the
// field, and leaves the text as it was.
class TextField : public ControlOf<TextField> {
 public:
  TextField();
  ~TextField() override;
  QString Text() const;
  // Throws Error, and changes nothing, for a text longer than LimitText.
  void SetText(const QString& text);
  // The most characters (UTF-16 code units) that the field holds; 0 for no limit of its own.
  int LimitText() const { return limit_; }
  void SetLimitText(int limit);
  // While TextChange runs: whether the user made the change (typing, cutting, pasting, undo)
  // rather than an assignment to Text.
  bool UserChange() const { return userChange_; }
  QLineEdit& Edit() const;
  void Apply(const ControlProperties& properties) override;

  std::function<void(TextField&)> onTextChange;

 private:
  void UserEdited();
  void RedoAsOneLine();
  void RaiseTextChange(bool byUser);
  void Refused();
  bool assigning_ = false;
  bool userChange_ = false;
  QString shown_;  // the text as the last change left it
  int limit_ = 0;
  std::unique_ptr<class LimitValidator> validator_;
};

// An editable combo box. Setting Text raises TextChanged before it returns; so does typing and
// picking a row. Changing the rows raises nothing.
class ComboBox : public ControlOf<ComboBox> {
 public:
  ComboBox();
  QString Text() const;
  void SetText(const QString& text);
  void AddRow(const QString& row);
  void DeleteAllRows();
  int ListCount() const;
  QString List(int row) const;
  QComboBox& Box() const;
  void Apply(const ControlProperties& properties) override;

  std::function<void(ComboBox&)> onTextChanged;

 private:
  bool assigning_ = false;
};

class PopupRows;

// A pop-up menu of rows, each with a text tag. ListIndex -1 means that no row is chosen, also
// while rows exist. Setting ListIndex raises Change before it returns, also for the same value;
// a row chosen by the user raises it too. Adding and removing rows raises nothing.
class PopupMenu : public ControlOf<PopupMenu> {
 public:
  PopupMenu();
  ~PopupMenu() override;
  int ListIndex() const;
  // Throws Error for an index outside -1 to ListCount - 1.
  void SetListIndex(int index);
  int ListCount() const;
  void AddRow(const QString& row);
  void DeleteAllRows();
  // Puts count rows in place of every row at once, with no row chosen, as DeleteAllRows and
  // count AddRow calls would. The rows are made only when they are asked for or shown, so a list
  // of a hundred thousand rows costs no more than a short one.
  using RowText = std::function<QString(int row)>;
  void SetRows(int count, RowText text, RowText tag);
  QString List(int row) const;
  QString RowTag(int row) const;
  void SetRowTag(int row, const QString& tag);
  QComboBox& Box() const;
  void Apply(const ControlProperties& properties) override;

  std::function<void(PopupMenu&)> onChange;

 private:
  void CheckRow(int row) const;
  // Qt chooses the first row of rows put into an empty box; the framework leaves the choice alone.
  void KeepChoice(int before);
  std::unique_ptr<PopupRows> rows_;  // the box's model
  bool assigning_ = false;
};

class Label : public ControlOf<Label> {
 public:
  Label();
  QString Text() const;
  void SetText(const QString& text);
  void Apply(const ControlProperties& properties) override;
};

// A filled rectangle with a two-colour border: one colour on the top and left edges, another on
// the bottom and right ones.
class Rectangle : public ControlOf<Rectangle> {
 public:
  Rectangle();
  Color FillColor() const { return fill_; }
  void SetFillColor(Color c);
  Color TopLeftColor() const { return topLeft_; }
  Color BottomRightColor() const { return bottomRight_; }
  int BorderWidth() const { return borderWidth_; }
  void Apply(const ControlProperties& properties) override;

  std::function<bool(Rectangle&, int x, int y)> onMouseDown;

 private:
  friend class RectangleWidget;
  Color fill_ = 0xFFFFFF;
  Color topLeft_ = 0x333333;
  Color bottomRight_ = 0xB3B3B3;
  int borderWidth_ = 1;
};

// A surface that the program paints in its Paint event.
class Canvas : public ControlOf<Canvas> {
 public:
  Canvas();
  // Asks for a repaint, which comes through Paint once pending events run.
  void Refresh(bool eraseBackground = true);

  std::function<void(Canvas&, Graphics&)> onPaint;
  std::function<bool(Canvas&, int x, int y)> onMouseDown;
};

class PushButton : public ControlOf<PushButton> {
 public:
  PushButton();
  QString Caption() const;
  void Apply(const ControlProperties& properties) override;

  std::function<void(PushButton&)> onAction;
};

// A straight line between two points of the window's content area.
class Line : public ControlOf<Line> {
 public:
  Line();
  void Apply(const ControlProperties& properties) override;

 private:
  friend class LineWidget;
  QPoint from_, to_;
  Color color_ = 0;
  int width_ = 1;
};

}  // namespace fw
