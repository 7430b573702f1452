// The glyphs' edges in exported files, measured against the glyph sheet: straight where the
// sheet's are straight, as sharp, in the same place and with the same ink, at the heights a
// user exports; at the cell's own height each glyph is its cell.
#include "support/EdgeRows.h"
#include "support/Fixtures.h"
#include "support/GlyphAlone.h"

#include "editor/Module1.h"
#include "imaging/Picture.h"

#include <QImage>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace {

constexpr int kCell = Module1::kGlyphCell;
constexpr int kA = 0;
constexpr int kR = 17;
constexpr int kU = 20;
constexpr int kV = 21;
constexpr int kGlyphs[] = {kA, kV, kR, kU};
constexpr int kSpacing = 150;  // preview pixels between two characters

using edge_rows::Coverage;
using edge_rows::Edge;
using edge_rows::OuterEdge;
using edge_rows::RmsFromLine;
using edge_rows::Square;

// Where an edge found on the sheet lies at a row's centre y, and its slope there, from the two
// sheet rows around y. Only where the edge runs straight through the rows around: one sheet row
// cannot place a curve or a corner (the R's bowl meeting its leg, the U's bowl) any closer than
// a fraction of a sheet pixel, which the scale makes many pixels.
struct Place {
  double x;
  double slope;
};
std::optional<Place> SheetPlace(const Edge& e, double y) {
  constexpr double kStraight = 0.05;  // change of slope between rows, in sheet pixels
  for (std::size_t i = 1; i + 2 < e.y.size(); ++i) {
    if (e.y[i] > y || y >= e.y[i + 1]) continue;
    if (e.y[i + 2] - e.y[i - 1] != 3.0) return std::nullopt;
    const double before = e.byArea[i] - e.byArea[i - 1];
    const double slope = e.byArea[i + 1] - e.byArea[i];
    const double after = e.byArea[i + 2] - e.byArea[i + 1];
    if (std::abs(slope - before) > kStraight || std::abs(after - slope) > kStraight) {
      return std::nullopt;
    }
    return Place{e.byArea[i] + slope * (y - e.y[i]), slope};
  }
  return std::nullopt;
}

// The sheet's cell of a glyph, alone, black on white.
QImage Cell(int glyph) {
  const int x = (glyph % Module1::kGlyphColumns) * kCell;
  const int y = (glyph / Module1::kGlyphColumns) * kCell;
  return Module1::QuenzPic()->Image().copy(x, y, kCell, kCell);
}

double Ink(const Coverage& c, Square s) {
  double sum = 0;
  for (int y = 0; y < std::min(s.size, c.Height()); ++y) {
    for (int x = s.x; x < s.x + s.size; ++x)
      sum += c.At(x, y);
  }
  return sum;
}

// The rows of the A and the V whose outer edges are straight, as fractions of the height.
constexpr double kStraightFrom = 0.25;
constexpr double kStraightTo = 0.80;

// A window whose logo is A V R U, 150 preview pixels apart, black on white, exported as PNG.
class GlyphEdgeTest : public QuenzTest {
 protected:
  void SetUp() override {
    QuenzTest::SetUp();
    w = Shown();
    w->LogoTF().SetText(QStringLiteral("AVRU"));
    ASSERT_EQ(w->UBoundLogo(), 4);
    for (int n = 1; n <= 4; ++n) {
      w->mLogo[std::size_t(n)]->mPos = (n - 1) * kSpacing;
      w->mLogo[std::size_t(n)]->mColor = fw::RGB(0, 0, 0);
    }
    w->BKColorRT().SetFillColor(fw::RGB(255, 255, 255));
  }

  QImage ExportAt(int height) {
    w->ExpCB().SetText(QString::number(height));
    w->ExpTypPM().SetListIndex(1);
    const QString path = PathOf(QStringLiteral("edges%1.PNG").arg(height));
    Script().ExpectSave(QStringLiteral("PNGTYPE"), QStringLiteral("Untitled.PNG"), path);
    QTest::mouseClick(&w->PushButton1().Widget(), Qt::LeftButton);
    return QImage(path);
  }

  // The square of the n-th character (from 0) in an export of that height.
  Square SquareOf(int n, int height) const {
    return Square{fw::ToInt32(double(n * kSpacing) * w->mExpZ), height};
  }

  std::shared_ptr<QuenzWin> w;
};

TEST_F(GlyphEdgeTest, TheOuterEdgesOfAAndVAreStraightAtEveryHeight) {
  const struct {
    int height;
    double maxRms;  // pixels
  } cases[] = {{138, 0.12}, {309, 0.15}, {552, 0.20}, {1000, 0.30}};
  for (const auto& c : cases) {
    const Coverage image(ExportAt(c.height));
    ASSERT_EQ(image.Height(), c.height);
    for (const int n : {0, 1}) {  // the A and the V
      for (const int dir : {1, -1}) {
        SCOPED_TRACE(testing::Message() << "height " << c.height << (n == 0 ? " A" : " V")
                                        << (dir > 0 ? " left" : " right") << " edge");
        const Edge edge = OuterEdge(image, SquareOf(n, c.height), dir, kStraightFrom, kStraightTo);
        ASSERT_GT(edge.y.size(), std::size_t(c.height / 3));
        EXPECT_LE(RmsFromLine(edge), c.maxRms);
      }
    }
  }
}

// Nothing is straightened by blurring the edges or moving them: each outer edge of the four
// glyphs is as sharp as one pixel allows and lies where the sheet puts it, scaled, and each
// glyph has the ink of its cell, scaled.
TEST_F(GlyphEdgeTest, EdgesStaySharpInPlaceAndKeepTheInk) {
  for (const int height : {69, 138, 309, 552, 1000}) {
    const Coverage image(ExportAt(height));
    const double f = double(height) / kCell;
    for (int n = 0; n < 4; ++n) {
      const Square square = SquareOf(n, height);
      const Coverage cell(Cell(kGlyphs[n]));
      for (const int dir : {1, -1}) {
        SCOPED_TRACE(testing::Message() << "height " << height << " glyph " << kGlyphs[n]
                                        << (dir > 0 ? " left" : " right") << " edge");
        const Edge edge = OuterEdge(image, square, dir, kStraightFrom, kStraightTo);
        const Edge sheetEdge = OuterEdge(cell, Square{0, kCell}, dir, kStraightFrom, kStraightTo);
        ASSERT_GT(edge.y.size(), std::size_t(height / 3));
        double widest = 0;
        double farthest = 0;
        std::size_t compared = 0;
        for (std::size_t i = 0; i < edge.y.size(); ++i) {
          const auto sheet = SheetPlace(sheetEdge, edge.y[i] / f);
          if (!sheet) continue;
          ++compared;
          // Across the edge, the ramp along a row is shorter by the cosine of the edge's slant.
          widest = std::max(widest, edge.rampAlongRow[i] / std::hypot(1.0, sheet->slope));
          farthest = std::max(farthest, std::abs(edge.byArea[i] - (square.x + f * sheet->x)));
        }
        ASSERT_GT(compared, edge.y.size() / 8);
        EXPECT_LE(widest, 2.0) << "10-90 % ramp, pixels";
        EXPECT_LE(farthest, 1.0) << "pixels from the sheet's edge, scaled";
      }
      const double cellInk = Ink(cell, Square{0, kCell}) * f * f;
      EXPECT_NEAR(Ink(image, square) / cellInk, 1.0, 0.03)
          << "height " << height << " glyph " << kGlyphs[n];
    }
  }
}

// At the cell's height a glyph is its cell; below it, it keeps its cell's ink within a few per
// cent, its strokes neither thinned nor lost.
TEST_F(GlyphEdgeTest, AtTheCellsHeightAndBelowTheInkIsTheCells) {
  const Coverage atCell(ExportAt(kCell));
  for (int n = 0; n < 4; ++n) {
    const Square square = SquareOf(n, kCell);
    const QImage cell = Cell(kGlyphs[n]).convertToFormat(QImage::Format_RGB32);
    int worst = 0;
    for (int y = 0; y < kCell; ++y) {
      for (int x = 0; x < kCell; ++x) {
        const int drawn = 255 - int(std::lround(atCell.At(square.x + x, y) * 255));
        worst = std::max(worst, std::abs(drawn - qGray(cell.pixel(x, y))));
      }
    }
    EXPECT_LE(worst, 1) << "glyph " << kGlyphs[n];
  }
  for (const int height : {20, 30}) {
    const Coverage image(ExportAt(height));
    const double f = double(height) / kCell;
    for (int n = 0; n < 4; ++n) {
      const double cellInk = Ink(Coverage(Cell(kGlyphs[n])), Square{0, kCell}) * f * f;
      EXPECT_NEAR(Ink(image, SquareOf(n, height)) / cellInk, 1.0, 0.03)
          << "height " << height << " glyph " << kGlyphs[n];
    }
  }
}

// A glyph drawn alone, black on white, at a height, as the export draws it.
Coverage GlyphAt(int glyph, int height) {
  return Coverage(GlyphAlone(glyph, height));
}

// Below the sheet's size each pixel is the average of the mask over its footprint: every glyph
// keeps its ink, a stroke is as wide whichever glyph it is in, and a logo at a height of a
// pixel or two is as grey as its ink.
TEST_F(GlyphEdgeTest, BelowTheCellsHeightEveryGlyphKeepsItsInkAndItsStems) {
  const struct {
    int height;
    double within;
  } heights[] = {{1, 0.03}, {2, 0.03}, {8, 0.05}, {20, 0.03}, {33, 0.03}};
  for (const auto& h : heights) {
    const double f = double(h.height) / kCell;
    for (int glyph = 0; glyph < 36; ++glyph) {
      const double cellInk = Ink(Coverage(Cell(glyph)), Square{0, kCell}) * f * f;
      EXPECT_NEAR(Ink(GlyphAt(glyph, h.height), Square{0, h.height}) / cellInk, 1.0, h.within)
          << "height " << h.height << " glyph " << glyph;
    }
  }
  // The stems of I, L and F, equal in the sheet, at height 8: the ink of the rows that hold only
  // the stem (the I's from 5 to 41 of the cell's 46, the L's above its foot, the F's below its
  // arm), a row.
  const struct {
    int glyph;
    int firstRow;
    int lastRow;
  } stems[] = {{8, 1, 6}, {11, 1, 4}, {5, 5, 6}};
  std::vector<double> widths;
  for (const auto& stem : stems) {
    const Coverage image = GlyphAt(stem.glyph, 8);
    double ink = 0;
    for (int y = stem.firstRow; y <= stem.lastRow; ++y) {
      for (int x = 0; x < 8; ++x)
        ink += image.At(x, y);
    }
    widths.push_back(ink / (stem.lastRow - stem.firstRow + 1));
  }
  const auto [thinnest, widest] = std::minmax_element(widths.begin(), widths.end());
  EXPECT_LE(*widest / *thinnest, 1.02)
      << "I " << widths[0] << ", L " << widths[1] << ", F " << widths[2] << " pixels";
}

}  // namespace
