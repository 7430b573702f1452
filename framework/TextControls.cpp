#include "Controls.h"

#include "ControlSupport.h"
#include "Guard.h"
#include "base/Text.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QToolTip>
#include <QValidator>

namespace fw {

using controls::ApplyFont;
using controls::Assigning;
using controls::HorizontalAlignment;

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
