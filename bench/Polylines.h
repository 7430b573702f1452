// Closed polylines: a glyph's outline flattened from its curves, or a contour traced in an image.
#pragma once

#include <QPainterPath>
#include <QPointF>

#include <algorithm>
#include <cmath>
#include <vector>

namespace glyph_measure {

// A closed polyline: the last point joins the first.
using Polyline = std::vector<QPointF>;

inline double Distance(QPointF a, QPointF b) {
  return std::hypot(a.x() - b.x(), a.y() - b.y());
}

inline double Length(const Polyline& line) {
  double length = 0;
  for (std::size_t i = 0; i < line.size(); ++i)
    length += Distance(line[i], line[(i + 1) % line.size()]);
  return length;
}

inline double Length(const std::vector<Polyline>& lines) {
  double length = 0;
  for (const Polyline& line : lines)
    length += Length(line);
  return length;
}

// Appends a cubic Bézier curve from p0 (already in line) to p3, in as many equal steps of its
// parameter as keep every chord within tolerance of the curve: a chord over a parameter step h
// strays at most h^2 / 8 times the largest second derivative, which is at most 6 times the
// larger second difference of the control points.
inline void AppendCubic(Polyline& line, QPointF p0, QPointF p1, QPointF p2, QPointF p3,
                        double tolerance) {
  const QPointF d1 = p0 - 2 * p1 + p2;
  const QPointF d2 = p1 - 2 * p2 + p3;
  const double most = std::max(std::hypot(d1.x(), d1.y()), std::hypot(d2.x(), d2.y()));
  const int steps = std::max(1, int(std::ceil(std::sqrt(0.75 * most / tolerance))));
  for (int i = 1; i <= steps; ++i) {
    const double t = double(i) / steps;
    const double u = 1 - t;
    line.push_back(u * u * u * p0 + 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t * p3);
  }
}

// The path's subpaths as closed polylines within tolerance of its curves. A subpath that ends
// where it began does not repeat its first point.
inline std::vector<Polyline> Flatten(const QPainterPath& path, double tolerance) {
  std::vector<Polyline> lines;
  for (int i = 0; i < path.elementCount(); ++i) {
    const QPainterPath::Element e = path.elementAt(i);
    if (e.isMoveTo()) {
      lines.emplace_back();
      lines.back().push_back(e);
    } else if (e.isLineTo()) {
      lines.back().push_back(e);
    } else if (e.isCurveTo()) {
      AppendCubic(lines.back(), lines.back().back(), e, path.elementAt(i + 1),
                  path.elementAt(i + 2), tolerance);
      i += 2;
    }
  }
  for (Polyline& line : lines) {
    if (line.size() > 1 && line.front() == line.back()) line.pop_back();
  }
  std::erase_if(lines, [](const Polyline& line) { return line.size() < 3; });
  return lines;
}

// Points along the polylines no further apart than step, each segment's ends among them.
inline std::vector<QPointF> Samples(const std::vector<Polyline>& lines, double step) {
  std::vector<QPointF> points;
  for (const Polyline& line : lines) {
    for (std::size_t i = 0; i < line.size(); ++i) {
      const QPointF a = line[i];
      const QPointF b = line[(i + 1) % line.size()];
      const int count = std::max(1, int(std::ceil(Distance(a, b) / step)));
      for (int k = 0; k < count; ++k)
        points.push_back(a + (b - a) * (double(k) / count));
    }
  }
  return points;
}

// The polyline walked at equal steps of arc length, the step the largest not above step; for
// a polyline shorter than a step, its first point alone.
inline Polyline Resample(const Polyline& line, double step) {
  const double length = Length(line);
  const int count = std::max(1, int(std::ceil(length / step)));
  const double actual = length / count;
  Polyline out;
  out.reserve(std::size_t(count));
  std::size_t i = 0;
  double segmentStart = 0;  // arc length at line[i]
  for (int k = 0; k < count; ++k) {
    const double s = k * actual;
    double segment = Distance(line[i], line[(i + 1) % line.size()]);
    while (segmentStart + segment < s && i + 1 < line.size()) {
      segmentStart += segment;
      ++i;
      segment = Distance(line[i], line[(i + 1) % line.size()]);
    }
    const double t = segment > 0 ? std::clamp((s - segmentStart) / segment, 0.0, 1.0) : 0.0;
    out.push_back(line[i] + (line[(i + 1) % line.size()] - line[i]) * t);
  }
  return out;
}

}  // namespace glyph_measure
