// The outer edges of glyphs in a black-on-white image, found row by row at fixed coverage
// levels: the measure of straight edges and of their sharpness that the glyph edge tests and the
// glyph measuring tool share.
#pragma once

#include <QImage>

#include <cmath>
#include <cstddef>
#include <optional>
#include <vector>

namespace edge_rows {

// Where a glyph lies in the export: its square's left edge and its side.
struct Square {
  int x;
  int size;
};

// Coverage of a black-on-white image: 0 on white, 1 on black.
class Coverage {
 public:
  explicit Coverage(const QImage& image) : image_(image.convertToFormat(QImage::Format_RGB32)) {}
  double At(int x, int y) const { return (255 - qRed(image_.pixel(x, y))) / 255.0; }
  int Width() const { return image_.width(); }
  int Height() const { return image_.height(); }

  // Where the coverage of row y first reaches level, going from x in steps of dir (±1) through
  // count pixels, between the centres of the two pixels on either side; nothing when it never
  // does. Positions are continuous: pixel i spans [i, i + 1).
  std::optional<double> Crossing(int y, int x, int dir, int count, double level) const {
    double before = At(x, y);
    if (before >= level) return std::nullopt;  // starts inside: no outer edge on this row
    for (int i = 1; i < count; ++i) {
      const double now = At(x + dir * i, y);
      if (now >= level) {
        const double t = (level - before) / (now - before);
        return x + dir * (i - 1 + t) + 0.5;
      }
      before = now;
    }
    return std::nullopt;
  }

  // Where an edge that row y enters from x, in steps of dir, lies by the ink before it: the
  // light in the pixels up to the first dark one. Exact for a straight edge whose pixels hold
  // its area, like the sheet's, and for any ramp symmetric about the edge.
  std::optional<double> AreaEdge(int y, int x, int dir, int count) const {
    double light = 0;
    for (int i = 0; i < count; ++i) {
      const double a = At(x + dir * i, y);
      light += 1 - a;
      if (a >= kDark) return (dir > 0 ? x : x + 1) + dir * light;
    }
    return std::nullopt;
  }

 private:
  static constexpr double kDark = 0.98;
  QImage image_;
};

// An outer edge of a glyph, row by row: the rows' centres and the edge's place on each.
struct Edge {
  std::vector<double> y;
  std::vector<double> x;
  std::vector<double> rampAlongRow;  // from 10 % to 90 % coverage
  std::vector<double> byArea;        // the edge's place by the ink before it
};

// The outer edge from one side (dir +1: the left edge, -1: the right), over the rows of the
// square that lie between from and to, as fractions of the cell's height: the straight parts of
// the A and the V, clear of the apex and the feet.
inline Edge OuterEdge(const Coverage& c, Square s, int dir, double from, double to) {
  Edge e;
  const int top = int(std::ceil(from * s.size));
  const int bottom = int(std::floor(to * s.size));
  const int start = dir > 0 ? s.x : s.x + s.size - 1;
  for (int y = top; y <= bottom; ++y) {
    const auto half = c.Crossing(y, start, dir, s.size / 2, 0.5);
    const auto low = c.Crossing(y, start, dir, s.size / 2, 0.1);
    const auto high = c.Crossing(y, start, dir, s.size / 2, 0.9);
    const auto area = c.AreaEdge(y, start, dir, s.size / 2);
    if (!half || !low || !high || !area) continue;
    e.y.push_back(y + 0.5);
    e.x.push_back(*half);
    e.rampAlongRow.push_back(std::abs(*high - *low));
    e.byArea.push_back(*area);
  }
  return e;
}

// The least-squares line x = a + b y through an edge.
struct Line {
  double a;
  double b;
  double At(double y) const { return a + b * y; }
};

inline Line Fit(const Edge& e) {
  const double n = double(e.y.size());
  double sy = 0, sx = 0, syy = 0, sxy = 0;
  for (std::size_t i = 0; i < e.y.size(); ++i) {
    sy += e.y[i];
    sx += e.x[i];
    syy += e.y[i] * e.y[i];
    sxy += e.x[i] * e.y[i];
  }
  const double b = (n * sxy - sx * sy) / (n * syy - sy * sy);
  return Line{(sx - b * sy) / n, b};
}

inline double RmsFromLine(const Edge& e) {
  const Line line = Fit(e);
  double sum = 0;
  for (std::size_t i = 0; i < e.y.size(); ++i)
    sum += std::pow(e.x[i] - line.At(e.y[i]), 2);
  return std::sqrt(sum / double(e.y.size()));
}

}  // namespace edge_rows
