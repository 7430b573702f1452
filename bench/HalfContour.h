// The contour of a coverage plane at a level (half coverage, as a reader of the image sees its
// edge), by marching squares between pixel centres with the crossings interpolated linearly:
// closed polylines, the plane surrounded by a border of no coverage so that every contour
// closes.
#pragma once

#include "Plane.h"
#include "Polylines.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace glyph_measure {

namespace contour_detail {

// A piece of contour inside one square of four pixel centres, from the crossing where the
// square's boundary, walked clockwise, leaves the shape to the next one where it enters it.
// Each crossing is named by the grid edge it lies on, so that the square beside, which walks
// that edge the other way, starts its own piece where this one ends.
struct Piece {
  std::int64_t from;
  std::int64_t to;
  QPointF start;
};

// Values of the plane with a border of one pixel of zero around it.
class Bordered {
 public:
  explicit Bordered(const Plane& p)
      : width_(p.width + 2), values_(std::size_t(width_) * (p.height + 2)) {
    for (int y = 0; y < p.height; ++y)
      std::copy_n(&p.values[std::size_t(y) * p.width], p.width,
                  &values_[std::size_t(y + 1) * width_ + 1]);
  }
  // Node (i, j) is the centre of pixel (i - 1, j - 1), at (i - 0.5, j - 0.5).
  float At(int i, int j) const { return values_[std::size_t(j) * width_ + i]; }
  int Width() const { return width_; }

 private:
  int width_;
  std::vector<float> values_;
};

// The pieces of one square, whose top-left node is (i, j).
inline void SquarePieces(const Bordered& b, int i, int j, float level, std::vector<Piece>& pieces) {
  // The corners clockwise (top-left, top-right, bottom-right, bottom-left) and the grid edges
  // between them: top, right, bottom, left. An edge's name: its first node, and whether it runs
  // across (0) or down (1).
  const int ci[4] = {i, i + 1, i + 1, i};
  const int cj[4] = {j, j, j + 1, j + 1};
  float v[4];
  bool in[4];
  for (int k = 0; k < 4; ++k) {
    v[k] = b.At(ci[k], cj[k]);
    in[k] = v[k] >= level;
  }
  if (in[0] == in[1] && in[1] == in[2] && in[2] == in[3]) return;
  const auto name = [&](int e) -> std::int64_t {
    const int ni = e == 1 ? i + 1 : i;
    const int nj = e == 2 ? j + 1 : j;
    return (std::int64_t(nj) * b.Width() + ni) * 2 + (e % 2);
  };
  const auto point = [&](int e) {
    const int p = e;
    const int q = (e + 1) % 4;
    const double t = (level - v[p]) / double(v[q] - v[p]);
    const QPointF a(ci[p] - 0.5, cj[p] - 0.5);
    const QPointF c(ci[q] - 0.5, cj[q] - 0.5);
    return a + (c - a) * t;
  };
  int crossings[4];
  int count = 0;
  for (int e = 0; e < 4; ++e) {
    if (in[e] != in[(e + 1) % 4]) crossings[count++] = e;
  }
  // A saddle: where the middle is inside, the shape joins the two inside corners and each piece
  // turns around an outside corner, to the next crossing; else around an inside one, back to
  // the crossing before.
  const bool joined = (v[0] + v[1] + v[2] + v[3]) / 4 >= level;
  for (int k = 0; k < count; ++k) {
    const int e = crossings[k];
    if (!in[e]) continue;  // the boundary enters the shape here: a piece ends here
    const int partner = joined ? crossings[(k + 1) % count] : crossings[(k + count - 1) % count];
    pieces.push_back(Piece{name(e), name(partner), point(e)});
  }
}

// The pieces joined into closed polylines by their crossings.
inline std::vector<Polyline> Join(std::vector<Piece>& pieces) {
  std::sort(pieces.begin(), pieces.end(),
            [](const Piece& a, const Piece& b) { return a.from < b.from; });
  std::vector<bool> used(pieces.size(), false);
  const auto find = [&](std::int64_t from) {
    const auto it = std::lower_bound(pieces.begin(), pieces.end(), from,
                                     [](const Piece& p, std::int64_t f) { return p.from < f; });
    return it != pieces.end() && it->from == from ? std::size_t(it - pieces.begin())
                                                  : pieces.size();
  };
  std::vector<Polyline> lines;
  for (std::size_t first = 0; first < pieces.size(); ++first) {
    if (used[first]) continue;
    Polyline line;
    for (std::size_t k = first; k < pieces.size() && !used[k]; k = find(pieces[k].to)) {
      used[k] = true;
      line.push_back(pieces[k].start);
    }
    if (line.size() >= 3) lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace contour_detail

inline std::vector<Polyline> Contours(const Plane& plane, float level) {
  const contour_detail::Bordered bordered(plane);
  std::vector<contour_detail::Piece> pieces;
  for (int j = 0; j <= plane.height; ++j) {
    for (int i = 0; i <= plane.width; ++i)
      contour_detail::SquarePieces(bordered, i, j, level, pieces);
  }
  return contour_detail::Join(pieces);
}

}  // namespace glyph_measure
