// The outline traced from an anti-aliased mask: straight edges in place, corners sharp, a thin
// wedge drawn to its point, a curve smooth and round, and the pixels' coverage as the mask has
// it; a mask whose grey is no edge has no outline.
#include "imaging/AreaRaster.h"
#include "imaging/Outline.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr int kSide = 46;

// A shape filled black on white by Qt's anti-aliasing rasterizer, as the glyph sheet is drawn,
// as coverage: 255 inside.
std::vector<std::uint8_t> MaskOf(const QPainterPath& shape) {
  QImage image(kSide, kSide, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillPath(shape, Qt::black);
  painter.end();
  std::vector<std::uint8_t> coverage(std::size_t(kSide) * kSide);
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x)
      coverage[std::size_t(y) * kSide + std::size_t(x)] =
          std::uint8_t(255 - qRed(image.pixel(x, y)));
  }
  return coverage;
}

std::shared_ptr<const fw::Outline> Traced(const std::vector<std::uint8_t>& mask) {
  return fw::TraceOutline(mask.data(), kSide, kSide);
}

// The largest distance of an edge's ends from a shape's boundary, given as a distance function.
template <class Distance>
double Farthest(const fw::Outline& outline, Distance&& distance) {
  double worst = 0;
  for (const fw::Outline::Edge& e : outline.edges)
    worst = std::max({worst, std::abs(distance(e.x0, e.y0)), std::abs(distance(e.x1, e.y1))});
  return worst;
}

// The root mean square of the difference between the coverage that the outline gives each
// pixel and the mask's.
double CoverageError(const fw::Outline& outline, const std::vector<std::uint8_t>& mask) {
  fw::AreaRaster raster(0, kSide, 0, kSide);
  for (const fw::Outline::Edge& e : outline.edges)
    raster.AddEdge(e.x0, e.y0, e.x1, e.y1);
  double sum = 0;
  raster.Sweep([&](int y, int x, int n, double c) {
    for (int i = 0; i < n; ++i) {
      const double d = std::abs(c) - mask[std::size_t(y) * kSide + std::size_t(x + i)] / 255.0;
      sum += d * d;
    }
  });
  return std::sqrt(sum / (kSide * kSide));
}

TEST(Outline, ARectangleIsTracedWithStraightEdgesAndSharpCorners) {
  const QRectF box(10.3, 8.6, 20.4, 29.55);
  QPainterPath shape;
  shape.addRect(box);
  const auto mask = MaskOf(shape);
  const auto outline = Traced(mask);
  ASSERT_TRUE(outline);
  const auto fromBoundary = [&](double x, double y) {
    const double dx = std::max(box.left() - x, x - box.right());
    const double dy = std::max(box.top() - y, y - box.bottom());
    return dx > 0 && dy > 0 ? std::hypot(dx, dy) : std::max(dx, dy);
  };
  EXPECT_LE(Farthest(*outline, fromBoundary), 0.02);
  // Straight edges are single edges, and each corner is one of their ends.
  EXPECT_LE(outline->edges.size(), 8U);
  for (const QPointF corner :
       {box.topLeft(), box.topRight(), box.bottomLeft(), box.bottomRight()}) {
    double nearest = 1e9;
    for (const fw::Outline::Edge& e : outline->edges) {
      nearest = std::min({nearest, std::hypot(e.x0 - corner.x(), e.y0 - corner.y()),
                          std::hypot(e.x1 - corner.x(), e.y1 - corner.y())});
    }
    EXPECT_LE(nearest, 0.05) << "corner " << corner.x() << ", " << corner.y();
  }
  EXPECT_LE(CoverageError(*outline, mask), 0.005);
}

// A narrow notch cut into a block, sharper than any between the strokes of a W: where it is
// thinner than a pixel its pixels are only a little lighter than the block, and the smoothed
// distance to its edge stops several pixels short of its point.
TEST(Outline, AThinNotchIsDrawnToItsPoint) {
  constexpr double kTipX = 23.2;
  constexpr double kTipY = 30.4;
  constexpr double kTop = 6.0;
  constexpr double kHalfWidth = 2.1;  // at the top: the notch opens by 10 degrees
  QPainterPath block;
  block.addRect(6, kTop, 34, 34);
  QPainterPath notch;
  notch.moveTo(kTipX - kHalfWidth, kTop - 1);
  notch.lineTo(kTipX + kHalfWidth, kTop - 1);
  notch.lineTo(kTipX, kTipY);
  notch.closeSubpath();
  const auto mask = MaskOf(block.subtracted(notch));
  const auto outline = Traced(mask);
  ASSERT_TRUE(outline);
  double deepest = 0;
  for (const fw::Outline::Edge& e : outline->edges) {
    for (const auto& [x, y] : {std::pair(e.x0, e.y0), std::pair(e.x1, e.y1)}) {
      if (std::abs(x - kTipX) < kHalfWidth && y < kTipY + 2) deepest = std::max(deepest, double(y));
    }
  }
  EXPECT_NEAR(deepest, kTipY, 2.0) << "the notch's point";
  EXPECT_LE(CoverageError(*outline, mask), 0.015);
}

// An ellipse's coverage of each pixel of a mask, from a fine grid of samples in it: Qt would
// fill it as chords of its own.
std::vector<std::uint8_t> EllipseMask(int width, int height, double cx, double cy, double rx,
                                      double ry) {
  constexpr int kGrid = 32;
  std::vector<std::uint8_t> coverage(std::size_t(width) * std::size_t(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int inside = 0;
      for (int j = 0; j < kGrid; ++j) {
        for (int i = 0; i < kGrid; ++i) {
          const double dx = (x + (i + 0.5) / kGrid - cx) / rx;
          const double dy = (y + (j + 0.5) / kGrid - cy) / ry;
          inside += dx * dx + dy * dy < 1;
        }
      }
      coverage[std::size_t(y) * std::size_t(width) + std::size_t(x)] =
          std::uint8_t(std::lround(255.0 * inside / (kGrid * kGrid)));
    }
  }
  return coverage;
}

std::vector<std::uint8_t> DiscMask(double cx, double cy, double r) {
  return EllipseMask(kSide, kSide, cx, cy, r, r);
}

TEST(Outline, ACircleIsTracedRoundAndSmooth) {
  constexpr double kX = 23.1;
  constexpr double kY = 22.8;
  constexpr double kR = 15.3;
  const auto mask = DiscMask(kX, kY, kR);
  const auto outline = Traced(mask);
  ASSERT_TRUE(outline);
  EXPECT_LE(Farthest(*outline, [&](double x, double y) { return std::hypot(x - kX, y - kY) - kR; }),
            0.06);
  // No facets: consecutive edges turn by little, as a circle of this radius does over them.
  double longest = 0;
  double worstTurn = 0;
  for (const fw::Outline::Edge& e : outline->edges) {
    longest = std::max(longest, double(std::hypot(e.x1 - e.x0, e.y1 - e.y0)));
    const double a0 = std::atan2(e.y0 - kY, e.x0 - kX);
    const double a1 = std::atan2(e.y1 - kY, e.x1 - kX);
    worstTurn = std::max(worstTurn, std::abs(std::remainder(a1 - a0, 2 * std::numbers::pi)));
  }
  EXPECT_LE(longest, 0.6) << "pixels";
  EXPECT_LE(worstTurn * 180 / std::numbers::pi, 2.5) << "degrees of arc an edge";
  EXPECT_LE(CoverageError(*outline, mask), 0.01);
}

// Specks a pixel or two across, whose outlines are short and every pixel of them unexplained
// but for a point or two: tracing them ends (once it went round such an outline for ever).
TEST(Outline, SpecksAreTracedOrLeftAlone) {
  const struct {
    int width, height;
    double cx, cy, rx, ry;
  } specks[] = {{7, 8, 4.9458, 3.8482, 1.6405, 1.0520},
                {6, 7, 2.5076, 2.5749, 1.4195, 0.7795},
                {8, 7, 4.4336, 4.7320, 1.2484, 1.7236},
                {5, 5, 2.5, 2.5, 0.3, 0.3},
                {3, 3, 1.2, 1.7, 0.9, 0.4}};
  for (const auto& s : specks) {
    SCOPED_TRACE(testing::Message()
                 << s.width << " × " << s.height << " at " << s.cx << ", " << s.cy);
    const auto mask = EllipseMask(s.width, s.height, s.cx, s.cy, s.rx, s.ry);
    const auto outline = fw::TraceOutline(mask.data(), s.width, s.height);
    if (!outline) continue;  // drawn from the distance instead
    fw::AreaRaster raster(0, s.width, 0, s.height);
    for (const fw::Outline::Edge& e : outline->edges)
      raster.AddEdge(e.x0, e.y0, e.x1, e.y1);
    raster.Sweep([&](int y, int x, int n, double c) {
      for (int i = 0; i < n; ++i) {
        EXPECT_NEAR(std::abs(c), mask[std::size_t(y * s.width + x + i)] / 255.0, 0.45)
            << "pixel " << x + i << ", " << y;
      }
    });
  }
}

TEST(Outline, AMaskWhoseGreyIsNoEdgeHasNone) {
  EXPECT_FALSE(Traced(std::vector<std::uint8_t>(std::size_t(kSide) * kSide, 128)))
      << "translucent all over";
  const std::vector<std::uint8_t> large(std::size_t(600) * 600, 255);
  EXPECT_FALSE(fw::TraceOutline(large.data(), 600, 600)) << "too large to trace";
  // Wholly dark: the whole mask, to its border.
  const auto whole = Traced(std::vector<std::uint8_t>(std::size_t(kSide) * kSide, 255));
  ASSERT_TRUE(whole);
  EXPECT_LE(CoverageError(*whole, std::vector<std::uint8_t>(std::size_t(kSide) * kSide, 255)),
            1e-9);
}

}  // namespace
