// Exact area coverage of closed polylines: each pixel gets the share of its square that the
// shape covers, in floating point, with no sampling grid of its own. The glyph measuring tool's
// truth, drawn from the outlines the glyph sheet is drawn from.
#pragma once

#include "Plane.h"
#include "Polylines.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace glyph_measure {

// Signed areas, row by row, whose running sum along a row is the winding-weighted coverage of
// each pixel: every piece of edge adds its height to the pixels right of it, and to its own
// pixel the part of its height that lies right of the piece.
class AreaAccumulator {
 public:
  AreaAccumulator(int width, int height)
      : width_(width), height_(height), cells_(std::size_t(width + 1) * std::size_t(height)) {}

  void AddEdge(QPointF a, QPointF b) {
    if (a.y() == b.y()) return;  // a horizontal edge covers nothing
    const double top = std::max(std::min(a.y(), b.y()), 0.0);
    const double bottom = std::min(std::max(a.y(), b.y()), double(height_));
    for (int row = int(std::floor(top)); row < bottom; ++row) {
      const double y0 = std::max(top, double(row));
      const double y1 = std::min(bottom, double(row + 1));
      if (y1 <= y0) continue;
      AddInRow(row, At(a, b, y0), At(a, b, y1), (b.y() > a.y() ? 1 : -1) * (y1 - y0));
    }
  }

  // The coverage: the winding's size, at most 1. Where contours do not overlap this is what
  // either fill rule gives; overlaps is set to the number of pixels where they do.
  Plane Coverage(int* overlaps) const {
    Plane plane(width_, height_);
    int over = 0;
    for (int y = 0; y < height_; ++y) {
      double sum = 0;
      for (int x = 0; x < width_; ++x) {
        sum += cells_[std::size_t(y) * std::size_t(width_ + 1) + x];
        const double winding = std::abs(sum);
        if (winding > 1 + 1e-6) ++over;
        plane.At(x, y) = float(std::min(winding, 1.0));
      }
    }
    if (overlaps) *overlaps = over;
    return plane;
  }

 private:
  // The x of the edge from a to b at height y.
  static double At(QPointF a, QPointF b, double y) {
    return a.x() + (b.x() - a.x()) * (y - a.y()) / (b.y() - a.y());
  }

  // A piece of edge within one row from x0 to x1, of signed height h: split where it crosses
  // pixel boundaries, each part adding to its own pixel and the next.
  void AddInRow(int row, double x0, double x1, double h) {
    double* line = cells_.data() + std::size_t(row) * std::size_t(width_ + 1);
    const double left = std::min(x0, x1);
    const double right = std::max(x0, x1);
    if (right <= 0) {  // all left of the row: it covers the whole row right of it
      line[0] += h;
      return;
    }
    if (right == left) {
      AddInPixel(line, int(std::floor(left)), left, h);
      return;
    }
    double from = left;
    while (from < right) {
      const int column = int(std::floor(from));
      const double to = std::min(right, double(column + 1));
      AddInPixel(line, column, (from + to) / 2, h * (to - from) / (right - left));
      from = to;
    }
  }

  // A part of edge inside one pixel column, of signed height h, whose middle lies at x.
  void AddInPixel(double* line, int column, double x, double h) const {
    if (column >= width_) return;  // right of the plane: covers none of it
    if (column < 0) {
      line[0] += h;
      return;
    }
    const double right = 1 - (x - column);  // the pixel's share right of the part
    line[column] += h * right;
    line[column + 1] += h * (1 - right);
  }

  int width_;
  int height_;
  std::vector<double> cells_;
};

// The coverage of the shape the polylines enclose, in a plane of width x height whose pixel
// (x, y) is the square [x, x + 1) x [y, y + 1): the shape clipped to the plane.
inline Plane AreaCoverage(const std::vector<Polyline>& lines, int width, int height,
                          int* overlaps = nullptr) {
  AreaAccumulator area(width, height);
  for (const Polyline& line : lines) {
    for (std::size_t i = 0; i < line.size(); ++i)
      area.AddEdge(line[i], line[(i + 1) % line.size()]);
  }
  return area.Coverage(overlaps);
}

}  // namespace glyph_measure
