#include "EdgeDistance.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

namespace fw {

namespace {

constexpr float kFar = 1e6F;       // not reached yet
constexpr float kSettled = 1e-3F;  // a shorter distance must gain this much to be taken

// The distance from a pixel's centre to a straight edge that crosses the pixel, with the edge's
// normal (gx, gy) and the pixel covered to a (0 < a < 1): the line that cuts off exactly that
// area of the unit square. Positive when the centre lies outside.
float EdgeOffset(float gx, float gy, float a) {
  if (gx == 0 || gy == 0) return 0.5F - a;  // along an axis, or no direction known
  const float length = std::sqrt(gx * gx + gy * gy);
  gx = std::abs(gx) / length;
  gy = std::abs(gy) / length;
  if (gx < gy) std::swap(gx, gy);
  // Below a1 the edge cuts off a triangle at a corner; between a1 and 1 - a1, a trapezoid.
  const float a1 = 0.5F * gy / gx;
  if (a < a1) return 0.5F * (gx + gy) - std::sqrt(2.0F * gx * gy * a);
  if (a < 1.0F - a1) return (0.5F - a) * gx;
  return -0.5F * (gx + gy) + std::sqrt(2.0F * gx * gy * (1.0F - a));
}

// What EdgeOffset needs of the direction from a pixel to an edge pixel a few pixels away, ready
// for every direction within the reach of the distances kept.
class Directions {
 public:
  static constexpr int kRange = 7;  // beyond the reach plus a pixel's half diagonal

  Directions() {
    for (int oy = -kRange; oy <= kRange; ++oy) {
      for (int ox = -kRange; ox <= kRange; ++ox) {
        Direction& d = table_[std::size_t(oy + kRange)][std::size_t(ox + kRange)];
        d.length = std::sqrt(float(ox * ox + oy * oy));
        if (ox == 0 || oy == 0) continue;
        float gx = std::abs(float(ox)) / d.length;
        float gy = std::abs(float(oy)) / d.length;
        if (gx < gy) std::swap(gx, gy);
        d.gx = gx;
        d.gy = gy;
        d.a1 = 0.5F * gy / gx;
      }
    }
  }

  // The distance to an edge pixel at (ox, oy), covered to a (> 0), plus the offset of its edge
  // in that direction: the same as the length and EdgeOffset.
  float Through(int ox, int oy, float a) const {
    const Direction& d = table_[std::size_t(oy + kRange)][std::size_t(ox + kRange)];
    if (d.gy == 0) return d.length + 0.5F - a;
    if (a < d.a1) return d.length + 0.5F * (d.gx + d.gy) - std::sqrt(2.0F * d.gx * d.gy * a);
    if (a < 1.0F - d.a1) return d.length + (0.5F - a) * d.gx;
    return d.length - 0.5F * (d.gx + d.gy) + std::sqrt(2.0F * d.gx * d.gy * (1.0F - a));
  }

 private:
  struct Direction {
    float length = 0;
    float gx = 0;  // the larger of the two, normalised
    float gy = 0;  // 0 along an axis
    float a1 = 0;
  };
  Direction table_[2 * kRange + 1][2 * kRange + 1];
};

const Directions& TheDirections() {
  static const Directions directions;
  return directions;
}

// The distance of one side of the edge: of every pixel to the shape that coverage holds, found
// by sweeping each pixel's nearest edge pixel to its neighbours. The pixels are kept with a
// border of one pixel around them that is never an edge and never changes, so that every pixel
// has all its neighbours.
class SideTransform {
 public:
  SideTransform(const std::vector<float>& coverage, const std::vector<float>& gx,
                const std::vector<float>& gy, int width, int height)
      : w_(width),
        h_(height),
        stride_(width + 2),
        coverage_(std::size_t(width + 2) * std::size_t(height + 2), 0.0F),
        dist_(coverage_.size(), 0.0F),
        nearX_(coverage_.size(), 0),
        nearY_(coverage_.size(), 0) {
    for (int y = 0; y < h_; ++y) {
      for (int x = 0; x < w_; ++x) {
        const std::size_t from = std::size_t(y) * std::size_t(w_) + std::size_t(x);
        const std::size_t i = Index(x + 1, y + 1);
        const float a = coverage[from];
        coverage_[i] = a;
        dist_[i] = a <= 0 ? kFar : a >= 1 ? 0.0F : EdgeOffset(gx[from], gy[from], a);
      }
    }
  }

  // The distances, none below zero (pixels of the shape and its edge lie at nothing), row by
  // row without the border.
  std::vector<float> Run() {
    const std::ptrdiff_t up = -stride_;
    // One sweep down and one up: the few pixels that they leave a little too far lie far from
    // every edge, beyond what an enlargement samples, and a repeat until nothing changes took
    // twice the time.
    {
      for (int y = 1; y <= h_; ++y) {
        for (int x = 1; x <= w_; ++x) {
          const std::size_t i = Index(x, y);
          if (dist_[i] <= 0) continue;
          TryFrom(i, -1, 0, -1);
          TryFrom(i, -1, -1, up - 1);
          TryFrom(i, 0, -1, up);
          TryFrom(i, 1, -1, up + 1);
        }
        for (int x = w_; x >= 1; --x) {
          const std::size_t i = Index(x, y);
          if (dist_[i] > 0) TryFrom(i, 1, 0, 1);
        }
      }
      for (int y = h_; y >= 1; --y) {
        for (int x = w_; x >= 1; --x) {
          const std::size_t i = Index(x, y);
          if (dist_[i] <= 0) continue;
          TryFrom(i, 1, 0, 1);
          TryFrom(i, 1, 1, 1 - up);
          TryFrom(i, 0, 1, -up);
          TryFrom(i, -1, 1, -1 - up);
        }
        for (int x = 1; x <= w_; ++x) {
          const std::size_t i = Index(x, y);
          if (dist_[i] > 0) TryFrom(i, -1, 0, -1);
        }
      }
    }
    std::vector<float> out(std::size_t(w_) * std::size_t(h_));
    for (int y = 0; y < h_; ++y) {
      for (int x = 0; x < w_; ++x)
        out[std::size_t(y) * std::size_t(w_) + std::size_t(x)] =
            std::max(dist_[Index(x + 1, y + 1)], 0.0F);
    }
    return out;
  }

 private:
  // Whether the edge pixel nearest to the neighbour (sx, sy) away, step away in the arrays, lies
  // nearer to pixel i than the one that i has now.
  void TryFrom(std::size_t i, int sx, int sy, std::ptrdiff_t step) {
    const std::size_t n = std::size_t(std::ptrdiff_t(i) + step);
    const int ox = nearX_[n] + sx;
    const int oy = nearY_[n] + sy;
    if (ox == nearX_[i] && oy == nearY_[i]) return;  // the edge pixel that i has already
    const float a = coverage_[std::size_t(std::ptrdiff_t(i) + std::ptrdiff_t(oy) * stride_ + ox)];
    if (a <= 0) return;  // the neighbour has no edge pixel yet
    // No edge offset exceeds half a diagonal: a candidate that far off cannot win, and one
    // beyond the reach of the distances kept need not be followed.
    const float old = dist_[i];
    const float reach = std::min(old, kEdgeReach + 1) + 0.7072F;
    const int squared = ox * ox + oy * oy;
    if (float(squared) >= reach * reach) return;
    const float d = directions_.Through(ox, oy, a);
    if (d < old - kSettled) {
      dist_[i] = d;
      nearX_[i] = ox;
      nearY_[i] = oy;
    }
  }

  std::size_t Index(int x, int y) const {
    return std::size_t(y) * std::size_t(stride_) + std::size_t(x);
  }

  const Directions& directions_ = TheDirections();
  int w_;
  int h_;
  std::ptrdiff_t stride_;
  std::vector<float> coverage_;
  std::vector<float> dist_;
  std::vector<int> nearX_;  // offset to the nearest edge pixel found
  std::vector<int> nearY_;
};

// The direction in which coverage grows, at the grey pixels (elsewhere nothing): a Sobel-like
// operator weighted for isotropy, with the pixels beyond the border taken as the border's.
void Gradient(const std::vector<float>& c, int w, int h, std::vector<float>& gx,
              std::vector<float>& gy) {
  constexpr float kSqrt2 = 1.41421356F;
  gx.assign(c.size(), 0.0F);
  gy.assign(c.size(), 0.0F);
  const auto at = [&](int x, int y) {
    return c[std::size_t(std::clamp(y, 0, h - 1)) * std::size_t(w) +
             std::size_t(std::clamp(x, 0, w - 1))];
  };
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const std::size_t i = std::size_t(y) * std::size_t(w) + std::size_t(x);
      if (c[i] <= 0 || c[i] >= 1) continue;
      const float dx = at(x + 1, y - 1) + kSqrt2 * at(x + 1, y) + at(x + 1, y + 1) -
                       at(x - 1, y - 1) - kSqrt2 * at(x - 1, y) - at(x - 1, y + 1);
      const float dy = at(x - 1, y + 1) + kSqrt2 * at(x, y + 1) + at(x + 1, y + 1) -
                       at(x - 1, y - 1) - kSqrt2 * at(x, y - 1) - at(x + 1, y - 1);
      const float length = std::sqrt(dx * dx + dy * dy);
      if (length > 0) {
        gx[i] = dx / length;
        gy[i] = dy / length;
      }
    }
  }
}

}  // namespace

std::vector<float> EdgeDistance(const std::uint8_t* coverage, int width, int height) {
  const std::size_t count = std::size_t(width) * std::size_t(height);
  std::vector<float> inside(count);
  for (std::size_t i = 0; i < count; ++i)
    inside[i] = float(coverage[i]) / 255.0F;
  std::vector<float> gx;
  std::vector<float> gy;
  Gradient(inside, width, height, gx, gy);
  // The edge offsets depend on the gradient's direction only up to its sign, so the shape's
  // complement takes the same gradient.
  std::vector<float> outside = SideTransform(inside, gx, gy, width, height).Run();
  for (float& a : inside)
    a = 1.0F - a;
  const std::vector<float> depth = SideTransform(inside, gx, gy, width, height).Run();
  for (std::size_t i = 0; i < count; ++i)
    outside[i] = std::clamp(outside[i] - depth[i], -kEdgeReach, kEdgeReach);
  return outside;
}

}  // namespace fw
