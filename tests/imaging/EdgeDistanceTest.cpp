// The distance to a mask's edge, from anti-aliased coverage: a straight edge at any angle and any
// sub-pixel place gives the distance of each pixel's centre to the line, and a mask without an
// edge lies wholly at the reach.
#include "imaging/EdgeDistance.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace {

constexpr int kSide = 24;

// The half plane where cos(angle) x + sin(angle) y < offset, its coverage of each pixel found by
// sampling the pixel on a fine grid.
std::vector<std::uint8_t> HalfPlane(double angle, double offset) {
  constexpr int kGrid = 32;
  const double nx = std::cos(angle);
  const double ny = std::sin(angle);
  std::vector<std::uint8_t> coverage(std::size_t(kSide) * kSide);
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      int inside = 0;
      for (int j = 0; j < kGrid; ++j) {
        for (int i = 0; i < kGrid; ++i) {
          const double px = x + (i + 0.5) / kGrid;
          const double py = y + (j + 0.5) / kGrid;
          inside += nx * px + ny * py < offset;
        }
      }
      coverage[std::size_t(y) * kSide + std::size_t(x)] =
          std::uint8_t(std::lround(255.0 * inside / (kGrid * kGrid)));
    }
  }
  return coverage;
}

TEST(EdgeDistance, AStraightEdgeGivesTheDistanceToItsLine) {
  const struct {
    double degrees;
    double offset;     // of the line from the origin, in pixels
    double tolerance;  // slanted, the edge inside a grey pixel is placed to about a tenth
  } cases[] = {
      {0, 10.3, 0.02},  // along the columns, 0.3 into a pixel
      {0, 12.0, 0.02},  // on a pixel boundary
      {90, 11.7, 0.02}, {15, 12.4, 0.1}, {30, 14.1, 0.1}, {45, 16.0, 0.1}, {63, 15.2, 0.1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.degrees << " degrees, offset " << c.offset);
    const double angle = c.degrees * std::numbers::pi / 180.0;
    const std::vector<float> d = fw::EdgeDistance(HalfPlane(angle, c.offset).data(), kSide, kSide);
    double worst = 0;
    int near = 0;
    // Away from the border, where the line's distance is what an enlargement samples.
    for (int y = 4; y < kSide - 4; ++y) {
      for (int x = 4; x < kSide - 4; ++x) {
        const double expected =
            std::cos(angle) * (x + 0.5) + std::sin(angle) * (y + 0.5) - c.offset;
        if (std::abs(expected) > 2.0) continue;
        ++near;
        worst = std::max(worst, std::abs(d[std::size_t(y) * kSide + std::size_t(x)] - expected));
      }
    }
    EXPECT_GT(near, 20);
    EXPECT_LE(worst, c.tolerance);
  }
}

TEST(EdgeDistance, AMaskWithoutAnEdgeLiesAtTheReach) {
  for (const std::uint8_t a : {std::uint8_t(0), std::uint8_t(255)}) {
    const std::vector<std::uint8_t> coverage(std::size_t(kSide) * 5, a);
    for (const float d : fw::EdgeDistance(coverage.data(), kSide, 5))
      EXPECT_EQ(d, a == 0 ? fw::kEdgeReach : -fw::kEdgeReach);
  }
}

}  // namespace
