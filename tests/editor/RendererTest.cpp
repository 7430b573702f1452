// Drawing a logo onto a picture: the background, each glyph in its colour at its place and size,
// the order of overlapping glyphs, and glyph indexes that the table does not hold.
#include "support/Fixtures.h"
#include "support/Images.h"

#include "editor/LogoRenderer.h"
#include "editor/Module1.h"
#include "imaging/Picture.h"

#include <QImage>

#include <climits>
#include <vector>

namespace {

constexpr fw::Color kBackground = 0x102030;
constexpr fw::Color kRed = 0xFF0000;
constexpr fw::Color kBlue = 0x0000FF;

enum Glyph { kSolid = 0, kLeftHalf = 1, kEmpty = 2 };

// A glyph table of 36 stencils of 46 x 46 with shapes simple enough to check pixel by pixel:
// glyph 0 is solid, glyph 1 dark in its left 23 columns only, glyph 2 all light, the rest solid.
std::vector<fw::PicturePtr> TestGlyphs(std::size_t count = 36) {
  std::vector<fw::PicturePtr> glyphs;
  for (std::size_t k = 0; k < count; ++k) {
    auto glyph = std::make_shared<fw::Picture>(46, 46);
    fw::Graphics& mask = glyph->Mask(true)->Graphics();  // black: dark all over
    mask.SetForeColor(0xFFFFFF);
    if (k == kLeftHalf) mask.FillRect(23, 0, 23, 46);
    if (k == kEmpty) mask.FillRect(0, 0, 46, 46);
    glyphs.push_back(glyph);
  }
  return glyphs;
}

// A character list with its characters from element 1 on.
std::vector<LogoInfoPtr> Logo(std::vector<LogoInfoPtr> chars) {
  chars.insert(chars.begin(), nullptr);
  return chars;
}

// Whether every pixel of the rectangle has colour c.
bool All(const QImage& image, const QRect& r, fw::Color c) {
  for (int y = r.top(); y <= r.bottom(); ++y) {
    for (int x = r.left(); x <= r.right(); ++x) {
      if ((image.pixel(x, y) & 0xFFFFFF) != c) return false;
    }
  }
  return true;
}

class RendererTest : public ::testing::Test {
 protected:
  // Draws onto a fresh picture of width x height, first filled with a colour that no test uses.
  QImage Draw(const std::vector<LogoInfoPtr>& logo, std::int32_t size, double scale,
              int width = 120, int height = 60) {
    fw::Picture pic(width, height);
    pic.Graphics().SetForeColor(0x00FF00);
    pic.Graphics().FillRect(0, 0, width, height);
    DrawLogo(pic.Graphics(), logo, kBackground, glyphs, size, scale);
    return pic.Image().convertToFormat(QImage::Format_RGB32);
  }

  // The colours of row y from x0 up to but not including x1.
  static std::vector<fw::Color> Row(const QImage& image, int y, int x0, int x1) {
    std::vector<fw::Color> out;
    for (int x = x0; x < x1; ++x)
      out.push_back(image.pixel(x, y) & 0xFFFFFF);
    return out;
  }

  std::vector<fw::PicturePtr> glyphs = TestGlyphs();
};

TEST_F(RendererTest, AnEmptyLogoIsAllBackground) {
  const std::vector<std::vector<LogoInfoPtr>> logos = {
      {},
      {nullptr},
      {Char(kSolid, 0, kRed)},  // element 0 is never drawn
      {nullptr, nullptr, nullptr},
  };
  for (const auto& logo : logos) {
    SCOPED_TRACE(logo.size());
    const QImage image = Draw(logo, 46, 1.0);
    EXPECT_TRUE(All(image, image.rect(), kBackground));
  }
}

TEST_F(RendererTest, AGlyphIsDrawnInItsColourAtItsPlaceThroughItsMask) {
  const QImage image = Draw(Logo({Char(kLeftHalf, 10, kRed)}), 46, 1.0);
  EXPECT_TRUE(All(image, QRect(0, 0, 10, 60), kBackground));
  EXPECT_TRUE(All(image, QRect(10, 0, 23, 46), kRed)) << "the dark half of the mask";
  EXPECT_TRUE(All(image, QRect(33, 0, 23, 46), kBackground)) << "the light half lets it through";
  EXPECT_TRUE(All(image, QRect(56, 0, 64, 60), kBackground));
  EXPECT_TRUE(All(image, QRect(0, 46, 120, 14), kBackground)) << "below the glyphs";
}

TEST_F(RendererTest, AnEarlierCharacterLiesOverALaterOne) {
  // The same glyph twice, each in its own colour; a missing record in between is skipped.
  const QImage image =
      Draw(Logo({Char(kSolid, 0, kRed), nullptr, Char(kSolid, 20, kBlue)}), 46, 1.0);
  EXPECT_TRUE(All(image, QRect(0, 0, 46, 46), kRed));
  EXPECT_TRUE(All(image, QRect(46, 0, 20, 46), kBlue));
  EXPECT_TRUE(All(image, QRect(66, 0, 54, 60), kBackground));

  // Where the earlier glyph is light, the later one shows through it.
  const QImage seeThrough =
      Draw(Logo({Char(kLeftHalf, 0, kRed), Char(kSolid, 10, kBlue)}), 46, 1.0);
  EXPECT_EQ(Row(seeThrough, 5, 0, 60), [] {
    std::vector<fw::Color> row(60, kBackground);
    for (int x = 10; x < 56; ++x)
      row[std::size_t(x)] = kBlue;
    for (int x = 0; x < 23; ++x)
      row[std::size_t(x)] = kRed;
    return row;
  }());
}

TEST_F(RendererTest, GlyphsCutOffAtTheEdgesOfTheSurface) {
  const struct {
    std::int32_t pos;
    double scale;
    int left;   // the first column of the glyph on the surface
    int right;  // one past its last column
  } cases[] = {
      {-30, 1.0, 0, 16},    {-45, 1.0, 0, 1},     {-46, 1.0, 0, 0}, {-1000, 1.0, 0, 0},
      {100, 1.0, 100, 120}, {119, 1.0, 119, 120}, {120, 1.0, 0, 0}, {INT_MAX, 1.0, 0, 0},
      {INT_MIN, 1.0, 0, 0}, {-3, 1.5, 0, 42},  // x = -4.5, truncated toward zero to -4
      {INT_MAX, 2.0, 0, 0}, {INT_MIN, 2.0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pos << " at scale " << c.scale);
    const QImage image = Draw(Logo({Char(kSolid, c.pos, kRed)}), 46, c.scale);
    std::vector<fw::Color> expected(120, kBackground);
    for (int x = c.left; x < c.right; ++x)
      expected[std::size_t(x)] = kRed;
    EXPECT_EQ(Row(image, 20, 0, 120), expected);
    EXPECT_TRUE(All(image, QRect(0, 46, 120, 14), kBackground));
  }
}

TEST_F(RendererTest, AtScaleTwoGlyphsAreTwiceAsLargeAndTwiceAsFarOut) {
  // Size 92 at scale 2: the character at 10 is drawn 92 x 92 at x 20.
  const QImage image =
      Draw(Logo({Char(kSolid, 10, kRed), Char(kLeftHalf, 50, kBlue)}), 92, 2.0, 240, 100);
  EXPECT_TRUE(All(image, QRect(0, 0, 20, 100), kBackground));
  EXPECT_TRUE(All(image, QRect(20, 0, 92, 92), kRed));
  // The second, at x 100, shows only right of the first; its light half from x 146 on.
  EXPECT_TRUE(All(image, QRect(112, 0, 32, 92), kBlue));
  EXPECT_TRUE(All(image, QRect(150, 0, 90, 100), kBackground));
  EXPECT_TRUE(All(image, QRect(0, 92, 240, 8), kBackground));
}

TEST_F(RendererTest, GlyphIndexesOutsideTheTableAreSkipped) {
  const std::int32_t outside[] = {-1, 36, 37, 1000, INT_MAX, INT_MIN};
  for (const std::int32_t chr : outside) {
    SCOPED_TRACE(chr);
    const QImage image =
        Draw(Logo({Char(chr, 0, kRed), Char(kSolid, 60, kBlue), Char(chr, 80, kRed)}), 46, 1.0);
    EXPECT_TRUE(All(image, QRect(0, 0, 60, 60), kBackground));
    EXPECT_TRUE(All(image, QRect(60, 0, 46, 46), kBlue)) << "the characters around it are drawn";
  }

  // A shorter table: only its own indexes are drawn.
  glyphs = TestGlyphs(2);
  const QImage image =
      Draw(Logo({Char(2, 0, kRed), Char(35, 0, kRed), Char(1, 60, kBlue)}), 46, 1.0);
  EXPECT_TRUE(All(image, QRect(0, 0, 60, 60), kBackground));
  EXPECT_TRUE(All(image, QRect(60, 0, 23, 46), kBlue));
}

TEST_F(RendererTest, AGlyphsEarlierColourNeverShows) {
  // The shared picture is refilled before each draw: the colour left from the last draw of a
  // glyph does not reach the next one.
  glyphs[kSolid]->Graphics().SetForeColor(kBlue);
  glyphs[kSolid]->Graphics().FillRect(0, 0, 46, 46);
  const QImage image = Draw(Logo({Char(kSolid, 0, 0x000000)}), 46, 1.0);
  EXPECT_TRUE(All(image, QRect(0, 0, 46, 46), 0x000000));
  const QImage again = Draw(Logo({Char(kSolid, 0, kRed)}), 46, 1.0);
  EXPECT_TRUE(All(again, QRect(0, 0, 46, 46), kRed));
}

class PreviewTest : public QuenzTest {};

TEST_F(PreviewTest, DrawsTheWindowsLogoAtGlyphSize138) {
  auto w = Shown();
  w->LogoTF().SetText(QStringLiteral("AB"));
  w->mLogo[2]->mPos = 300;
  w->mLogo[1]->mColor = kRed;
  w->mLogo[2]->mColor = kBlue;
  Flush();
  const QImage preview = PreviewImage(*w);
  ASSERT_EQ(preview.size(), QSize(597, 138));

  // The same logo drawn by hand onto a picture of the preview's size.
  fw::Picture pic(597, 138);
  DrawLogo(pic.Graphics(), w->mLogo, w->BKColorRT().FillColor(), Module1::gMoji, 138, 1.0);
  EXPECT_EQ(preview, pic.Image().convertToFormat(QImage::Format_RGB32));
  EXPECT_TRUE(All(preview, QRect(138, 0, 162, 138), 0xFFFFFF)) << "between the glyphs";
}

}  // namespace
