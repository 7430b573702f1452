// The text field's text: it keeps every character of a long text up to its bound, and no line end
// comes into it, whichever way the text comes.
#include "support/Fixtures.h"

#include "framework/Application.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMimeData>
#include <QTest>
#include <QToolTip>

#include <functional>
#include <string_view>

namespace {

class TextFieldTest : public QuenzTest {
 protected:
  void SetUp() override {
    QuenzTest::SetUp();
    w = Shown();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w->Frame()));
    Edit().setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == &Edit(); }, 5000));
    // Every text change the field raises, with whether it was the user's, before the logo's own
    // handler sees it.
    auto logo = w->LogoTF().onTextChange;
    w->LogoTF().onTextChange = [this, logo](fw::TextField& field) {
      changes << (field.UserChange() ? u'u' : u'a') + field.Text();
      logo(field);
    };
  }

  fw::TextField& Field() const { return w->LogoTF(); }
  QLineEdit& Edit() const { return w->LogoTF().Edit(); }

  // The ways that text comes into the field from outside: the clipboard, by key and by the menu,
  // and an input method's commit.
  using Insert = std::function<void(TextFieldTest&, const QString&)>;
  static void PasteByKey(TextFieldTest& t, const QString& text) {
    QApplication::clipboard()->setText(text);
    QTest::keyClick(&t.Edit(), Qt::Key_V, Qt::ControlModifier);
  }
  static void PasteByMenu(TextFieldTest& t, const QString& text) {
    QApplication::clipboard()->setText(text);
    fw::ChooseMenuItem(QStringLiteral("EditPaste"), t.w.get());
  }
  static void Type(TextFieldTest& t, const QString& text) { QTest::keyClicks(&t.Edit(), text); }
  // A drop of text at the cursor, as a drag from another program ends.
  static void Drop(TextFieldTest& t, const QString& text) {
    QMimeData mime;
    mime.setText(text);
    const QPointF at(t.Edit().width() / 2, t.Edit().height() / 2);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&t.Edit(), &enter);
    QDragMoveEvent move(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&t.Edit(), &move);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&t.Edit(), &drop);
  }
  static void Commit(TextFieldTest& t, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(&t.Edit(), &event);
  }

  std::shared_ptr<QuenzWin> w;
  QStringList changes;
};

// The logo field holds up to its bound, past Qt's usual 32,767 characters, and never more: an
// edit that would pass the bound is refused whole, never cut.
TEST_F(TextFieldTest, ATextUpToTheBoundIsKeptWholeAndNoEditPassesIt) {
  constexpr int kMax = QuenzWin::kMaxLogoText;
  ASSERT_GE(kMax, 100000);
  EXPECT_EQ(Field().LimitText(), kMax);
  const struct {
    const char* how;
    Insert insert;
    bool replacesSelection;  // with all of the text at once
  } ways[] = {
      {"typed", Type, false},
      {"pasted with Ctrl+V", PasteByKey, true},
      {"pasted from the Edit menu", PasteByMenu, true},
      {"dropped", Drop, false},  // where the mouse is
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(way.how);
    // Up to the bound the text comes in whole.
    Field().SetText(QString(kMax - 2, u'Q'));
    Edit().end(false);
    way.insert(*this, QStringLiteral("Q7"));
    const QString filled = Field().Text();
    ASSERT_EQ(filled.size(), kMax);
    ASSERT_EQ(filled.count(u'7'), 1);
    ASSERT_EQ(w->UBoundLogo(), kMax);

    // One more character, at the end or in the middle, is refused, and so is a long text over
    // a small selection: nothing is cut to fit.
    for (const int at : {kMax, 10}) {
      QToolTip::hideText();
      changes.clear();
      Edit().setCursorPosition(at);
      way.insert(*this, QStringLiteral("Z"));
      EXPECT_EQ(Field().Text(), filled);
      EXPECT_TRUE(changes.isEmpty());
      EXPECT_TRUE(QToolTip::text().contains(QStringLiteral("100,000 characters")))
          << QToolTip::text().toStdString();
    }
    if (way.replacesSelection) {
      Edit().setSelection(0, 2);
      way.insert(*this, QStringLiteral("ABC"));
      EXPECT_EQ(Field().Text(), filled);
    }
    if (std::string_view(way.how) != "dropped") {  // a drop goes where the mouse is
      Edit().selectAll();
      way.insert(*this, QStringLiteral("AB"));
      EXPECT_EQ(Field().Text(), QStringLiteral("AB")) << "a shorter text still comes in";
    }
    if (std::string_view(way.how) != "typed") {  // a long text at once
      Field().SetText(QStringLiteral("ab"));
      way.insert(*this, QString(kMax, u'X'));
      EXPECT_EQ(Field().Text(), QStringLiteral("ab"));
      EXPECT_EQ(w->UBoundLogo(), 0);
    }
  }

  const QString full = QString(kMax - 1, u'Q') + u'7';
  // An assignment past the bound is an error, and changes nothing either.
  Field().SetText(full);
  changes.clear();
  EXPECT_THROW(Field().SetText(full + u'Z'), fw::Error);
  EXPECT_EQ(Field().Text(), full);
  EXPECT_TRUE(changes.isEmpty());
}

TEST_F(TextFieldTest, EachLineEndBecomesOneBlank) {
  const struct {
    const char* text;
    const char* line;
  } forms[] = {
      {"MY\nLOGO", "MY LOGO"}, {"MY\rLOGO", "MY LOGO"}, {"MY\r\nLOGO", "MY LOGO"},
      {"A\n\rB", "A  B"},      {"A\r\r\nB", "A  B"},    {"\r\n\r\n", "  "},
      {"9\n", "9 "},           {"\nX", " X"},           {"no end", "no end"},
  };
  const struct {
    const char* how;
    Insert insert;  // into "ab" between a and b; nullptr: an assignment to Text
  } ways[] = {
      {"assigned", nullptr},
      {"pasted with Ctrl+V", PasteByKey},
      {"pasted from the Edit menu", PasteByMenu},
      {"committed by an input method", Commit},
  };
  for (const auto& way : ways) {
    for (const auto& form : forms) {
      SCOPED_TRACE(testing::Message()
                   << way.how << ": " << QByteArray(form.text).toPercentEncoding().constData());
      const QString text = QString::fromLatin1(form.text);
      const QString line = QString::fromLatin1(form.line);
      QString expected = line;
      if (way.insert) {
        Field().SetText(QStringLiteral("ab"));
        Edit().setCursorPosition(1);
        changes.clear();
        way.insert(*this, text);
        expected = u'a' + line + u'b';
        EXPECT_EQ(Edit().cursorPosition(), 1 + line.size()) << "the cursor ends after the text";
      } else {
        changes.clear();
        Field().SetText(text);
      }
      EXPECT_EQ(Field().Text(), expected);
      // One change, with the text as the field now holds it, and the logo made from that.
      EXPECT_EQ(changes, QStringList{(way.insert ? u'u' : u'a') + expected});
      QByteArray kept;
      for (const QChar c : expected)
        if (c.isDigit() || c.isUpper()) kept += char(c.unicode());
      EXPECT_EQ(w->UBoundLogo(), kept.size());
    }
  }
}

TEST_F(TextFieldTest, OneUndoTakesAPasteOfSeveralLinesBack) {
  const struct {
    const char* what;
    int selectFrom, selectLength;  // what the paste replaces
    const char* after;
  } cases[] = {
      {"inserted", 1, 0, "aX Yb"},
      {"over a selection", 0, 1, "X Yb"},
      {"over everything", 0, 2, "X Y"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Field().SetText(QStringLiteral("ab"));
    Edit().setCursorPosition(c.selectFrom);
    if (c.selectLength > 0) Edit().setSelection(c.selectFrom, c.selectLength);
    PasteByKey(*this, QStringLiteral("X\r\nY"));
    ASSERT_EQ(Field().Text(), QString::fromLatin1(c.after));

    changes.clear();
    QTest::keyClick(&Edit(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Field().Text(), QStringLiteral("ab"));
    EXPECT_EQ(changes, QStringList{QStringLiteral("uab")});
    Edit().redo();
    EXPECT_EQ(Field().Text(), QString::fromLatin1(c.after));
  }
}

}  // namespace
