#include "Controls.h"

#include "Error.h"
#include "Guard.h"
#include "Keyboard.h"
#include "Picture.h"

#include <QAbstractListModel>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QToolTip>
#include <QValidator>
#include <QWidget>

#include <algorithm>
#include <limits>
#include <vector>

namespace fw {

namespace {

QColor ToQColor(Color c) {
  return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

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

void ApplyFont(QWidget& widget, int textSize, int standard) {
  QFont font = widget.font();
  font.setPixelSize(textSize > 0 ? textSize : standard);
  widget.setFont(font);
}

Qt::Alignment HorizontalAlignment(int textAlign) {
  switch (textAlign) {
    case 2:
      return Qt::AlignHCenter;
    case 3:
      return Qt::AlignRight;
    default:
      return Qt::AlignLeft;
  }
}

}  // namespace

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

// ---- TextField

// Refuses a text longer than the field's limit. Qt's line edit then takes back the edit of the
// user's that made it, whole, and says so (inputRejected); Qt's own maximum length would cut
// the edit instead.
class LimitValidator : public QValidator {
 public:
  int limit = 0;
  State validate(QString& input, int& /*pos*/) const override {
    return limit > 0 && input.size() > limit ? Invalid : Acceptable;
  }
};

TextField::TextField()
    : ControlOf(std::make_unique<QLineEdit>()), validator_(std::make_unique<LimitValidator>()) {
  // Qt's line edit would drop all but 32,767 characters of a text; the limit is the field's own.
  Edit().setMaxLength(std::numeric_limits<int>::max());
  Edit().setValidator(validator_.get());
  QObject::connect(&Edit(), &QLineEdit::textChanged, &Edit(), [this] {
    if (!assigning_) Guard([this] { UserEdited(); });
  });
  QObject::connect(&Edit(), &QLineEdit::inputRejected, &Edit(), [this] {
    if (!assigning_) Guard([this] { Refused(); });
  });
}

// The validator goes first; the line edit, when it is still there, lets go of it as it goes.
TextField::~TextField() = default;

void TextField::SetLimitText(int limit) {
  limit_ = std::max(0, limit);
  validator_->limit = limit_;
}

void TextField::Refused() {
  QLineEdit& edit = Edit();
  const QString message =
      QCoreApplication::translate("fw::TextField",
                                  "Not changed: the text would be longer than %1 characters, "
                                  "the most that this field takes.")
          .arg(QLocale(QLocale::English).toString(limit_));
  QToolTip::showText(edit.mapToGlobal(QPoint(0, edit.height())), message, &edit);
}

QLineEdit& TextField::Edit() const {
  return static_cast<QLineEdit&>(Widget());
}

QString TextField::Text() const {
  return Edit().text();
}

void TextField::SetText(const QString& text) {
  if (limit_ > 0 && text.size() > limit_) {
    throw Error(QStringLiteral("A text of %1 characters is longer than the field's %2.")
                    .arg(text.size())
                    .arg(limit_));
  }
  {
    Assigning assigning(assigning_);
    Edit().setText(OneLine(text));
  }
  shown_ = Edit().text();
  RaiseTextChange(false);
}

void TextField::UserEdited() {
  if (HasLineEnd(Edit().text())) RedoAsOneLine();
  shown_ = Edit().text();
  RaiseTextChange(true);
}

// Qt's line edit takes line ends in from a paste or a drop. The edit is made again on the text
// before it, with each line end as one blank, so that one undo still takes the whole edit back
// (the edit's own steps are lost with the text that held the line ends).
void TextField::RedoAsOneLine() {
  QLineEdit& edit = Edit();
  const QString& before = shown_;
  const QString raw = edit.text();
  const QString after = OneLine(raw);
  const qsizetype cursor = OneLine(raw.left(edit.cursorPosition())).size();

  // The edit turned before[from, before.size() - tail) into after[from, after.size() - tail).
  qsizetype from = 0;
  while (from < before.size() && from < after.size() && before[from] == after[from])
    ++from;
  qsizetype tail = 0;
  while (tail < before.size() - from && tail < after.size() - from &&
         before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
    ++tail;
  const QString inserted = after.mid(from, after.size() - from - tail);

  Assigning assigning(assigning_);
  edit.setText(before);
  edit.setSelection(int(from), int(before.size() - from - tail));
  edit.insert(inserted);
  edit.setCursorPosition(int(cursor));
}

void TextField::RaiseTextChange(bool byUser) {
  if (!onTextChange) return;
  const bool outer = userChange_;
  userChange_ = byUser;
  try {
    onTextChange(*this);
  } catch (...) {
    userChange_ = outer;
    throw;
  }
  userChange_ = outer;
}

void TextField::Apply(const ControlProperties& p) {
  Control::Apply(p);
  ApplyFont(Edit(), p.textSize, StandardPixelSize());
  SetLimitText(p.limitText);
  Assigning assigning(assigning_);
  Edit().setText(OneLine(p.text));
  shown_ = Edit().text();
}

// ---- ComboBox

ComboBox::ComboBox() : ControlOf(std::make_unique<QComboBox>()) {
  Box().setEditable(true);
  Box().setInsertPolicy(QComboBox::NoInsert);
  // A typed height is the height: the completer that an editable box gets would turn "4" into
  // the row "46" as the user types.
  Box().setCompleter(nullptr);
  QObject::connect(&Box(), &QComboBox::editTextChanged, &Box(), [this] {
    if (!assigning_ && onTextChanged) Guard([this] { onTextChanged(*this); });
  });
}

QComboBox& ComboBox::Box() const {
  return static_cast<QComboBox&>(Widget());
}

QString ComboBox::Text() const {
  return Box().currentText();
}

void ComboBox::SetText(const QString& text) {
  {
    Assigning assigning(assigning_);
    Box().setEditText(text);
  }
  if (onTextChanged) onTextChanged(*this);
}

void ComboBox::AddRow(const QString& row) {
  Assigning assigning(assigning_);
  const QString text = Box().currentText();
  Box().addItem(row);
  if (Box().currentText() != text) {
    // Adding the first row would choose it and take its text: keep the text as it was.
    Box().setCurrentIndex(-1);
    Box().setEditText(text);
  }
}

void ComboBox::DeleteAllRows() {
  Assigning assigning(assigning_);
  const QString text = Box().currentText();
  Box().clear();
  Box().setEditText(text);
}

int ComboBox::ListCount() const {
  return Box().count();
}

QString ComboBox::List(int row) const {
  return Box().itemText(row);
}

void ComboBox::Apply(const ControlProperties& p) {
  Control::Apply(p);
  ApplyFont(Box(), p.textSize, StandardPixelSize());
  Assigning assigning(assigning_);
  Box().clear();
  Box().addItems(p.initialValue);
  Box().setCurrentIndex(p.listIndex);
  if (p.listIndex < 0) Box().setEditText(p.text);
}

// ---- PopupMenu

// A pop-up menu's rows as the model of its box. Rows added one by one are held; the rows that
// SetRows puts in are made from its functions whenever the box asks for one.
class PopupRows : public QAbstractListModel {
 public:
  int rowCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : count_;
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || index.row() >= count_) return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole) return Text(index.row());
    if (role == Qt::UserRole) return Tag(index.row());
    return {};
  }

  // A made row whose function is missing reads as the empty text.
  QString Text(int row) const { return made_ ? Made(text_, row) : texts_[std::size_t(row)]; }
  QString Tag(int row) const { return made_ ? Made(tag_, row) : tags_[std::size_t(row)]; }

  void Hold(const QStringList& texts) {
    beginResetModel();
    made_ = false;
    text_ = tag_ = nullptr;
    texts_.assign(texts.begin(), texts.end());
    tags_.assign(texts_.size(), QString());
    count_ = int(texts_.size());
    endResetModel();
  }
  void Make(int count, PopupMenu::RowText text, PopupMenu::RowText tag) {
    beginResetModel();
    texts_.clear();
    tags_.clear();
    made_ = true;
    text_ = std::move(text);
    tag_ = std::move(tag);
    count_ = count;
    endResetModel();
  }
  void Append(const QString& text) {
    HoldMadeRows();
    beginInsertRows(QModelIndex(), count_, count_);
    texts_.push_back(text);
    tags_.emplace_back();
    ++count_;
    endInsertRows();
  }
  void SetTag(int row, const QString& tag) {
    HoldMadeRows();
    tags_[std::size_t(row)] = tag;
    Q_EMIT dataChanged(index(row), index(row), {Qt::UserRole});
  }

 private:
  // Made rows are held from the first change of one of them on; they read the same.
  void HoldMadeRows() {
    if (!made_) return;
    texts_.clear();
    tags_.clear();
    for (int row = 0; row < count_; ++row) {
      texts_.push_back(Text(row));
      tags_.push_back(Tag(row));
    }
    made_ = false;
    text_ = tag_ = nullptr;
  }
  static QString Made(const PopupMenu::RowText& function, int row) {
    return function ? function(row) : QString();
  }

  int count_ = 0;
  bool made_ = false;  // rows made by functions, not held
  std::vector<QString> texts_, tags_;
  PopupMenu::RowText text_, tag_;
};

PopupMenu::PopupMenu()
    : ControlOf(std::make_unique<QComboBox>()), rows_(std::make_unique<PopupRows>()) {
  Box().setModel(rows_.get());
  // Neither the box's size nor its list's layout may cost a look at every row of a long list.
  Box().setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  if (auto* list = qobject_cast<QListView*>(Box().view())) list->setUniformItemSizes(true);
  QObject::connect(&Box(), qOverload<int>(&QComboBox::activated), &Box(), [this] {
    if (!assigning_ && onChange) Guard([this] { onChange(*this); });
  });
}

// The model goes before the box, which then lets go of it, as Qt's views do of a model destroyed.
PopupMenu::~PopupMenu() = default;

QComboBox& PopupMenu::Box() const {
  return static_cast<QComboBox&>(Widget());
}

int PopupMenu::ListIndex() const {
  return Box().currentIndex();
}

void PopupMenu::SetListIndex(int index) {
  if (index != -1) CheckRow(index);
  {
    Assigning assigning(assigning_);
    Box().setCurrentIndex(index);
  }
  if (onChange) onChange(*this);
}

int PopupMenu::ListCount() const {
  return rows_->rowCount();
}

void PopupMenu::KeepChoice(int before) {
  if (Box().currentIndex() != before) Box().setCurrentIndex(before);
}

void PopupMenu::AddRow(const QString& row) {
  Assigning assigning(assigning_);
  const int before = Box().currentIndex();
  rows_->Append(row);
  KeepChoice(before);
}

void PopupMenu::DeleteAllRows() {
  Assigning assigning(assigning_);
  rows_->Hold({});
  KeepChoice(-1);
}

void PopupMenu::SetRows(int count, RowText text, RowText tag) {
  Assigning assigning(assigning_);
  rows_->Make(std::max(0, count), std::move(text), std::move(tag));
  KeepChoice(-1);
}

QString PopupMenu::List(int row) const {
  CheckRow(row);
  return rows_->Text(row);
}

QString PopupMenu::RowTag(int row) const {
  CheckRow(row);
  return rows_->Tag(row);
}

void PopupMenu::SetRowTag(int row, const QString& tag) {
  CheckRow(row);
  rows_->SetTag(row, tag);
}

void PopupMenu::CheckRow(int row) const {
  if (row < 0 || row >= ListCount()) {
    throw Error(QCoreApplication::translate("fw::PopupMenu", "Row %1 of “%2” does not exist.")
                    .arg(row)
                    .arg(Name()));
  }
}

void PopupMenu::Apply(const ControlProperties& p) {
  Control::Apply(p);
  ApplyFont(Box(), p.textSize, StandardPixelSize());
  Assigning assigning(assigning_);
  rows_->Hold(p.initialValue);
  Box().setCurrentIndex(p.listIndex);
}

// ---- Label

Label::Label() : ControlOf(std::make_unique<QLabel>()) {}

QString Label::Text() const {
  return static_cast<QLabel&>(Widget()).text();
}

void Label::SetText(const QString& text) {
  static_cast<QLabel&>(Widget()).setText(text);
}

void Label::Apply(const ControlProperties& p) {
  Control::Apply(p);
  auto& label = static_cast<QLabel&>(Widget());
  ApplyFont(label, p.textSize, StandardPixelSize());
  label.setTextFormat(Qt::PlainText);
  label.setWordWrap(p.multiline);
  label.setAlignment(HorizontalAlignment(p.textAlign) |
                     (p.multiline ? Qt::AlignTop : Qt::AlignVCenter));
  label.setText(p.text);
}

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
    if (!owner->onMouseDown) return;
    const HeldAtActivation keys(held);
    Guard([&] { owner->onMouseDown(*owner, at.x(), at.y()); });
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
    const QPoint at = event->position().toPoint();
    if (owner->onMouseDown) Guard([&] { owner->onMouseDown(*owner, at.x(), at.y()); });
  }
};

Canvas::Canvas() : ControlOf(std::make_unique<CanvasWidget>()) {
  static_cast<CanvasWidget&>(Widget()).owner = this;
  Widget().setFocusPolicy(Qt::NoFocus);
}

void Canvas::Refresh(bool /*eraseBackground*/) {
  Widget().update();
}

// ---- PushButton

PushButton::PushButton() : ControlOf(std::make_unique<QPushButton>()) {
  QObject::connect(static_cast<QPushButton*>(&Widget()), &QPushButton::clicked, &Widget(), [this] {
    if (onAction) Guard([this] { onAction(*this); });
  });
}

QString PushButton::Caption() const {
  return static_cast<QPushButton&>(Widget()).text();
}

void PushButton::Apply(const ControlProperties& p) {
  Control::Apply(p);
  auto& button = static_cast<QPushButton&>(Widget());
  ApplyFont(button, p.textSize, StandardPixelSize());
  button.setText(p.text);
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
