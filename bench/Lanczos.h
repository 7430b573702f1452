// A Lanczos-3 enlargement of a coverage plane: the glyph measuring tool's reference of what a
// good general-purpose resampler makes of a cell, cut at half coverage.
#pragma once

#include "Plane.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace glyph_measure {

inline double Lanczos3(double t) {
  if (t == 0) return 1;
  if (std::abs(t) >= 3) return 0;
  const double pt = std::numbers::pi * t;
  return 3 * std::sin(pt) * std::sin(pt / 3) / (pt * pt);
}

// The weights of one destination pixel: the six source pixels around its centre mapped into the
// source, pixel centre to pixel centre, normalised to sum 1.
struct Taps {
  int first = 0;
  double weight[6] = {};
};

inline std::vector<Taps> LanczosTaps(int sourceLength, int destLength) {
  std::vector<Taps> taps(static_cast<std::size_t>(destLength));
  for (int d = 0; d < destLength; ++d) {
    const double u = (d + 0.5) * sourceLength / destLength - 0.5;
    Taps& t = taps[std::size_t(d)];
    t.first = int(std::floor(u)) - 2;
    double sum = 0;
    for (int k = 0; k < 6; ++k)
      sum += t.weight[k] = Lanczos3(u - (t.first + k));
    for (double& w : t.weight)
      w /= sum;
  }
  return taps;
}

// The plane enlarged to width x height, separably, with no coverage outside it, clamped to
// [0, 1] (Lanczos rings above 1 and below 0 beside an edge).
inline Plane LanczosEnlarged(const Plane& source, int width, int height) {
  const std::vector<Taps> across = LanczosTaps(source.width, width);
  const std::vector<Taps> down = LanczosTaps(source.height, height);
  const auto sourceAt = [&](int x, int y) {
    return x < 0 || x >= source.width ? 0.0 : double(source.At(x, y));
  };
  std::vector<double> rows(std::size_t(width) * source.height);  // enlarged across only
  for (int y = 0; y < source.height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Taps& t = across[std::size_t(x)];
      double sum = 0;
      for (int k = 0; k < 6; ++k)
        sum += t.weight[k] * sourceAt(t.first + k, y);
      rows[std::size_t(y) * width + x] = sum;
    }
  }
  Plane out(width, height);
  for (int y = 0; y < height; ++y) {
    const Taps& t = down[std::size_t(y)];
    for (int x = 0; x < width; ++x) {
      double sum = 0;
      for (int k = 0; k < 6; ++k) {
        const int sy = t.first + k;
        if (sy >= 0 && sy < source.height) sum += t.weight[k] * rows[std::size_t(sy) * width + x];
      }
      out.At(x, y) = float(std::clamp(sum, 0.0, 1.0));
    }
  }
  return out;
}

}  // namespace glyph_measure
