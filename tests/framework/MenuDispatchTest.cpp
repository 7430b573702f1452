// Menu items go to the front window first, then to the application, and the standard Edit items
// act on the focused text field.
#include "EventsWin.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QTest>

namespace {

using namespace events_test;
using MenuDispatchTest = EventsTest;

// ---- menus

TEST_F(MenuDispatchTest, AMenuItemGoesToTheFrontWindowFirstThenTheApplication) {
  const auto back = Shown(QStringLiteral("back"));
  const auto front = Shown(QStringLiteral("front"));
  ASSERT_EQ(fw::FrontWindow(), front);

  const struct {
    const char* what;
    std::function<void()> choose;
    QStringList handled;
  } cases[] = {
      {"the front window's item",
       [] { fw::ChooseMenuItem(QStringLiteral("TestWin")); },
       {"front TestWin"}},
      {"an item only the application binds",
       [] { fw::ChooseMenuItem(QStringLiteral("TestApp")); },
       {"app TestApp"}},
      {"an item the window leaves unhandled",
       [] { fw::ChooseMenuItem(QStringLiteral("TestDecline")); },
       {"front TestDecline", "app TestDecline"}},
      {"an item nobody binds", [] { fw::ChooseMenuItem(QStringLiteral("TestNobody")); }, {}},
      {"in a given window",
       [&] { fw::ChooseMenuItem(QStringLiteral("TestWin"), back.get()); },
       {"back TestWin"}},
      {"from the front window's menu bar",
       [&] { front->MenuAction(QStringLiteral("TestWin"))->trigger(); },
       {"front TestWin"}},
      {"from the menu bar, for the application",
       [&] { front->MenuAction(QStringLiteral("TestApp"))->trigger(); },
       {"app TestApp"}},
      {"from the other window's menu bar",
       [&] { back->MenuAction(QStringLiteral("TestWin"))->trigger(); },
       {"back TestWin"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Journal().clear();
    c.choose();
    EXPECT_EQ(Journal(), c.handled);
  }

  front->Close();
  ASSERT_EQ(fw::FrontWindow(), back);
  Journal().clear();
  fw::ChooseMenuItem(QStringLiteral("TestWin"));
  EXPECT_EQ(Journal(), QStringList({"back TestWin"}));

  back->Close();
  ASSERT_EQ(fw::FrontWindow(), nullptr);
  Journal().clear();
  fw::ChooseMenuItem(QStringLiteral("TestWin"));
  EXPECT_EQ(Journal(), QStringList({"app TestWin"})) << "with no window, the application";
  EXPECT_TRUE(Script().messages.empty());
}

// ---- the standard Edit items

TEST_F(MenuDispatchTest, TheStandardEditItemsActOnTheFocusedTextField) {
  const auto w = Shown();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w->Frame()));
  QLineEdit& edit = w->Field().Edit();
  edit.setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == &edit; }, 5000));
  w->Field().SetText(QStringLiteral("hello world"));
  QApplication::clipboard()->setText(QStringLiteral("before"));
  QStringList userChanges;
  w->Field().onTextChange = [&](fw::TextField& s) {
    if (s.UserChange()) userChanges << s.Text();
  };

  const struct {
    const char* item;
    int selectFrom;  // -1: leave the selection as it is
    int selectLength;
    const char* text;
    const char* selected;  // nullptr: not checked
    const char* clipboard;
  } steps[] = {
      {"EditSelectAll", -1, 0, "hello world", "hello world", "before"},
      {"EditCopy", -1, 0, "hello world", "hello world", "hello world"},
      {"EditCut", 0, 6, "world", "", "hello "},
      {"EditUndo", -1, 0, "hello world", nullptr, "hello "},
      {"EditPaste", 11, 0, "hello worldhello ", "", "hello "},
      {"EditClear", 5, 6, "hellohello ", "", "hello "},
      {"EditCopy", 0, 0, "hellohello ", "", "hello "},  // nothing selected: nothing copied
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.item);
    if (s.selectFrom >= 0) {
      edit.deselect();
      edit.setCursorPosition(s.selectFrom);
      if (s.selectLength > 0) edit.setSelection(s.selectFrom, s.selectLength);
    }
    fw::ChooseMenuItem(QString::fromLatin1(s.item), w.get());
    EXPECT_EQ(edit.text(), QString::fromLatin1(s.text));
    if (s.selected) {
      EXPECT_EQ(edit.selectedText(), QString::fromLatin1(s.selected));
    }
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromLatin1(s.clipboard));
  }
  EXPECT_EQ(userChanges, QStringList({"world", "hello world", "hello worldhello ", "hellohello "}))
      << "edits from the menu are the user's";

  // An editable combo box's text takes them too.
  QComboBox& box = w->Combo().Box();
  box.setFocus();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        QWidget* focus = QApplication::focusWidget();
        return focus == &box || focus == box.lineEdit();
      },
      5000));
  fw::ChooseMenuItem(QStringLiteral("EditSelectAll"), w.get());
  fw::ChooseMenuItem(QStringLiteral("EditCut"), w.get());
  EXPECT_EQ(w->Combo().Text(), QString());
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("46"));
  EXPECT_EQ(edit.text(), QStringLiteral("hellohello ")) << "the field without focus stays";
}

}  // namespace
