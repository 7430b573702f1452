// The events that the framework raises: control events set off by the program and by the user,
// a window's construction and close check, menu dispatch, the standard Edit items, and the
// report of an exception that escapes a handler.
#include "support/Fixtures.h"

#include "base/Error.h"
#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/Dialogs.h"
#include "framework/Menus.h"
#include "framework/Window.h"
#include "framework/WindowList.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QMetaObject>
#include <QPointer>
#include <QTest>

#include <algorithm>
#include <climits>
#include <functional>
#include <new>
#include <stdexcept>
#include <vector>

namespace {

// What the test windows and the test application were asked to do, in order.
QStringList& Journal() {
  static QStringList journal;
  return journal;
}

fw::ControlProperties Props(const QString& name, int left, int top, int width, int height) {
  fw::ControlProperties p;
  p.name = name;
  p.left = left;
  p.top = top;
  p.width = width;
  p.height = height;
  return p;
}

std::shared_ptr<fw::MenuBar> TestMenuBar() {
  auto bar = std::make_shared<fw::MenuBar>();
  auto menu = std::make_shared<fw::MenuItem>();
  menu->Name = QStringLiteral("TestMenu");
  menu->Text = QStringLiteral("Test");
  for (const char* name : {"TestWin", "TestApp", "TestDecline", "TestThrow"}) {
    auto item = std::make_shared<fw::MenuItem>();
    item->Name = QString::fromLatin1(name);
    item->Text = item->Name;
    item->AutoEnable = true;
    menu->Append(item);
  }
  bar->Append(menu);
  return bar;
}

// A window of five controls whose handlers write to the journal under the window's tag.
class EventsWin : public fw::Window {
 public:
  explicit EventsWin(QString tag) : tag_(std::move(tag)) { Construct(); }

  fw::TextField& Field() const { return ControlAs<fw::TextField>(QStringLiteral("Field")); }
  fw::PopupMenu& Popup() const { return ControlAs<fw::PopupMenu>(QStringLiteral("Popup")); }
  fw::ComboBox& Combo() const { return ControlAs<fw::ComboBox>(QStringLiteral("Combo")); }
  fw::Canvas& Pad() const { return ControlAs<fw::Canvas>(QStringLiteral("Pad")); }
  fw::PushButton& Button() const { return ControlAs<fw::PushButton>(QStringLiteral("Button")); }

  bool keepOpen = false;
  std::function<void()> onCloseCheck;  // runs inside the close check; may throw
  std::vector<bool> closeChecks;       // appQuitting of each close check
  int paints = 0;
  std::function<void()> onPaint;  // runs inside Paint; may throw

 protected:
  void Layout() override {
    SetMenuBar(TestMenuBar());
    fw::WindowProperties p;
    p.width = 320;
    p.height = 200;
    p.title = tag_;
    SetProperties(p);
  }

  void CreateControls() override {
    fw::ControlProperties field = Props(QStringLiteral("Field"), 10, 10, 200, 22);
    field.text = QStringLiteral("start");
    auto& f = Place<fw::TextField>(field);
    f.onOpen = [this](fw::TextField&) { Note(QStringLiteral("Field Open ") + Census()); };
    f.onTextChange = [this](fw::TextField& s) {
      Note(QStringLiteral("Field TextChange ") + s.Text());
    };

    fw::ControlProperties popup = Props(QStringLiteral("Popup"), 10, 40, 120, 22);
    popup.initialValue =
        QStringList{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")};
    popup.listIndex = 1;
    auto& p = Place<fw::PopupMenu>(popup);
    p.onOpen = [this](fw::PopupMenu&) { Note(QStringLiteral("Popup Open ") + Census()); };
    p.onChange = [this](fw::PopupMenu& s) {
      Note(QStringLiteral("Popup Change %1").arg(s.ListIndex()));
    };

    fw::ControlProperties combo = Props(QStringLiteral("Combo"), 10, 70, 120, 22);
    combo.initialValue =
        QStringList{QStringLiteral("23"), QStringLiteral("46"), QStringLiteral("92")};
    combo.listIndex = 1;
    auto& c = Place<fw::ComboBox>(combo);
    c.onOpen = [this](fw::ComboBox&) { Note(QStringLiteral("Combo Open ") + Census()); };
    c.onTextChanged = [this](fw::ComboBox& s) {
      Note(QStringLiteral("Combo TextChanged ") + s.Text());
    };

    auto& pad = Place<fw::Canvas>(Props(QStringLiteral("Pad"), 150, 40, 100, 60));
    pad.onOpen = [this](fw::Canvas&) { Note(QStringLiteral("Pad Open ") + Census()); };
    pad.onPaint = [this](fw::Canvas&, fw::Graphics&) {
      ++paints;
      if (onPaint) onPaint();
    };

    fw::ControlProperties button = Props(QStringLiteral("Button"), 10, 110, 80, 24);
    button.text = QStringLiteral("Go");
    auto& b = Place<fw::PushButton>(button);
    b.onOpen = [this](fw::PushButton&) { Note(QStringLiteral("Button Open ") + Census()); };
    b.onAction = [this](fw::PushButton&) { Note(QStringLiteral("Button Action")); };
  }

  void AddMenuHandlers(fw::Window& window) override {
    window.AddMenuHandler(QStringLiteral("TestWin"), [this] {
      Note(QStringLiteral("TestWin"));
      return true;
    });
    window.AddMenuHandler(QStringLiteral("TestDecline"), [this] {
      Note(QStringLiteral("TestDecline"));
      return false;
    });
  }

  bool Event_CancelClose(bool appQuitting) override {
    closeChecks.push_back(appQuitting);
    if (onCloseCheck) onCloseCheck();
    return keepOpen;
  }

 private:
  template <class C>
  C& Place(const fw::ControlProperties& p) {
    AddControl(p.name, std::make_shared<C>());
    C& control = ControlAs<C>(p.name);
    control.Apply(p);
    return control;
  }

  void Note(const QString& what) const { Journal() << tag_ + u' ' + what; }

  // How many of the five controls exist, and whether the menu handlers are bound.
  QString Census() const {
    int found = 0;
    for (const char* name : {"Field", "Popup", "Combo", "Pad", "Button"})
      found += ControlByName(QString::fromLatin1(name)) != nullptr;
    return QStringLiteral("%1 %2").arg(found).arg(HasMenuHandler(QStringLiteral("TestWin"))
                                                      ? QStringLiteral("bound")
                                                      : QStringLiteral("unbound"));
  }

  QString tag_;
};

class TestApp : public fw::Application {
 public:
  TestApp() {
    for (const char* name : {"TestWin", "TestApp", "TestDecline"}) {
      const QString item = QString::fromLatin1(name);
      AddMenuHandler(item, [item] {
        Journal() << QStringLiteral("app ") + item;
        return true;
      });
    }
  }
};

class FrameworkEventsTest : public QuenzTest {
 protected:
  void SetUp() override {
    QuenzTest::SetUp();
    Journal().clear();
    previousApp_ = fw::AppObject();
    app = std::make_shared<TestApp>();
    fw::RegisterAppObject(app);
  }

  void TearDown() override {
    for (const auto& w : made_) {
      w->keepOpen = false;
      w->onCloseCheck = nullptr;
    }
    QuenzTest::TearDown();
    fw::RegisterAppObject(previousApp_);
    Journal().clear();
  }

  std::shared_ptr<EventsWin> Make(const QString& tag) {
    auto w = std::make_shared<EventsWin>(tag);
    made_.push_back(w);
    return w;
  }
  std::shared_ptr<EventsWin> Shown(const QString& tag = QStringLiteral("win")) {
    auto w = Make(tag);
    w->Show();
    return w;
  }

  static bool IsOpenWindow(const std::shared_ptr<EventsWin>& w) {
    const auto open = fw::OpenWindows();
    return std::find(open.begin(), open.end(), w) != open.end();
  }

  std::shared_ptr<TestApp> app;

 private:
  std::shared_ptr<fw::Application> previousApp_;
  std::vector<std::shared_ptr<EventsWin>> made_;
};

// ---- construction and initial properties

TEST_F(FrameworkEventsTest, ControlsOpenOnceAllExistBeforeTheConstructorReturns) {
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

TEST_F(FrameworkEventsTest, ApplyingInitialPropertiesRunsNoHandler) {
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

TEST_F(FrameworkEventsTest, SettingTextRaisesTextChangeBeforeItReturns) {
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

TEST_F(FrameworkEventsTest, AnAssignmentInsideTextChangeRaisesItAgain) {
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

TEST_F(FrameworkEventsTest, AnExceptionFromTextChangeGoesToWhoeverSetTheText) {
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

TEST_F(FrameworkEventsTest, SettingListIndexRaisesChangeAlsoForTheSameValue) {
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

TEST_F(FrameworkEventsTest, AListIndexOutsideTheRowsIsAnErrorAndChangesNothing) {
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

TEST_F(FrameworkEventsTest, RowsAndTagsChangeWithoutAnEvent) {
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

TEST_F(FrameworkEventsTest, RowsMadeWithoutATagFunctionHaveEmptyTags) {
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
TEST_F(FrameworkEventsTest, AControlThatOutlivesItsWindowDeletesNoWidget) {
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

TEST_F(FrameworkEventsTest, ComboBoxTextChangedComesFromSettingTypingAndPicking) {
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

// ---- menus

TEST_F(FrameworkEventsTest, AMenuItemGoesToTheFrontWindowFirstThenTheApplication) {
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

// ---- exceptions that escape a handler

TEST_F(FrameworkEventsTest, AnExceptionFromAHandlerIsReportedAndTheProgramGoesOn) {
  const auto fail = [] { throw fw::Error(QStringLiteral("the handler failed")); };
  const struct {
    const char* what;
    std::function<void(EventsWin&, TestApp&)> raise;
    const char* message;
  } cases[] = {
      {"a window's menu handler",
       [&](EventsWin& w, TestApp&) {
         w.AddMenuHandler(QStringLiteral("TestThrow"), [&]() -> bool {
           fail();
           return true;
         });
         fw::ChooseMenuItem(QStringLiteral("TestThrow"), &w);
       },
       "the handler failed"},
      {"the application's menu handler",
       [&](EventsWin& w, TestApp& a) {
         a.AddMenuHandler(QStringLiteral("TestThrow"), [&]() -> bool {
           fail();
           return true;
         });
         w.MenuAction(QStringLiteral("TestThrow"))->trigger();
       },
       "the handler failed"},
      {"a standard exception",
       [](EventsWin& w, TestApp&) {
         w.AddMenuHandler(QStringLiteral("TestThrow"),
                          []() -> bool { throw std::runtime_error("a plain failure"); });
         fw::ChooseMenuItem(QStringLiteral("TestThrow"), &w);
       },
       "The last action could not be finished: a plain failure."},
      // Exceptions whose own text is only their name reach the user in plain words.
      {"memory that ran out",
       [](EventsWin& w, TestApp&) {
         w.AddMenuHandler(QStringLiteral("TestThrow"), []() -> bool { throw std::bad_alloc(); });
         fw::ChooseMenuItem(QStringLiteral("TestThrow"), &w);
       },
       "The last action could not be finished: there is not enough memory for it."},
      {"a size beyond what can be held",
       [](EventsWin& w, TestApp&) {
         w.AddMenuHandler(QStringLiteral("TestThrow"), []() -> bool {
           std::vector<char> v;
           v.reserve(v.max_size() + 1);
           return true;
         });
         fw::ChooseMenuItem(QStringLiteral("TestThrow"), &w);
       },
       "The last action could not be finished: there is not enough memory for it."},
      {"an error of the program's logic",
       [](EventsWin& w, TestApp&) {
         w.AddMenuHandler(QStringLiteral("TestThrow"),
                          []() -> bool { return std::vector<int>().at(3) == 0; });
         fw::ChooseMenuItem(QStringLiteral("TestThrow"), &w);
       },
       "The last action could not be finished: something unexpected went wrong in the program."},
      {"an exception of no known kind",
       [](EventsWin& w, TestApp&) {
         w.AddMenuHandler(QStringLiteral("TestThrow"), []() -> bool { throw 42; });
         fw::ChooseMenuItem(QStringLiteral("TestThrow"), &w);
       },
       "The last action could not be finished: something unexpected went wrong in the program."},
      {"typing",
       [&](EventsWin& w, TestApp&) {
         w.Field().onTextChange = [&](fw::TextField&) { fail(); };
         QTest::keyClicks(&w.Field().Edit(), "x");
       },
       "the handler failed"},
      {"choosing a popup row",
       [&](EventsWin& w, TestApp&) {
         w.Popup().onChange = [&](fw::PopupMenu&) { fail(); };
         QTest::keyClick(&w.Popup().Box(), Qt::Key_Down);
       },
       "the handler failed"},
      {"typing into a combo box",
       [&](EventsWin& w, TestApp&) {
         w.Combo().onTextChanged = [&](fw::ComboBox&) { fail(); };
         QTest::keyClicks(w.Combo().Box().lineEdit(), "1");
       },
       "the handler failed"},
      {"a button",
       [&](EventsWin& w, TestApp&) {
         w.Button().onAction = [&](fw::PushButton&) { fail(); };
         QTest::mouseClick(&w.Button().Widget(), Qt::LeftButton);
       },
       "the handler failed"},
      {"painting, reported once the paint is over",
       [&](EventsWin& w, TestApp&) {
         Flush();  // the first paint of the window
         w.onPaint = fail;
         w.Pad().Refresh();
         EXPECT_TRUE(QTest::qWaitFor([] { return Script().Done(); }, 5000));
       },
       "the handler failed"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Script().Reset();
    const auto w = Shown();
    Script().ExpectMessage(QString::fromUtf8(c.message), fw::MessageButton::Action);
    c.raise(*w, *app);
    EXPECT_TRUE(Script().Done());
    ASSERT_EQ(Script().messages.size(), 1u);
    EXPECT_EQ(Script().messages[0].icon, 2);
    EXPECT_EQ(Script().messages[0].message, QString::fromUtf8(c.message));
    EXPECT_TRUE(w->IsOpen());
    w->onPaint = nullptr;
    Journal().clear();
    fw::ChooseMenuItem(QStringLiteral("TestWin"), w.get());
    EXPECT_EQ(Journal(), QStringList({"win TestWin"})) << "the next event runs as usual";
    EXPECT_EQ(Script().messages.size(), 1u);
    w->Close();
  }
}

// ---- closing

TEST_F(FrameworkEventsTest, EveryCloseAsksCancelCloseAndTrueKeepsTheWindow) {
  const auto w = Shown();
  w->keepOpen = true;
  w->Close();
  EXPECT_TRUE(w->IsOpen());
  EXPECT_TRUE(IsOpenWindow(w));
  w->Frame().close();  // the close box
  EXPECT_TRUE(w->IsOpen());
  EXPECT_FALSE(fw::Quit());
  EXPECT_FALSE(fw::Quitting());
  EXPECT_TRUE(w->IsOpen());
  EXPECT_EQ(w->closeChecks, std::vector<bool>({false, false, true})) << "the last while quitting";

  w->keepOpen = false;
  w->Close();
  EXPECT_FALSE(w->IsOpen());
  EXPECT_FALSE(IsOpenWindow(w));
  EXPECT_EQ(w->closeChecks.size(), 4u);
  w->Close();
  EXPECT_EQ(w->closeChecks.size(), 4u) << "a closed window is not closed again";
}

TEST_F(FrameworkEventsTest, QuittingStopsAtTheFirstWindowThatStaysOpen) {
  {
    const auto back = Shown(QStringLiteral("back"));
    const auto front = Shown(QStringLiteral("front"));
    front->keepOpen = true;
    EXPECT_FALSE(fw::Quit());
    EXPECT_TRUE(front->IsOpen());
    EXPECT_TRUE(back->IsOpen());
    EXPECT_EQ(front->closeChecks, std::vector<bool>({true}));
    EXPECT_TRUE(back->closeChecks.empty()) << "the front window is asked first";
    front->keepOpen = false;
    CloseAllWindows();
  }
  const auto back = Shown(QStringLiteral("back"));
  const auto front = Shown(QStringLiteral("front"));
  back->keepOpen = true;
  EXPECT_FALSE(fw::Quit());
  EXPECT_FALSE(front->IsOpen());
  EXPECT_TRUE(back->IsOpen());
  EXPECT_EQ(front->closeChecks, std::vector<bool>({true}));
  EXPECT_EQ(back->closeChecks, std::vector<bool>({true}));
  EXPECT_EQ(fw::OpenWindows(), std::vector<std::shared_ptr<fw::Window>>({back}));
}

TEST_F(FrameworkEventsTest, AnExceptionFromTheCloseCheckKeepsTheWindowOpen) {
  const auto w = Shown();
  w->onCloseCheck = [] { throw fw::Error(QStringLiteral("cannot close now")); };
  Script().ExpectMessage(QStringLiteral("cannot close now"), fw::MessageButton::Action);
  w->Close();
  EXPECT_TRUE(Script().Done());
  EXPECT_TRUE(w->IsOpen());
  EXPECT_TRUE(IsOpenWindow(w));
  w->onCloseCheck = nullptr;
  w->Close();
  EXPECT_FALSE(w->IsOpen());
}

// ---- the standard Edit items

TEST_F(FrameworkEventsTest, TheStandardEditItemsActOnTheFocusedTextField) {
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

// ---- DoEvents

TEST_F(FrameworkEventsTest, DoEventsRunsThePendingEvents) {
  const auto w = Shown();
  Flush();
  bool ran = false;
  QMetaObject::invokeMethod(
      qApp, [&] { ran = true; }, Qt::QueuedConnection);
  w->paints = 0;
  w->Pad().Refresh();
  EXPECT_FALSE(ran);
  EXPECT_EQ(w->paints, 0) << "a refresh paints later";
  fw::Application::DoEvents(-1);
  EXPECT_TRUE(ran);
  EXPECT_GE(w->paints, 1);
}

}  // namespace
