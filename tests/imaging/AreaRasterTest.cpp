// Exact coverage of shapes bounded by straight edges: each pixel holds the area of it that lies
// inside, whichever way the outline runs, holes subtract, and a window of rows or columns gives
// exactly the pixels of the whole.
#include "imaging/AreaRaster.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

struct Point {
  double x;
  double y;
};
using Polygon = std::vector<Point>;

// The coverage of each pixel of a window, row by row.
std::vector<double> Rasterize(const std::vector<Polygon>& polygons, int left, int width, int top,
                              int count) {
  fw::AreaRaster raster(left, width, top, count);
  for (const Polygon& p : polygons) {
    for (std::size_t k = 0; k < p.size(); ++k) {
      const Point& a = p[k];
      const Point& b = p[(k + 1) % p.size()];
      raster.AddEdge(a.x, a.y, b.x, b.y);
    }
  }
  std::vector<double> out(std::size_t(width) * std::size_t(count), -1.0);
  raster.Sweep([&](int y, int x, int n, double c) {
    for (int i = 0; i < n; ++i) {
      double& pixel = out[std::size_t(y - top) * std::size_t(width) + std::size_t(x - left + i)];
      EXPECT_EQ(pixel, -1.0) << "pixel " << x + i << ", " << y << " given twice";
      pixel = std::abs(c);
    }
  });
  for (const double c : out)
    EXPECT_GE(c, 0.0) << "a pixel without coverage";
  return out;
}

Polygon Reversed(Polygon p) {
  return Polygon(p.rbegin(), p.rend());
}

TEST(AreaRaster, EachPixelHoldsTheAreaInsideIt) {
  const struct {
    const char* what;
    std::vector<Polygon> shape;
    std::vector<double> expected;  // a 3 × 2 window from (0, 0)
  } cases[] = {
      {"a whole pixel", {{{1, 0}, {2, 0}, {2, 1}, {1, 1}}}, {0, 1, 0, 0, 0, 0}},
      {"a square across four pixels",
       {{{0.5, 0.5}, {1.5, 0.5}, {1.5, 1.5}, {0.5, 1.5}}},
       {0.25, 0.25, 0, 0.25, 0.25, 0}},
      {"a triangle: half a pixel", {{{0, 0}, {1, 0}, {0, 1}}}, {0.5, 0, 0, 0, 0, 0}},
      {"a sliver along a row",
       {{{0, 0.25}, {3, 0.25}, {3, 0.5}, {0, 0.5}}},
       {0.25, 0.25, 0.25, 0, 0, 0}},
      {"a frame with its hole",
       {{{0, 0}, {3, 0}, {3, 2}, {0, 2}}, Reversed({{1, 0.5}, {2, 0.5}, {2, 1.5}, {1, 1.5}})},
       {1, 0.5, 1, 1, 0.5, 1}},
      {"a shape beyond the window", {{{-5, 0}, {-4, 0}, {-4, 2}, {-5, 2}}}, {0, 0, 0, 0, 0, 0}},
      {"a shape that starts left of the window",
       {{{-5, 0}, {1.5, 0}, {1.5, 1}, {-5, 1}}},
       {1, 0.5, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (const bool reversed : {false, true}) {
      std::vector<Polygon> shape = c.shape;
      if (reversed) {
        for (Polygon& p : shape)
          p = Reversed(p);
      }
      const std::vector<double> got = Rasterize(shape, 0, 3, 0, 2);
      for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_NEAR(got[i], c.expected[i], 1e-12)
            << "pixel " << i << (reversed ? ", reversed" : "");
    }
  }
}

TEST(AreaRaster, AnyWindowGivesThePixelsOfTheWhole) {
  // A polygon with edges at many slopes, some long and flat, over 40 × 30 pixels.
  const Polygon star = {{20.3, 0.7},  {24.1, 11.2}, {39.6, 12.4}, {26.8, 18.1}, {31.9, 29.5},
                        {20.2, 21.7}, {3.3, 29.1},  {13.7, 17.9}, {0.4, 12.2},  {16.2, 11.5}};
  const std::vector<double> whole = Rasterize({star}, 0, 40, 0, 30);
  double area = 0;
  for (const double c : whole)
    area += c;
  double shoelace = 0;
  for (std::size_t k = 0; k < star.size(); ++k) {
    const Point& a = star[k];
    const Point& b = star[(k + 1) % star.size()];
    shoelace += a.x * b.y - b.x * a.y;
  }
  EXPECT_NEAR(area, std::abs(shoelace) / 2, 1e-9);
  for (const int band : {1, 3, 7, 30}) {
    for (int top = 0; top < 30; top += band) {
      const int count = std::min(band, 30 - top);
      const std::vector<double> part = Rasterize({star}, 0, 40, top, count);
      for (int y = 0; y < count; ++y) {
        for (int x = 0; x < 40; ++x) {
          ASSERT_EQ(fw::AreaRaster::Level(part[std::size_t(y) * 40 + std::size_t(x)]),
                    fw::AreaRaster::Level(whole[std::size_t(top + y) * 40 + std::size_t(x)]))
              << "band " << band << ", pixel " << x << ", " << top + y;
        }
      }
    }
  }
  // And a window of columns, with the shape reaching in from its left.
  const std::vector<double> right = Rasterize({star}, 17, 23, 0, 30);
  for (int y = 0; y < 30; ++y) {
    for (int x = 17; x < 40; ++x) {
      EXPECT_NEAR(right[std::size_t(y) * 23 + std::size_t(x - 17)],
                  whole[std::size_t(y) * 40 + std::size_t(x)], 1e-12);
    }
  }
}

}  // namespace
