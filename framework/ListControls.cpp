#include "Controls.h"

#include "ControlSupport.h"
#include "Guard.h"
#include "base/Error.h"

#include <QAbstractListModel>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListView>

#include <algorithm>
#include <limits>
#include <vector>

namespace fw {

using controls::ApplyFont;
using controls::Assigning;

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

}  // namespace fw
