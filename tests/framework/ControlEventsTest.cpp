// The events of controls, set off by the program and by the user: a window's controls open once
// all exist, and a text field, a popup menu and a combo box raise their change events as they
// change.
#include "EventsWin.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

#include <climits>

namespace {

using namespace events_test;
using ControlEventsTest = EventsTest;

// ---- construction and initial properties

TEST_F(ControlEventsTest, ControlsOpenOnceAllExistBeforeTheConstructorReturns) {
  const auto w = Make(QStringLiteral("new"));
  QStringList got = Journal();
  got.sort();
  EXPECT_EQ(got, QStringList({"new Button Open 5 bound", "new Combo Open 5 bound",
                              "new Field Open 5 bound", "new Pad Open 5 bound",
                              "new Popup Open 5 bound"}))
      << "every control once, and no other event";
  EXPECT_EQ(w->Title(), QStringLiteral("new"));
  EXPECT_FALSE(w->IsOpen()) << "a new window shows only when asked";
}

TEST_F(ControlEventsTest, ApplyingInitialPropertiesRunsNoHandler) {
  // Handlers bound before the properties are applied: still none runs.
  fw::Window holder;
  int calls = 0;
  auto field = std::make_shared<fw::TextField>();
  field->onTextChange = [&](fw::TextField&) { ++calls; };
  auto popup = std::make_shared<fw::PopupMenu>();
  popup->onChange = [&](fw::PopupMenu&) { ++calls; };
  auto chosen = std::make_shared<fw::ComboBox>();
  chosen->onTextChanged = [&](fw::ComboBox&) { ++calls; };
  auto typed = std::make_shared<fw::ComboBox>();
  typed->onTextChanged = [&](fw::ComboBox&) { ++calls; };
  holder.AddControl(QStringLiteral("Field"), field);
  holder.AddControl(QStringLiteral("Popup"), popup);
  holder.AddControl(QStringLiteral("Chosen"), chosen);
  holder.AddControl(QStringLiteral("Typed"), typed);

  const QStringList rows{QStringLiteral("23"), QStringLiteral("46"), QStringLiteral("92")};
  fw::ControlProperties p = Props(QStringLiteral("Field"), 0, 0, 100, 22);
  p.text = QStringLiteral("initial");
  field->Apply(p);
  p = Props(QStringLiteral("Popup"), 0, 30, 100, 22);
  p.initialValue = rows;
  p.listIndex = 2;
  popup->Apply(p);
  p = Props(QStringLiteral("Chosen"), 0, 60, 100, 22);
  p.initialValue = rows;
  p.listIndex = 1;
  chosen->Apply(p);
  p = Props(QStringLiteral("Typed"), 0, 90, 100, 22);
  p.initialValue = rows;
  p.text = QStringLiteral("typed");
  typed->Apply(p);

  EXPECT_EQ(calls, 0);
  EXPECT_EQ(field->Text(), QStringLiteral("initial"));
  EXPECT_EQ(popup->ListIndex(), 2);
  EXPECT_EQ(popup->ListCount(), 3);
  EXPECT_EQ(chosen->Text(), QStringLiteral("46"));
  EXPECT_EQ(typed->Text(), QStringLiteral("typed"));
  EXPECT_EQ(typed->ListCount(), 3);

  // Bound as they are, the handlers do answer the user.
  QTest::keyClicks(&field->Edit(), "!");
  EXPECT_EQ(calls, 1);
}

// ---- text fields

TEST_F(ControlEventsTest, SettingTextRaisesTextChangeBeforeItReturns) {
  const auto w = Shown();
  fw::TextField& f = w->Field();
  QStringList seen;
  f.onTextChange = [&](fw::TextField& s) {
    seen << s.Text() + (s.UserChange() ? QStringLiteral(" by the user") : QString());
  };
  // The same text twice: the second assignment raises it too.
  for (const QString& text :
       {QStringLiteral("abc"), QStringLiteral("abc"), QString(), QStringLiteral("背景")}) {
    SCOPED_TRACE(text.toStdString());
    seen.clear();
    f.SetText(text);
    EXPECT_EQ(seen, QStringList({text})) << "once, with the new text, as the program's change";
    EXPECT_EQ(f.Text(), text);
  }

  seen.clear();
  QTest::keyClicks(&f.Edit(), "xy");
  EXPECT_EQ(seen, QStringList({"背景x by the user", "背景xy by the user"}));
  EXPECT_FALSE(f.UserChange()) << "only while the event runs";
}

TEST_F(ControlEventsTest, AnAssignmentInsideTextChangeRaisesItAgain) {
  const auto w = Shown();
  fw::TextField& f = w->Field();
  QStringList seen;
  // Upper-cases what the user types.
  f.onTextChange = [&](fw::TextField& s) {
    seen << s.Text() + (s.UserChange() ? QStringLiteral(" by the user") : QString());
    if (s.Text() != s.Text().toUpper()) {
      s.SetText(s.Text().toUpper());
      seen << (s.UserChange() ? QStringLiteral("still the user's") : QStringLiteral("lost"));
    }
  };
  QTest::keyClicks(&f.Edit(), "a");
  EXPECT_EQ(seen, QStringList({"starta by the user", "STARTA", "still the user's"}));
  EXPECT_EQ(f.Text(), QStringLiteral("STARTA"));
}

TEST_F(ControlEventsTest, AnExceptionFromTextChangeGoesToWhoeverSetTheText) {
  const auto w = Shown();
  fw::TextField& f = w->Field();
  f.onTextChange = [](fw::TextField&) { throw fw::Error(QStringLiteral("bad text")); };
  EXPECT_THROW(f.SetText(QStringLiteral("x")), fw::Error);
  EXPECT_EQ(f.Text(), QStringLiteral("x"));
  EXPECT_FALSE(f.UserChange());
  EXPECT_TRUE(Script().messages.empty()) << "the program's own call gets it, not the framework";

  // From typing there is no caller: the framework reports it.
  Script().ExpectMessage(QStringLiteral("bad text"), fw::MessageButton::Action);
  QTest::keyClicks(&f.Edit(), "y");
  EXPECT_TRUE(Script().Done());
  EXPECT_FALSE(f.UserChange());
  EXPECT_EQ(f.Text(), QStringLiteral("xy"));
}

// ---- popup menus

TEST_F(ControlEventsTest, SettingListIndexRaisesChangeAlsoForTheSameValue) {
  const auto w = Shown();
  fw::PopupMenu& p = w->Popup();
  std::vector<int> changes;
  p.onChange = [&](fw::PopupMenu& s) { changes.push_back(s.ListIndex()); };
  ASSERT_EQ(p.ListIndex(), 1);
  p.SetListIndex(2);
  EXPECT_EQ(changes, std::vector<int>({2})) << "before the assignment returns";
  p.SetListIndex(2);
  p.SetListIndex(0);
  p.SetListIndex(-1);
  EXPECT_EQ(changes, std::vector<int>({2, 2, 0, -1}));
  EXPECT_EQ(p.ListIndex(), -1) << "no row chosen, while rows exist";

  // A row chosen by the user.
  p.SetListIndex(0);
  changes.clear();
  QTest::keyClick(&p.Box(), Qt::Key_Down);
  EXPECT_EQ(changes, std::vector<int>({1}));
  EXPECT_EQ(p.ListIndex(), 1);
}

TEST_F(ControlEventsTest, AListIndexOutsideTheRowsIsAnErrorAndChangesNothing) {
  const auto w = Shown();
  fw::PopupMenu& p = w->Popup();
  int changes = 0;
  p.onChange = [&](fw::PopupMenu&) { ++changes; };
  for (const int index : {-2, 3, 99, INT_MIN, INT_MAX}) {
    SCOPED_TRACE(index);
    EXPECT_THROW(p.SetListIndex(index), fw::Error);
    EXPECT_EQ(p.ListIndex(), 1);
  }
  EXPECT_EQ(changes, 0);

  p.DeleteAllRows();
  EXPECT_THROW(p.SetListIndex(0), fw::Error);
  EXPECT_EQ(changes, 0);
  p.SetListIndex(-1);
  EXPECT_EQ(changes, 1) << "-1 is always allowed";
}

TEST_F(ControlEventsTest, RowsAndTagsChangeWithoutAnEvent) {
  const auto w = Shown();
  fw::PopupMenu& p = w->Popup();
  int changes = 0;
  p.onChange = [&](fw::PopupMenu&) { ++changes; };

  p.DeleteAllRows();
  EXPECT_EQ(p.ListCount(), 0);
  EXPECT_EQ(p.ListIndex(), -1);
  p.AddRow(QStringLiteral("A"));
  p.AddRow(QStringLiteral("B"));
  EXPECT_EQ(p.ListCount(), 2);
  EXPECT_EQ(p.ListIndex(), -1) << "adding a row chooses none";
  EXPECT_EQ(p.List(0), QStringLiteral("A"));
  EXPECT_EQ(p.List(1), QStringLiteral("B"));

  p.SetRowTag(1, QStringLiteral("tag of B"));
  EXPECT_EQ(p.RowTag(1), QStringLiteral("tag of B"));
  EXPECT_EQ(p.RowTag(0), QString());
  for (const int row : {-1, 2, INT_MIN}) {
    SCOPED_TRACE(row);
    EXPECT_THROW(p.List(row), fw::Error);
    EXPECT_THROW(p.RowTag(row), fw::Error);
    EXPECT_THROW(p.SetRowTag(row, QStringLiteral("x")), fw::Error);
  }

  p.SetListIndex(1);
  changes = 0;
  p.AddRow(QStringLiteral("C"));
  EXPECT_EQ(p.ListIndex(), 1) << "adding keeps the choice";
  p.DeleteAllRows();
  EXPECT_EQ(p.ListCount(), 0);
  EXPECT_EQ(p.ListIndex(), -1);
  p.AddRow(QStringLiteral("D"));
  EXPECT_EQ(p.RowTag(0), QString()) << "the tags went with their rows";
  EXPECT_EQ(changes, 0);
}

TEST_F(ControlEventsTest, RowsMadeWithoutATagFunctionHaveEmptyTags) {
  const auto w = Shown();
  fw::PopupMenu& p = w->Popup();
  p.SetRows(
      3, [](int row) { return QString::number(row); }, nullptr);
  EXPECT_EQ(p.List(2), QStringLiteral("2"));
  EXPECT_EQ(p.RowTag(2), QString());
  p.AddRow(QStringLiteral("3"));  // holds the made rows, tags and all
  EXPECT_EQ(p.RowTag(0), QString());
  EXPECT_EQ(p.List(3), QStringLiteral("3"));
  p.SetRows(2, nullptr, [](int row) { return QString::number(row); });
  EXPECT_EQ(p.List(1), QString());
  EXPECT_EQ(p.RowTag(1), QStringLiteral("1"));
}

// A control held past its window: the window's content area owned the widget and took it along.
TEST_F(ControlEventsTest, AControlThatOutlivesItsWindowDeletesNoWidget) {
  auto field = std::make_shared<fw::TextField>();
  {
    auto window = std::make_shared<fw::Window>();
    window->AddControl(QStringLiteral("Field"), field);
  }
  EXPECT_THROW(field->Widget(), fw::Error);
  EXPECT_THROW(field->SetText(QStringLiteral("x")), fw::Error);
  field.reset();  // deleted the widget a second time before
  // A control that no window adopted deletes its own widget.
  auto alone = std::make_unique<fw::Label>();
  QPointer<QWidget> widget = &alone->Widget();
  alone.reset();
  EXPECT_TRUE(widget.isNull());
}

// ---- combo boxes

TEST_F(ControlEventsTest, ComboBoxTextChangedComesFromSettingTypingAndPicking) {
  const auto w = Shown();
  fw::ComboBox& c = w->Combo();
  ASSERT_EQ(c.Text(), QStringLiteral("46"));
  QStringList seen;
  c.onTextChanged = [&](fw::ComboBox& s) { seen << s.Text(); };

  c.SetText(QStringLiteral("100"));
  EXPECT_EQ(seen, QStringList({"100"})) << "once, before the assignment returns";

  seen.clear();
  QTest::keyClicks(c.Box().lineEdit(), "7");
  EXPECT_EQ(seen, QStringList({"1007"}));

  seen.clear();
  c.Box().setCurrentIndex(0);
  QTest::keyClick(&c.Box(), Qt::Key_Down);
  EXPECT_EQ(c.Text(), QStringLiteral("46"));
  EXPECT_EQ(seen.value(seen.size() - 1), QStringLiteral("46")) << "the row picked";

  seen.clear();
  c.AddRow(QStringLiteral("138"));
  c.DeleteAllRows();
  EXPECT_EQ(c.Text(), QStringLiteral("46")) << "the rows go, the text stays";
  c.AddRow(QStringLiteral("5"));
  EXPECT_EQ(c.Text(), QStringLiteral("46")) << "the first row added is not taken";
  EXPECT_EQ(c.ListCount(), 1);
  EXPECT_EQ(c.List(0), QStringLiteral("5"));
  EXPECT_TRUE(seen.isEmpty()) << "changing the rows raises nothing";
}

}  // namespace
