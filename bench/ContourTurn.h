// How much a closed contour turns over a short arc: the measure of facets on what should be a
// smooth curve. The contour is walked at equal steps of arc length; its tangent at each point is
// the secant over a reach either side, and a window's turn is the angle between the tangents at
// its two ends.
#pragma once

#include "Polylines.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace glyph_measure {

// The step of the walk, in pixels: fine against any arc the turn is measured over.
constexpr double kTurnStep = 0.25;

struct TurnTrack {
  Polyline points;           // the contour at equal steps
  std::vector<double> turn;  // degrees, of the window from point i to point i + span
  int span = 0;              // the window's arc, in steps
  int reach = 0;             // the tangent's secant half-length, in steps
};

inline double AngleBetween(QPointF a, QPointF b) {
  const double cross = a.x() * b.y() - a.y() * b.x();
  return std::atan2(std::abs(cross), QPointF::dotProduct(a, b)) * 180 / std::numbers::pi;
}

// The turns of a contour over arcs of length arc, tangents from secants over reach pixels
// either side; nothing (no turns) when the contour is too short for its windows and secants to
// stay clear of each other.
inline TurnTrack Track(const Polyline& contour, double arc, double reach) {
  TurnTrack t;
  t.points = Resample(contour, kTurnStep);
  const int n = int(t.points.size());
  const double step = Length(contour) / n;
  t.span = std::max(1, int(std::lround(arc / step)));
  t.reach = std::max(1, int(std::lround(reach / step)));
  if (n < 2 * (t.span + 2 * t.reach)) return t;
  std::vector<QPointF> tangent(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i)
    tangent[std::size_t(i)] =
        t.points[std::size_t((i + t.reach) % n)] - t.points[std::size_t((i - t.reach + n) % n)];
  t.turn.resize(std::size_t(n));
  for (int i = 0; i < n; ++i)
    t.turn[std::size_t(i)] =
        AngleBetween(tangent[std::size_t(i)], tangent[std::size_t((i + t.span) % n)]);
  return t;
}

// The points of a track that any window turning by more than limit reaches, its tangents'
// secants included: the contour's corners, with an arc either side.
inline std::vector<bool> Corners(const TurnTrack& t, double limit) {
  const int n = int(t.points.size());
  std::vector<bool> corner(std::size_t(n), false);
  for (int i = 0; i < int(t.turn.size()); ++i) {
    if (t.turn[std::size_t(i)] <= limit) continue;
    for (int k = i - t.reach; k <= i + t.span + t.reach; ++k)
      corner[std::size_t(((k % n) + n) % n)] = true;
  }
  return corner;
}

}  // namespace glyph_measure
