// A test window of five controls, a test application and a fixture, which journal every event
// that the framework raises on them, in order.
#pragma once

#include "support/Fixtures.h"

#include "base/Error.h"
#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/Dialogs.h"
#include "framework/Menus.h"
#include "framework/Window.h"
#include "framework/WindowList.h"

#include <QStringList>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace events_test {

// What the test windows and the test application were asked to do, in order.
inline QStringList& Journal() {
  static QStringList journal;
  return journal;
}

inline fw::ControlProperties Props(const QString& name, int left, int top, int width, int height) {
  fw::ControlProperties p;
  p.name = name;
  p.left = left;
  p.top = top;
  p.width = width;
  p.height = height;
  return p;
}

inline std::shared_ptr<fw::MenuBar> TestMenuBar() {
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

class EventsTest : public QuenzTest {
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

}  // namespace events_test
