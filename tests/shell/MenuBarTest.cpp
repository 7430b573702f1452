// The application's one menu bar, and the menus that every window shows from it.
#include "support/Fixtures.h"

#include "framework/Menus.h"
#include "shell/MainMenuBar.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeySequence>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <functional>
#include <set>

namespace {

struct Row {
  const char* name;
  const char* caption;  // UTF-8
  const char* shortcut;
};

const Row kFile[] = {
    {"FileNew", "新規...", "Cmd+N"},  {"FileOpen", "開く...", "Cmd+O"},
    {"FileClose", "閉じる", "Cmd+W"}, {"UntitledSeparator", "-", ""},
    {"FileSave", "保存", "Cmd+S"},    {"FileSaveAs", "別名で保存", ""},
    {"UntitledSeparator0", "-", ""},  {"FileQuit", "終了", "Cmd+Q"},
};

const Row kEdit[] = {
    {"EditUndo", "取り消す", "Cmd+Z"},  {"EditSeparator1", "-", ""},
    {"EditCut", "カット", "Cmd+X"},     {"EditCopy", "コピー", "Cmd+C"},
    {"EditPaste", "貼り付け", "Cmd+V"}, {"EditClear", "削除", ""},
    {"EditSeparator2", "-", ""},        {"EditSelectAll", "すべてを選択", "Cmd+A"},
};

const struct {
  Row menu;
  const Row* items;
} kMenus[] = {
    {{"FileMenu", "ファイル", ""}, kFile},
    {{"EditMenu", "編集", ""}, kEdit},
};

using MenuBarTest = QuenzTest;

TEST_F(MenuBarTest, OneBarBuiltOnce) {
  const auto bar = MainMenuBar::Instance();
  ASSERT_TRUE(bar);
  EXPECT_EQ(MainMenuBar::Instance(), bar);
  EXPECT_EQ(implicitInstance, bar);
  EXPECT_EQ(bar->Count(), 2) << "the menus are built only once";
  EXPECT_EQ(bar->Item(0)->Count(), 8);
}

TEST_F(MenuBarTest, MenusAndItemsAsTheTableGivesThem) {
  const auto bar = MainMenuBar::Instance();
  ASSERT_EQ(bar->Count(), 2);
  std::set<QString> names;
  int quitItems = 0;
  for (int m = 0; m < 2; ++m) {
    const fw::MenuItem& menu = *bar->Item(m);
    const Row& row = kMenus[m].menu;
    SCOPED_TRACE(row.name);
    EXPECT_EQ(menu.Name, QString::fromLatin1(row.name));
    EXPECT_EQ(menu.Text, QString::fromUtf8(row.caption));
    EXPECT_EQ(menu.KeyboardShortcut, QString());
    EXPECT_TRUE(menu.Visible);
    EXPECT_TRUE(menu.AutoEnable);
    EXPECT_FALSE(menu.IsQuitItem());
    EXPECT_EQ(bar->Child(menu.Name).get(), &menu);
    names.insert(menu.Name);
    ASSERT_EQ(menu.Count(), 8);
    for (int i = 0; i < 8; ++i) {
      const fw::MenuItem& item = *menu.Item(i);
      const Row& expected = kMenus[m].items[i];
      SCOPED_TRACE(expected.name);
      EXPECT_EQ(item.Name, QString::fromLatin1(expected.name));
      EXPECT_EQ(item.Text.toUtf8(), QByteArray(expected.caption));
      EXPECT_EQ(item.KeyboardShortcut, QString::fromLatin1(expected.shortcut));
      EXPECT_EQ(item.IsSeparator(), QByteArray(expected.caption) == "-");
      EXPECT_TRUE(item.Visible);
      EXPECT_TRUE(item.AutoEnable);
      EXPECT_EQ(item.Count(), 0);
      quitItems += item.IsQuitItem();
      EXPECT_EQ(item.IsQuitItem(), item.Name == u"FileQuit");
      EXPECT_EQ(dynamic_cast<const fw::QuitMenuItem*>(&item) != nullptr, item.Name == u"FileQuit");
      names.insert(item.Name);
    }
  }
  EXPECT_EQ(quitItems, 1);
  EXPECT_EQ(names.size(), 18u) << "every name is unique";
  // Three ASCII full stops, no ellipsis character.
  const QString newCaption = bar->Find(QStringLiteral("FileNew"))->Text;
  EXPECT_TRUE(newCaption.endsWith(QStringLiteral("...")));
  EXPECT_FALSE(newCaption.contains(QChar(0x2026)));
}

// The Qt menus of a window, as captions and, for items, names and shortcuts.
QStringList MenusOf(const QuenzWin& w) {
  QStringList out;
  for (QAction* menuAction : w.Frame().menuBar()->actions()) {
    QMenu* menu = menuAction->menu();
    out << menu->objectName() + u'|' + menu->title();
    for (QAction* a : menu->actions()) {
      out << (a->isSeparator() ? QStringLiteral("-")
                               : a->objectName() + u'|' + a->text() + u'|' +
                                     a->shortcut().toString(QKeySequence::PortableText));
    }
  }
  return out;
}

TEST_F(MenuBarTest, AWindowShowsTheBarWithCtrlShortcuts) {
  auto w = Shown();
  EXPECT_EQ(w->MenuBar(), MainMenuBar::Instance());
  const QStringList menus = MenusOf(*w);
  QStringList expected;
  for (const auto& m : kMenus) {
    expected << QString::fromLatin1(m.menu.name) + u'|' + QString::fromUtf8(m.menu.caption);
    for (int i = 0; i < 8; ++i) {
      const Row& r = m.items[i];
      if (QByteArray(r.caption) == "-") {
        expected << QStringLiteral("-");
        continue;
      }
      QString shortcut = QString::fromLatin1(r.shortcut);
      shortcut.replace(QStringLiteral("Cmd+"), QStringLiteral("Ctrl+"));
      expected << QString::fromLatin1(r.name) + u'|' + QString::fromUtf8(r.caption) + u'|' +
                      shortcut;
    }
  }
  EXPECT_EQ(menus, expected);

  const struct {
    const char* name;
    const char* keys;
  } shortcuts[] = {{"FileNew", "Ctrl+N"},       {"FileOpen", "Ctrl+O"}, {"FileClose", "Ctrl+W"},
                   {"FileSave", "Ctrl+S"},      {"FileQuit", "Ctrl+Q"}, {"EditUndo", "Ctrl+Z"},
                   {"EditCut", "Ctrl+X"},       {"EditCopy", "Ctrl+C"}, {"EditPaste", "Ctrl+V"},
                   {"EditSelectAll", "Ctrl+A"}, {"FileSaveAs", ""},     {"EditClear", ""}};
  for (const auto& s : shortcuts) {
    QAction* action = w->MenuAction(QString::fromLatin1(s.name));
    ASSERT_TRUE(action) << s.name;
    EXPECT_EQ(action->shortcut(), QKeySequence(QString::fromLatin1(s.keys))) << s.name;
    EXPECT_TRUE(action->isVisible()) << s.name;
  }
}

TEST_F(MenuBarTest, EveryWindowShowsTheSameMenus) {
  auto first = NewWindow();
  first->Show();
  auto second = NewWindow();
  second->Show();
  EXPECT_EQ(first->MenuBar(), second->MenuBar());
  EXPECT_EQ(MenusOf(*first), MenusOf(*second));
  EXPECT_EQ(MenusOf(*first).size(), 18);
  first->Close();
  EXPECT_EQ(MainMenuBar::Instance()->Count(), 2) << "closing a window keeps the bar";
  auto third = NewWindow();
  EXPECT_EQ(MenusOf(*third), MenusOf(*second));
}

// ---- the Edit menu, however it is reached

QMenu* MenuNamed(const QuenzWin& w, const char* name) {
  for (QAction* a : w.Frame().menuBar()->actions()) {
    if (a->menu() && a->menu()->objectName() == QLatin1String(name)) return a->menu();
  }
  return nullptr;
}

bool Enabled(const QMenu& menu, const char* item) {
  for (QAction* a : menu.actions()) {
    if (a->objectName() == QLatin1String(item)) return a->isEnabled();
  }
  ADD_FAILURE() << "no item " << item;
  return false;
}

TEST_F(MenuBarTest, TheEditMenuActsOnTheLogoFieldHoweverItIsReached) {
  auto w = Shown();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w->Frame()));
  QMenuBar& bar = *w->Frame().menuBar();
  QMenu* file = MenuNamed(*w, "FileMenu");
  QMenu* edit = MenuNamed(*w, "EditMenu");
  ASSERT_TRUE(file && edit);
  QLineEdit& field = w->LogoTF().Edit();

  // Opening a menu from the keyboard focus of the menu bar (Alt or F10) takes the focus from
  // the field, and a line edit drops its selection then; the other items still reach it.
  const struct {
    const char* route;
    std::function<void()> open;
    bool keepsSelection;
  } routes[] = {
      {"clicked open", [&] { bar.setActiveAction(edit->menuAction()); }, true},
      {"slid over from the File menu",
       [&] {
         bar.setActiveAction(file->menuAction());
         ASSERT_TRUE(QTest::qWaitFor([&] { return file->isVisible(); }, 5000));
         bar.setActiveAction(edit->menuAction());
       },
       true},
      {"with the arrow key from the File menu",
       [&] {
         bar.setActiveAction(file->menuAction());
         ASSERT_TRUE(QTest::qWaitFor([&] { return file->isVisible(); }, 5000));
         QTest::keyClick(file, Qt::Key_Right);
       },
       true},
      {"through the menu bar's keyboard focus",
       [&] {
         bar.setFocus(Qt::MenuBarFocusReason);
         ASSERT_EQ(QApplication::focusWidget(), &bar);
         bar.setActiveAction(edit->menuAction());
       },
       false},
  };
  for (const auto& r : routes) {
    SCOPED_TRACE(r.route);
    w->LogoTF().SetText(QStringLiteral("TAVURE"));
    field.setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == &field; }, 5000));
    field.setSelection(0, 3);
    QApplication::clipboard()->setText(QStringLiteral("7"));
    r.open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return edit->isVisible(); }, 5000));
    EXPECT_EQ(Enabled(*edit, "EditCut"), r.keepsSelection);
    EXPECT_EQ(Enabled(*edit, "EditCopy"), r.keepsSelection);
    EXPECT_TRUE(Enabled(*edit, "EditPaste"));
    EXPECT_TRUE(Enabled(*edit, "EditSelectAll"));
    const char* item = r.keepsSelection ? "EditCut" : "EditPaste";
    w->MenuAction(QString::fromLatin1(item))->trigger();
    edit->close();
    bar.setActiveAction(nullptr);
    EXPECT_EQ(field.text(), r.keepsSelection ? QStringLiteral("URE") : QStringLiteral("TAV7URE"));
    EXPECT_EQ(QApplication::clipboard()->text(),
              r.keepsSelection ? QStringLiteral("TAV") : QStringLiteral("7"));
  }

  // Once the focus has moved on to a control that edits no text, the items are off again.
  w->PushButton1().Widget().setFocus();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return QApplication::focusWidget() == &w->PushButton1().Widget(); }, 5000));
  bar.setActiveAction(edit->menuAction());
  ASSERT_TRUE(QTest::qWaitFor([&] { return edit->isVisible(); }, 5000));
  EXPECT_FALSE(Enabled(*edit, "EditCopy"));
  EXPECT_FALSE(Enabled(*edit, "EditSelectAll"));
  edit->close();
}

}  // namespace
