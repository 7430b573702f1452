// The logo document's format on its own, without a window: what the reader makes of a file's
// bytes, what the writer writes for a document, and the name that a save offers for a logo text.
#include "support/Fixtures.h"

#include "base/FolderItem.h"
#include "base/TextStreams.h"
#include "editor/LogoDocument.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>
#include <tuple>
#include <vector>

namespace {

// A character as its line gives it: glyph index, colour, x position.
using Char = std::tuple<std::int32_t, fw::Color, std::int32_t>;

std::vector<Char> Chars(const LogoDocument& document) {
  std::vector<Char> chars;
  for (const LogoInfo& c : document.characters)
    chars.emplace_back(c.mChr, c.mColor, c.mPos);
  return chars;
}

std::vector<LogoInfo> Records(const std::vector<Char>& chars) {
  std::vector<LogoInfo> records;
  for (const auto& [chr, color, pos] : chars) {
    LogoInfo& r = records.emplace_back();
    r.mChr = chr;
    r.mColor = color;
    r.mPos = pos;
  }
  return records;
}

constexpr fw::Color kWhite = 0xFFFFFF;
constexpr int kMaxText = 100000;

class LogoDocumentTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

  // The document that the reader makes of a file of these bytes.
  std::optional<LogoDocument> Read(const QByteArray& bytes, int maxText = kMaxText) {
    const fw::FolderItem file(dir_.filePath(QStringLiteral("in.TXT")));
    WriteBytes(file.Path(), bytes);
    const auto in = fw::TextInputStream::Open(file, qint64(1) << 24);
    std::optional<LogoDocument> document = ReadLogoDocument(*in, maxText);
    in->Close();
    return document;
  }

  // The bytes of the file that the writer writes for the document.
  QByteArray Written(const LogoDocument& document) {
    const fw::FolderItem file(dir_.filePath(QStringLiteral("out.TXT")));
    const auto out = fw::TextOutputStream::Create(file);
    WriteLogoDocument(*out, document);
    out->Close();
    return ReadBytes(file.Path());
  }

  QTemporaryDir dir_;
};

const QByteArray kExample = "Go 2\n255:255:255\n6,255:0:0,0\n28,0:0:255,102\n";
const std::vector<Char> kExampleChars = {{6, fw::RGB(255, 0, 0), 0}, {28, fw::RGB(0, 0, 255), 102}};

// ---- the reader

TEST_F(LogoDocumentTest, AFileReadsAsItsLinesSay) {
  const struct {
    const char* what;
    QByteArray bytes;
    QString text;
    fw::Color background;
    std::vector<Char> chars;
    bool hasOtherText;
  } cases[] = {
      {"the example document", kExample, QStringLiteral("Go 2"), kWhite, kExampleChars, false},
      {"CR LF line ends", "Go 2\r\n255:255:255\r\n6,255:0:0,0\r\n28,0:0:255,102\r\n",
       QStringLiteral("Go 2"), kWhite, kExampleChars, false},
      {"CR line ends", "Go 2\r255:255:255\r6,255:0:0,0\r28,0:0:255,102\r", QStringLiteral("Go 2"),
       kWhite, kExampleChars, false},
      {"no line end after the last line", "Go 2\r\n255:255:255\r\n6,255:0:0,0\r\n28,0:0:255,102",
       QStringLiteral("Go 2"), kWhite, kExampleChars, false},
      {"a byte order mark before line 1",
       "\xEF\xBB\xBFGo 2\n255:255:255\n6,255:0:0,0\n",
       QStringLiteral("Go 2"),
       kWhite,
       {{6, fw::RGB(255, 0, 0), 0}},
       false},
      {"an empty file: an empty logo on black", "", QString(), 0, {}, false},
      {"line 1 is taken whole, its \",\" and \":\" too",
       "A,B c:D\n255:255:255\n0,0:0:0,0\n1,0:0:0,92\n3,0:0:0,184\n",
       QStringLiteral("A,B c:D"),
       kWhite,
       {{0, 0, 0}, {1, 0, 92}, {3, 0, 184}},
       false},
      {"fewer character lines than characters",
       "ABC\n1:2:3\n5,10:20:30,40\n",
       QStringLiteral("ABC"),
       fw::RGB(1, 2, 3),
       {{5, fw::RGB(10, 20, 30), 40}},
       false},
      {"no character lines: one blank character",
       "XB\n1:2:3\n",
       QStringLiteral("XB"),
       fw::RGB(1, 2, 3),
       {{0, 0, 0}},
       false},
      {"a blank line in a character's place",
       "AB\n0:0:0\n\n1,0:0:0,92\n",
       QStringLiteral("AB"),
       0,
       {{0, 0, 0}, {1, 0, 92}},
       false},
      {"more character lines than characters: the rest is dropped, and lost to a save",
       "AB\n0:0:0\n3,1:1:1,7\n4,2:2:2,8\n5,3:3:3,9\n\n6,4:4:4,10\n",
       QStringLiteral("AB"),
       0,
       {{3, fw::RGB(1, 1, 1), 7}, {4, fw::RGB(2, 2, 2), 8}},
       true},
      {"a text without characters takes no character line",
       "abc\n0:0:0\n1,0:0:0,5\n",
       QStringLiteral("abc"),
       0,
       {},
       true},
      {"empty lines after the characters hold nothing to lose",
       "A\n0:0:0\n0,0:0:0,0\n\n\n",
       QStringLiteral("A"),
       0,
       {{0, 0, 0}},
       false},
      {"a line of notes after a document", kExample + "the blue one was moved\n",
       QStringLiteral("Go 2"), kWhite, kExampleChars, true},
      {"prose",
       "Quenz Logo Maker\nThis file tells how to draw a logo.\n",
       QStringLiteral("Quenz Logo Maker"),
       0,
       {{0, 0, 0}},
       true},
      {"colours clamped, malformed fields read as 0, extra fields ignored",
       "ABCD\n300:-5:128\n0,999:256:-1,0\n1,255:128,92\n2,a:b:c,x\n3.9,12.0:7:x:4,184.7\n",
       QStringLiteral("ABCD"),
       fw::RGB(255, 0, 128),
       {{0, fw::RGB(255, 255, 0), 0},
        {1, fw::RGB(255, 128, 0), 92},
        {2, 0, 0},
        {3, fw::RGB(12, 7, 0), 184}},
       true},
      {"the extremes of the numbers",
       "AB\n0:0:0\n-2147483648,0:0:0,2147483647\n35,255:255:255,-1\n",
       QStringLiteral("AB"),
       0,
       {{INT32_MIN, 0, INT32_MAX}, {35, kWhite, -1}},
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::optional<LogoDocument> read = Read(c.bytes);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->text, c.text);
    EXPECT_FALSE(read->textBytes) << "UTF-8";
    EXPECT_EQ(read->background, c.background);
    EXPECT_EQ(Chars(*read), c.chars);
    EXPECT_EQ(read->hasOtherText, c.hasOtherText);
  }
}

// Shown one character a byte, with the characters of its own digit and capital bytes, and
// written back byte for byte.
TEST_F(LogoDocumentTest, ALineOneThatIsNotUtf8IsKeptAsItsBytes) {
  const struct {
    const char* what;
    QByteArray line1;
    std::size_t characters;
  } cases[] = {
      {"Latin-1", "Caf\xE9 \xFF", 1},
      {"Shift-JIS, whose second bytes may be capitals", "\x83\x65\x83\x58\x83\x67\x83\x41 A1", 4},
      {"UTF-8 cut short", "AB\xE3\x81", 2},
      {"a lone continuation byte", "\x80Z", 1},
      {"a NUL and a Latin-1 letter", QByteArray("X\0\xC4", 3), 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    QByteArray file = c.line1 + "\n1:2:3\n";
    for (std::size_t n = 0; n < c.characters; ++n)
      file += QByteArray::number(n) + ",0:0:0," + QByteArray::number(n * 92) + "\n";
    const std::optional<LogoDocument> read = Read(file);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->text, QString::fromLatin1(c.line1));
    EXPECT_EQ(read->textBytes, c.line1);
    EXPECT_EQ(read->characters.size(), c.characters);
    EXPECT_FALSE(read->hasOtherText);
    EXPECT_EQ(Written(*read), file);
  }
}

// Counted as the logo field counts: in UTF-16 units, a byte that is not UTF-8 being one.
TEST_F(LogoDocumentTest, ALineOneLongerThanTheBoundGivesNoDocument) {
  const struct {
    const char* what;
    QByteArray line1;
    bool read;
  } cases[] = {
      {"at the bound", QByteArray(10, 'Q'), true},
      {"one past it", QByteArray(11, 'Q'), false},
      {"Latin-1 past it", QByteArray(10, 'Q') + "\xE9", false},
      {"outside the BMP, two units each", QByteArray("\xF0\x9F\x98\x80").repeated(6), false},
      {"outside the BMP, at the bound", QByteArray("\xF0\x9F\x98\x80").repeated(5), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Read(c.line1 + "\n1:2:3\n0,0:0:0,5\n", 10).has_value(), c.read);
  }
}

// ---- the writer

TEST_F(LogoDocumentTest, TheWriterWritesEveryLineInItsPlainForm) {
  const struct {
    const char* what;
    LogoDocument document;
    QByteArray bytes;
  } cases[] = {
      {"the example",
       {QStringLiteral("Go 2"), {}, kWhite, Records(kExampleChars), false},
       kExample},
      {"no characters: two lines", {QString(), {}, 0, {}, false}, "\n0:0:0\n"},
      {"line 1 as UTF-8",
       {QStringLiteral("日本9"), {}, 0, Records({{35, 0, 0}}), false},
       "日本9\n0:0:0\n35,0:0:0,0\n"},
      {"line 1's kept bytes, not its text",
       {QStringLiteral("ignored"), QByteArray("Caf\xE9"), fw::RGB(1, 2, 3), Records({{2, 0, 0}}),
        false},
       "Caf\xE9\n1:2:3\n2,0:0:0,0\n"},
      {"the extremes of the numbers",
       {QStringLiteral("AB"), {}, 0, Records({{INT32_MIN, kWhite, INT32_MAX}, {0, 0, -10}}), false},
       "AB\n0:0:0\n-2147483648,255:255:255,2147483647\n0,0:0:0,-10\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Written(c.document), c.bytes);
  }
}

// Whatever a file held, what the writer writes of it reads back as the same document, and holds
// nothing that a save of it would lose.
TEST_F(LogoDocumentTest, WhatTheWriterWritesReadsBackAsWritten) {
  const QByteArray files[] = {
      kExample,
      "A,B c:D\n1:2:3\n",
      "Caf\xE9 A\n0:0:0\n-1,0:0:0,-2147483648\n",
      "ABCD\n300:-5:128\n0,999:256:-1,0\n1,255:128,92\n2,a:b:c,x\n3.9,12.0:7:x:4,184.7\nnotes\n",
      "",
  };
  for (const QByteArray& file : files) {
    SCOPED_TRACE(file.toStdString());
    const std::optional<LogoDocument> read = Read(file);
    ASSERT_TRUE(read);
    const QByteArray written = Written(*read);
    const std::optional<LogoDocument> again = Read(written);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->text, read->text);
    EXPECT_EQ(again->textBytes, read->textBytes);
    EXPECT_EQ(again->background, read->background);
    EXPECT_EQ(Chars(*again), Chars(*read));
    EXPECT_FALSE(again->hasOtherText);
    EXPECT_EQ(Written(*again), written);
  }
}

// ---- the name offered

TEST(DocumentNameTest, IsTheLogoTextMadeOneVisibleFileName) {
  const QString emoji = QStringLiteral("😀");  // four bytes of UTF-8, two UTF-16 units
  const struct {
    QString text;
    QString name;
  } cases[] = {
      {QStringLiteral("Go 2"), QStringLiteral("Go 2.TXT")},
      {QStringLiteral("A/B"), QStringLiteral("A_B.TXT")},
      {QStringLiteral("/x//"), QStringLiteral("_x__.TXT")},
      {QStringLiteral("A") + QChar(u'\0') + QStringLiteral("B"), QStringLiteral("A_B.TXT")},
      {QStringLiteral("MY\nLOGO"), QStringLiteral("MY LOGO.TXT")},
      {QString(), QStringLiteral("Untitled.TXT")},  // not the hidden ".TXT"
      {QStringLiteral("   "), QStringLiteral("Untitled.TXT")},
      {QStringLiteral(" \t "), QStringLiteral("Untitled.TXT")},
      {QStringLiteral(" A "), QStringLiteral(" A .TXT")},
      {QStringLiteral(".NET"), QStringLiteral("NET.TXT")},  // not hidden
      {QStringLiteral("..A.B"), QStringLiteral("A.B.TXT")},
      {QStringLiteral(". "), QStringLiteral("Untitled.TXT")},
      // Cut to the 255 bytes that a file name holds, never inside a character.
      {QString(300, u'L'), QString(251, u'L') + QStringLiteral(".TXT")},
      {QString(100, u'日'), QString(83, u'日') + QStringLiteral(".TXT")},
      {emoji.repeated(70), emoji.repeated(62) + QStringLiteral(".TXT")},
  };
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.left(20).toStdString());
    const QString name = DocumentName(c.text);
    EXPECT_EQ(name, c.name);
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << "a name that a file can take";
    file.remove();
  }
}

}  // namespace
