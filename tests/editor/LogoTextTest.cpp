// The logo text: what of it reaches the logo, how the character list and the character popup are
// rebuilt and which row stays selected, picking a character in the preview, and the marks that
// a text change leaves.
#include "support/Fixtures.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <functional>
#include <vector>

namespace {

struct Char {
  std::int32_t chr;
  fw::Color color;
  std::int32_t pos;
  bool operator==(const Char&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Char& c) {
  return os << "{" << c.chr << ", " << std::hex << c.color << std::dec << ", " << c.pos << "}";
}

class LogoTextTest : public QuenzTest {
 protected:
  void SetUp() override {
    QuenzTest::SetUp();
    w = Shown();
  }

  std::vector<Char> Chars() const {
    std::vector<Char> out;
    for (int n = 1; n <= w->UBoundLogo(); ++n) {
      const LogoInfo& r = *w->mLogo[std::size_t(n)];
      out.push_back({r.mChr, r.mColor, r.mPos});
    }
    return out;
  }

  QStringList Rows() const {
    QStringList rows;
    for (int i = 0; i < w->MojimePM().ListCount(); ++i)
      rows << w->MojimePM().List(i) + u'|' + w->MojimePM().RowTag(i);
    return rows;
  }

  // Gives character n (from 1) its own colour and an offset, as colour and position edits do.
  void Mark(int n, fw::Color c, std::int32_t dx) {
    w->mLogo[std::size_t(n)]->SetCharColor(c);
    w->mLogo[std::size_t(n)]->SetDifPos(dx);
  }

  QLineEdit& Edit() const { return w->LogoTF().Edit(); }

  // Chooses a row of the character popup as the user does.
  void ChooseRow(int row) {
    w->MojimePM().Box().setCurrentIndex(row);
    Q_EMIT w->MojimePM().Box().activated(row);
  }

  std::shared_ptr<QuenzWin> w;
};

// ---- what reaches the logo

TEST_F(LogoTextTest, OnlyDigitsAndCapitalsBecomeCharacters) {
  const struct {
    const char* text;  // UTF-8
    std::vector<std::int32_t> glyphs;
    QStringList rows;
  } cases[] = {
      {"TaVu 1-z!", {19, 21, 27}, {"T: 1|T", "V: 2|V", "1: 3|1"}},
      {"A0Z9", {0, 26, 25, 35}, {"A: 1|A", "0: 2|0", "Z: 3|Z", "9: 4|9"}},
      {"/:@[`{", {}, {}},  // the neighbours of the two ranges
      {"日本9", {35}, {"9: 1|9"}},
      {"\xef\xbc\xa1\xef\xbc\x91", {}, {}},  // full-width A and 1
      {"é\tÄ\x7f", {}, {}},
      {"", {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    w->LogoTF().SetText(QString::fromUtf8(c.text));
    EXPECT_EQ(w->LogoTF().Text(), QString::fromUtf8(c.text)) << "the field keeps the text as typed";
    ASSERT_EQ(w->UBoundLogo(), int(c.glyphs.size()));
    EXPECT_FALSE(w->mLogo[0]);
    for (std::size_t i = 0; i < c.glyphs.size(); ++i)
      EXPECT_EQ(w->mLogo[i + 1]->mChr, c.glyphs[i]) << "character " << i + 1;
    EXPECT_EQ(Rows(), c.rows);
  }
}

TEST_F(LogoTextTest, TheTenthRowReadsTen) {
  w->LogoTF().SetText(QStringLiteral("ABCDEFGHIJK"));
  ASSERT_EQ(w->MojimePM().ListCount(), 11);
  EXPECT_EQ(w->MojimePM().List(9), QStringLiteral("J: 10"));
  EXPECT_EQ(w->MojimePM().List(10), QStringLiteral("K: 11"));
  EXPECT_EQ(w->mLogo[11]->mPos, 920);
}

// ---- records stay with their index

TEST_F(LogoTextTest, RecordsKeepColourAndPlaceByIndex) {
  Mark(1, 0x110000, 5);
  Mark(2, 0x220000, -3);
  Mark(6, 0x660000, 10);
  const LogoInfo* second = w->mLogo[2].get();

  // A character put in front: every record shows the letter now at its index; the new seventh
  // character starts black at its default place.
  w->LogoTF().SetText(QStringLiteral("XTAVURE"));
  EXPECT_EQ(Chars(), (std::vector<Char>{{23, 0x110000, 5},
                                        {19, 0x220000, 89},
                                        {0, 0, 184},
                                        {21, 0, 276},
                                        {20, 0, 368},
                                        {17, 0x660000, 470},
                                        {4, 0, 552}}));
  EXPECT_EQ(w->mLogo[2].get(), second) << "the record itself stays";

  // Shortened, then lengthened again: what lay beyond the end comes back new.
  w->LogoTF().SetText(QStringLiteral("XTAVU"));
  w->LogoTF().SetText(QStringLiteral("XTAVURE"));
  EXPECT_EQ(Chars()[5], (Char{17, 0, 460}));
  EXPECT_EQ(Chars()[6], (Char{4, 0, 552}));
  EXPECT_EQ(Chars()[1], (Char{19, 0x220000, 89}));
}

// ---- the selection through a rebuild

TEST_F(LogoTextTest, TheSelectionFollowsTheRebuildsTable) {
  const struct {
    const char* before;  // the logo text before the change
    int selected;        // the row selected before the change
    const char* after;
    int expected;
  } cases[] = {
      {"TAVURE", 1, "TBVURE", 1},  // a row that still exists stays
      {"TAVURE", 5, "TAVURE", 5},
      {"TAVURE", 5, "TAVUREX", 5},
      {"TAVURE", 4, "TAV", 0},  // fell off the end: the first character
      {"TAVURE", 5, "TAVUR", 0},
      {"TAVURE", 3, "T", 0},
      {"TAVURE", 0, "", -1},  // no character: no selection
      {"TAVURE", 2, "abc", -1},
      {"TAVURE", -1, "TAVURE", -1},  // no selection stays none while rows exist
      {"TAVURE", -1, "T", -1},
      {"", -1, "Q", -1},
      {"", -1, "QRS", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.before << " row " << c.selected << " -> " << c.after);
    w->LogoTF().SetText(QString::fromLatin1(c.before));
    w->MojimePM().SetListIndex(c.selected);
    w->LogoTF().SetText(QString::fromLatin1(c.after));
    EXPECT_EQ(w->MojimePM().ListIndex(), c.expected);
    EXPECT_EQ(w->MojimePM().ListCount(), w->UBoundLogo());
  }
}

TEST_F(LogoTextTest, TheLabelAndSwatchShowTheSelectedCharacter) {
  Mark(2, 0x00AA00, 0);
  w->MojimePM().SetListIndex(1);
  EXPECT_EQ(w->MojimeLV().Text(), QStringLiteral("文字目(A)"));
  EXPECT_EQ(w->FGColorRT().FillColor(), 0x00AA00u);

  // The second letter changed: the label names the new one, the swatch keeps record 2's colour.
  w->LogoTF().SetText(QStringLiteral("T8VURE"));
  EXPECT_EQ(w->MojimePM().ListIndex(), 1);
  EXPECT_EQ(w->MojimeLV().Text(), QStringLiteral("文字目(8)"));
  EXPECT_EQ(w->FGColorRT().FillColor(), 0x00AA00u);

  // Cut back to one character: the selection moves to the first.
  w->LogoTF().SetText(QStringLiteral("T"));
  EXPECT_EQ(w->MojimeLV().Text(), QStringLiteral("文字目(T)"));
  EXPECT_EQ(w->FGColorRT().FillColor(), 0x000000u);

  // No character left: the label and the swatch go on showing the last one.
  Mark(1, 0x0000CC, 0);
  w->MojimePM().SetListIndex(0);
  w->LogoTF().SetText(QStringLiteral("t"));
  EXPECT_EQ(w->MojimePM().ListIndex(), -1);
  EXPECT_EQ(w->MojimePM().ListCount(), 0);
  EXPECT_EQ(w->MojimeLV().Text(), QStringLiteral("文字目(T)"));
  EXPECT_EQ(w->FGColorRT().FillColor(), 0x0000CCu);

  // A character back: a new black record, one row, still no selection.
  w->LogoTF().SetText(QStringLiteral("W"));
  EXPECT_EQ(Chars(), (std::vector<Char>{{22, 0, 0}}));
  EXPECT_EQ(w->MojimePM().ListIndex(), -1);
  EXPECT_EQ(w->MojimeLV().Text(), QStringLiteral("文字目(T)"));

  // Choosing a row by hand shows it.
  ChooseRow(0);
  EXPECT_EQ(w->MojimeLV().Text(), QStringLiteral("文字目(W)"));
  EXPECT_EQ(w->FGColorRT().FillColor(), 0x000000u);
}

// ---- picking a character in the preview

TEST_F(LogoTextTest, APressSelectsTheFirstCharacterWhoseCellHoldsIt) {
  // Cells are [x, x + 138) at 0, 92, ..., 460 and overlap by 46: the earlier character wins.
  const struct {
    int x;
    int row;  // -1: no cell, the selection stays
  } cases[] = {
      {-1, -1}, {0, 0},   {91, 0},  {137, 0}, {138, 1},  {229, 1},    {230, 2},
      {460, 4}, {505, 4}, {506, 5}, {597, 5}, {598, -1}, {10000, -1},
  };
  for (const auto& c : cases) {
    for (const int y : {0, 70, -40, 1000}) {
      SCOPED_TRACE(testing::Message() << "x " << c.x << " y " << y);
      w->MojimePM().SetListIndex(3);
      const bool hit = w->fcv_MouseDown(w->fcv(), c.x, y);
      EXPECT_EQ(hit, c.row >= 0);
      EXPECT_EQ(w->MojimePM().ListIndex(), c.row >= 0 ? c.row : 3);
    }
  }
}

TEST_F(LogoTextTest, MovedCharactersAreHitWhereTheyStand) {
  // Cells: T [-100, 38), A [92, 230), V [0, 138), U [276, 414), R [368, 506), E [1000, 1138).
  w->mLogo[1]->mPos = -100;  // partly off the left edge
  w->mLogo[3]->mPos = 0;     // over the cells of T and A
  w->mLogo[6]->mPos = 1000;  // far to the right
  const struct {
    int x;
    int row;
  } cases[] = {{0, 0},    {37, 0},   {38, 2},  {91, 2},   {92, 1},   {137, 1},  {229, 1},
               {230, -1}, {275, -1}, {370, 3}, {506, -1}, {1000, 5}, {1137, 5}, {1138, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.x);
    w->MojimePM().SetListIndex(4);
    EXPECT_EQ(w->fcv_MouseDown(w->fcv(), c.x, 5), c.row >= 0);
    EXPECT_EQ(w->MojimePM().ListIndex(), c.row >= 0 ? c.row : 4);
  }
  // An empty logo has nothing to hit.
  w->LogoTF().SetText(QString());
  EXPECT_FALSE(w->fcv_MouseDown(w->fcv(), 0, 0));
}

TEST_F(LogoTextTest, AClickInThePreviewShowsTheCharacterWithoutMarkingTheWindow) {
  Mark(4, 0x404040, 0);
  w->mNoChange = true;
  QTest::mouseClick(&w->fcv().Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(330, 120));
  EXPECT_EQ(w->MojimePM().ListIndex(), 3);
  EXPECT_EQ(w->MojimeLV().Text(), QStringLiteral("文字目(U)"));
  EXPECT_EQ(w->FGColorRT().FillColor(), 0x404040u);
  ChooseRow(5);
  EXPECT_EQ(w->MojimeLV().Text(), QStringLiteral("文字目(E)"));
  EXPECT_FALSE(w->mDuty);
  EXPECT_TRUE(w->mNoChange);
}

// ---- the marks after a text change

TEST_F(LogoTextTest, TheUsersTextEditsAreChangesToSave) {
  const struct {
    const char* what;
    std::function<void(QuenzWin&, QLineEdit&)> edit;
    const char* text;  // the field's text afterwards
  } cases[] = {
      {"typing a capital", [](QuenzWin&, QLineEdit& e) { QTest::keyClicks(&e, "Q"); }, "TAVUREQ"},
      {"typing a dropped character", [](QuenzWin&, QLineEdit& e) { QTest::keyClicks(&e, "a"); },
       "TAVUREa"},
      {"backspace", [](QuenzWin&, QLineEdit& e) { QTest::keyClick(&e, Qt::Key_Backspace); },
       "TAVUR"},
      {"cut",
       [](QuenzWin&, QLineEdit& e) {
         e.setSelection(0, 2);
         QTest::keyClick(&e, Qt::Key_X, Qt::ControlModifier);
       },
       "VURE"},
      {"paste",
       [](QuenzWin& w, QLineEdit& e) {
         e.setSelection(1, 1);
         QTest::keyClick(&e, Qt::Key_C, Qt::ControlModifier);  // copies: no change yet
         w.mDuty = false;
         w.mNoChange = true;
         e.end(false);
         QTest::keyClick(&e, Qt::Key_V, Qt::ControlModifier);
       },
       "TAVUREA"},
      {"undo",
       [](QuenzWin& w, QLineEdit& e) {
         QTest::keyClicks(&e, "9");
         w.mDuty = false;
         w.mNoChange = true;
         QTest::keyClick(&e, Qt::Key_Z, Qt::ControlModifier);
       },
       "TAVURE"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    w = Shown();
    w->mNoChange = true;
    Edit().setFocus();
    Edit().end(false);
    c.edit(*w, Edit());
    EXPECT_EQ(w->LogoTF().Text(), QString::fromLatin1(c.text));
    EXPECT_TRUE(w->mDuty);
    EXPECT_FALSE(w->mNoChange);
    // The logo follows the edit.
    QByteArray kept;
    for (const char ch : QByteArray(c.text))
      if ((ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9')) kept += ch;
    EXPECT_EQ(w->UBoundLogo(), kept.size());
  }
}

TEST_F(LogoTextTest, ADroppedCharacterRebuildsThePopupAndKeepsTheLogo) {
  Mark(3, 0x123456, 7);
  w->MojimePM().SetListIndex(2);
  w->FGColorRT().SetFillColor(0xFFFFFF);  // as if a colour had been chosen for no character
  const std::vector<Char> before = Chars();
  QTest::keyClicks(&Edit(), " b");
  EXPECT_EQ(Chars(), before);
  EXPECT_EQ(w->MojimePM().ListCount(), 6);
  EXPECT_EQ(w->MojimePM().ListIndex(), 2);
  EXPECT_EQ(w->FGColorRT().FillColor(), 0x123456u) << "the same row is chosen and shown anew";
  EXPECT_TRUE(w->mDuty);
}

TEST_F(LogoTextTest, TextPutInByTheProgramIsNoChangeToSave) {
  // The default text at opening.
  EXPECT_FALSE(w->mDuty);
  EXPECT_FALSE(w->mNoChange);

  // A document read in after edits.
  w->mDuty = true;
  w->mNoChange = true;
  WriteBytes(PathOf(QStringLiteral("doc.TXT")), "QZ\n1:2:3\n16,0:0:0,0\n25,0:0:0,92\n");
  w->OpenData(ItemOf(QStringLiteral("doc.TXT")));
  EXPECT_EQ(w->LogoTF().Text(), QStringLiteral("QZ"));
  EXPECT_FALSE(w->mDuty);
  EXPECT_FALSE(w->mNoChange);

  // A user's edit still counts after a program's assignment.
  QTest::keyClicks(&Edit(), "1");
  EXPECT_TRUE(w->mDuty);
}

}  // namespace
