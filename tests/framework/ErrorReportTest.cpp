// An exception that escapes a handler of any event is reported to the user, and the program goes
// on.
#include "EventsWin.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <new>
#include <stdexcept>

namespace {

using namespace events_test;
using ErrorReportTest = EventsTest;

// ---- exceptions that escape a handler

TEST_F(ErrorReportTest, AnExceptionFromAHandlerIsReportedAndTheProgramGoesOn) {
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

}  // namespace
