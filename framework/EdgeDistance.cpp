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
  const float length = std::hypot(gx, gy);
  gx = std::abs(gx) / length;
  gy = std::abs(gy) / length;
  if (gx < gy) std::swap(gx, gy);
  // Below a1 the edge cuts off a triangle at a corner; between a1 and 1 - a1, a trapezoid.
  const float a1 = 0.5F * gy / gx;
  if (a < a1) return 0.5F * (gx + gy) - std::sqrt(2.0F * gx * gy * a);
  if (a < 1.0F - a1) return (0.5F - a) * gx;
  return -0.5F * (gx + gy) + std::sqrt(2.0F * gx * gy * (1.0F - a));
}

// The distance of one side of the edge: of every pixel to the shape that coverage holds, found
// by sweeping each pixel's nearest edge pixel to its neighbours.
class SideTransform {
 public:
  SideTransform(const std::vector<float>& coverage, const std::vector<float>& gx,
                const std::vector<float>& gy, int width, int height)
      : coverage_(coverage),
        w_(width),
        h_(height),
        dist_(coverage.size()),
        nearX_(coverage.size(), 0),
        nearY_(coverage.size(), 0) {
    for (std::size_t i = 0; i < coverage.size(); ++i) {
      const float a = coverage[i];
      dist_[i] = a <= 0 ? kFar : a >= 1 ? 0.0F : EdgeOffset(gx[i], gy[i], a);
    }
  }

  // The distances, none below zero: pixels of the shape and its edge lie at nothing.
  std::vector<float> Run() {
    do {
      changed_ = false;
      for (int y = 0; y < h_; ++y) {
        for (int x = 0; x < w_; ++x) {
          TryFrom(x, y, -1, 0);
          TryFrom(x, y, -1, -1);
          TryFrom(x, y, 0, -1);
          TryFrom(x, y, 1, -1);
        }
        for (int x = w_ - 2; x >= 0; --x)
          TryFrom(x, y, 1, 0);
      }
      for (int y = h_ - 1; y >= 0; --y) {
        for (int x = w_ - 1; x >= 0; --x) {
          TryFrom(x, y, 1, 0);
          TryFrom(x, y, 1, 1);
          TryFrom(x, y, 0, 1);
          TryFrom(x, y, -1, 1);
        }
        for (int x = 1; x < w_; ++x)
          TryFrom(x, y, -1, 0);
      }
    } while (changed_);
    for (float& d : dist_)
      d = std::max(d, 0.0F);
    return std::move(dist_);
  }

 private:
  // Whether the edge pixel nearest to the neighbour (x + sx, y + sy) lies nearer to (x, y) than
  // the one that (x, y) has now.
  void TryFrom(int x, int y, int sx, int sy) {
    const std::size_t i = Index(x, y);
    const float old = dist_[i];
    if (old <= 0) return;
    const int nx = x + sx;
    const int ny = y + sy;
    if (nx < 0 || ny < 0 || nx >= w_ || ny >= h_) return;
    const std::size_t n = Index(nx, ny);
    const int ox = nearX_[n] + sx;
    const int oy = nearY_[n] + sy;
    if (ox == 0 && oy == 0) return;  // the pixel's own edge, placed already
    const std::size_t edge = Index(x + ox, y + oy);
    const float a = coverage_[edge];
    if (a <= 0) return;  // the neighbour has no edge pixel yet
    // No edge offset exceeds half a diagonal: a candidate that far off cannot win.
    const float reach = old + 0.7072F;
    if (float(ox * ox + oy * oy) >= reach * reach) return;
    const float d = std::hypot(float(ox), float(oy)) + EdgeOffset(float(ox), float(oy), a);
    if (d < old - kSettled) {
      dist_[i] = d;
      nearX_[i] = ox;
      nearY_[i] = oy;
      changed_ = true;
    }
  }

  std::size_t Index(int x, int y) const { return std::size_t(y) * std::size_t(w_) + x; }

  const std::vector<float>& coverage_;
  int w_;
  int h_;
  std::vector<float> dist_;
  std::vector<int> nearX_;  // offset to the nearest edge pixel found
  std::vector<int> nearY_;
  bool changed_ = false;
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
      const float length = std::hypot(dx, dy);
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
