// The character record and the glyph table cut from the glyph sheet.
#include "support/Fixtures.h"

#include "editor/LogoInfo.h"
#include "editor/Module1.h"

#include <QImage>

#include <cstdint>
#include <limits>
#include <set>

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

// ---- the record

TEST(LogoInfo, ANewRecordIsBlackAtZeroWithTheGlyphOfA) {
  const LogoInfo r;
  EXPECT_EQ(r.mColor, 0u);
  EXPECT_EQ(r.mPos, 0);
  EXPECT_EQ(r.mChr, 0);
}

TEST(LogoInfo, TheNthCharacterStandsAtItsDefaultPlace) {
  const struct {
    std::int32_t n;
    const char* ch;
    std::int32_t pos;
    std::int32_t chr;
  } cases[] = {
      {1, "Q", 0, 16},    {3, "7", 184, 33}, {6, "E", 460, 4},
      {10, "0", 828, 26}, {2, "a", 92, 0},  // not a glyph: the index stays that of a new record
      {4, "", 276, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.n << " '" << c.ch << "'");
    const LogoInfo r(c.n, QByteArray(c.ch));
    EXPECT_EQ(r.mPos, c.pos);
    EXPECT_EQ(r.mChr, c.chr);
    EXPECT_EQ(r.mColor, 0u);
  }
}

TEST(LogoInfo, SetCharTakesTheGlyphOfTheFirstByteOnly) {
  constexpr std::int32_t kUnchanged = 5;  // the glyph index the record starts with
  const struct {
    QByteArray ch;
    std::int32_t chr;
  } cases[] = {
      {"A", 0},
      {"Q", 16},
      {"Z", 25},
      {"0", 26},
      {"7", 33},
      {"9", 35},
      {"B7", 1},
      {"7B", 33},
      {"/", kUnchanged},  // 47, just below the digits
      {":", kUnchanged},  // 58, just above them
      {"@", kUnchanged},  // 64, just below the capitals
      {"[", kUnchanged},  // 91, just above them
      {"a", kUnchanged},
      {"z", kUnchanged},
      {" ", kUnchanged},
      {"aB", kUnchanged},
      {"", kUnchanged},
      {QByteArray("\0A", 2), kUnchanged},
      {"\x80", kUnchanged},
      {"\xef\xbc\xa1", kUnchanged},  // a full-width A in UTF-8
      {"\xff", kUnchanged},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ch.toHex().toStdString());
    LogoInfo r;
    r.mChr = kUnchanged;
    r.mColor = 0x123456;
    r.mPos = -77;
    r.SetChar(c.ch);
    EXPECT_EQ(r.mChr, c.chr);
    EXPECT_EQ(r.mColor, 0x123456u) << "the colour stays";
    EXPECT_EQ(r.mPos, -77) << "the position stays";
  }
}

TEST(LogoInfo, SetDifPosAddsTheStepAndSaturatesAtTheEnds) {
  const struct {
    std::int32_t from;
    std::int32_t d;
    std::int32_t to;
  } cases[] = {
      {0, -10, -10},         {0, 0, 0},        {460, 10, 470},
      {-5, 1, -4},           {100, -1, 99},    {kMax - 5, 10, kMax},
      {kMin + 3, -10, kMin}, {kMax, kMin, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from << " + " << c.d);
    LogoInfo r;
    r.mChr = 12;
    r.mColor = 0xABCDEF;
    r.mPos = c.from;
    r.SetDifPos(c.d);
    EXPECT_EQ(r.mPos, c.to);
    EXPECT_EQ(r.mChr, 12);
    EXPECT_EQ(r.mColor, 0xABCDEFu);
  }
}

TEST(LogoInfo, SetCharColorChangesOnlyTheColour) {
  LogoInfo r(2, "K");
  r.SetCharColor(0x00FF8000);
  EXPECT_EQ(r.mColor, 0x00FF8000u);
  EXPECT_EQ(r.mPos, 92);
  EXPECT_EQ(r.mChr, 10);
}

// ---- the glyph table

class GlyphTable : public QuenzTest {};

TEST_F(GlyphTable, HoldsTheSheetsCellsAsMasksInSheetOrder) {
  const fw::PicturePtr sheet = Module1::QuenzPic();
  ASSERT_TRUE(sheet);
  ASSERT_GE(sheet->Width(), 276);
  ASSERT_GE(sheet->Height(), 276);
  EXPECT_EQ(Module1::QuenzPic(), sheet) << "the sheet is loaded once and kept";
  const QImage sheetImage = sheet->Image().convertToFormat(QImage::Format_RGB32);

  ASSERT_EQ(Module1::gMoji.size(), 36u);
  std::set<QByteArray> distinct;
  for (int k = 0; k < 36; ++k) {
    SCOPED_TRACE(testing::Message() << "glyph " << k);
    const fw::PicturePtr& glyph = Module1::gMoji[std::size_t(k)];
    ASSERT_TRUE(glyph);
    EXPECT_EQ(glyph->Width(), 46);
    EXPECT_EQ(glyph->Height(), 46);
    const fw::PicturePtr mask = glyph->Mask(false);
    ASSERT_TRUE(mask) << "every glyph has a mask";
    ASSERT_EQ(mask->Width(), 46);
    ASSERT_EQ(mask->Height(), 46);

    const QImage cell = sheetImage.copy((k % 6) * 46, (k / 6) * 46, 46, 46);
    const QImage got = mask->Image().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(got, cell) << "the mask is the sheet's cell in row k / 6, column k % 6";

    int dark = 0;
    int light = 0;
    for (int y = 0; y < 46; ++y) {
      for (int x = 0; x < 46; ++x) {
        const int grey = qGray(got.pixel(x, y));
        dark += grey < 64;
        light += grey > 192;
      }
    }
    EXPECT_GT(dark, 0) << "the glyph has a shape";
    EXPECT_GT(light, 0) << "the glyph has a ground";
    distinct.insert(
        QByteArray(reinterpret_cast<const char*>(got.constBits()), int(got.sizeInBytes())));
  }
  EXPECT_EQ(distinct.size(), 36u) << "no two glyphs are cut from the same cell";
}

TEST_F(GlyphTable, ACharactersGlyphIndexNamesItsCell) {
  // The sheet holds A to Z, then 0 to 9, six to a row: a character's cell follows from its index.
  const struct {
    const char* ch;
    int x;
    int y;
  } cases[] = {
      {"A", 0, 0},    {"F", 230, 0},   {"G", 0, 46},  {"Q", 184, 92},  {"Z", 46, 184},
      {"0", 92, 184}, {"3", 230, 184}, {"4", 0, 230}, {"9", 230, 230},
  };
  const QImage sheet = Module1::QuenzPic()->Image().convertToFormat(QImage::Format_RGB32);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ch);
    const LogoInfo r(1, c.ch);
    ASSERT_GE(r.mChr, 0);
    ASSERT_LT(r.mChr, 36);
    const QImage mask = Module1::gMoji[std::size_t(r.mChr)]->Mask(false)->Image().convertToFormat(
        QImage::Format_RGB32);
    EXPECT_EQ(mask, sheet.copy(c.x, c.y, 46, 46));
  }
}

}  // namespace
