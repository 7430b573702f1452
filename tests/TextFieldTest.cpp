// The text field's text: it keeps every character of a long text, and no line end comes into it,
// whichever way the text comes.
#include "support/Fixtures.h"

#include "framework/Application.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QTest>

#include <functional>

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
  static void Commit(TextFieldTest& t, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(&t.Edit(), &event);
  }

  std::shared_ptr<QuenzWin> w;
  QStringList changes;
};

TEST_F(TextFieldTest, ALongTextIsKeptWhole) {
  const QString capitals(300000, u'Q');
  Field().SetText(capitals);
  EXPECT_EQ(Field().Text(), capitals);
  EXPECT_EQ(w->UBoundLogo(), 300000);

  // Typed and pasted text go on past Qt's usual 32,767 characters too.
  Edit().end(false);
  QTest::keyClicks(&Edit(), "Z");
  PasteByKey(*this, QString(40000, u'7'));
  EXPECT_EQ(Field().Text(), capitals + u'Z' + QString(40000, u'7'));
  ASSERT_EQ(w->UBoundLogo(), 340001);
  EXPECT_EQ(w->mLogo[340001]->mChr, 33);
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
