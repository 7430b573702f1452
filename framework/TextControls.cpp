#include "Controls.h"

#include "ControlSupport.h"
#include "Guard.h"
#include "Text.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace fw {

using controls::ApplyFont;
using controls::Assigning;
using controls::HorizontalAlignment;

// ---- TextField

TextField::TextField() : ControlOf(std::make_unique<QLineEdit>()) {
  // A field keeps all of its text (LimitText 0); Qt's line edit would drop all but 32,767
  // characters of it.
  Edit().setMaxLength(std::numeric_limits<int>::max());
  QObject::connect(&Edit(), &QLineEdit::textChanged, &Edit(), [this] {
    if (!assigning_) Guard([this] { UserEdited(); });
  });
}

QLineEdit& TextField::Edit() const {
  return static_cast<QLineEdit&>(Widget());
}

QString TextField::Text() const {
  return Edit().text();
}

void TextField::SetText(const QString& text) {
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
  Assigning assigning(assigning_);
  Edit().setText(OneLine(p.text));
  shown_ = Edit().text();
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

}  // namespace fw
