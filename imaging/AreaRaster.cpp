#include "AreaRaster.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace fw {

void AreaRaster::Reset(int left, int width, int top, int count) {
  left_ = left;
  width_ = std::max(width, 0);
  top_ = top;
  count_ = std::max(count, 0);
  cells_.clear();
}

// Each row that the edge crosses gets the piece of the edge inside it.
void AreaRaster::AddEdge(double x0, double y0, double x1, double y1) {
  if (!(y0 != y1) || !std::isfinite(x0) || !std::isfinite(x1)) return;
  double dir = 1;
  if (y0 > y1) {
    std::swap(x0, x1);
    std::swap(y0, y1);
    dir = -1;
  }
  const double ya = std::max(y0, double(top_));
  const double yb = std::min(y1, double(top_) + count_);
  if (!(ya < yb)) return;
  const double dxdy = (x1 - x0) / (y1 - y0);
  const int firstRow = int(std::floor(ya));
  const int lastRow = int(std::ceil(yb)) - 1;
  for (int y = firstRow; y <= lastRow; ++y) {
    const double sy0 = std::max(ya, double(y));
    const double sy1 = std::min(yb, double(y) + 1);
    if (!(sy0 < sy1)) continue;
    AddRowSegment(y - top_, x0 + (sy0 - y0) * dxdy, x0 + (sy1 - y0) * dxdy, dir * (sy1 - sy0));
  }
}

// A piece of an edge within one row, from x = xa to x = xb, rising the row by dy: each pixel that
// it passes gets its share of dy as cover (for the pixels right of it) and the part of that
// share which lies right of the piece inside the pixel as area.
void AreaRaster::AddRowSegment(int row, double xa, double xb, double dy) {
  if (xa > xb) std::swap(xa, xb);
  const int right = left_ + width_;
  if (xa >= right) return;
  const int first = int(std::floor(xa));
  if (xb == xa || int(std::floor(xb)) == first) {
    AddCell(row, first, dy * (first + 1 - 0.5 * (xa + xb)), dy);
    return;
  }
  const double perX = dy / (xb - xa);
  const int last = std::min(int(std::ceil(xb)) - 1, right - 1);
  for (int x = first; x <= last; ++x) {
    const double xs = std::max(xa, double(x));
    const double xe = std::min(xb, double(x) + 1);
    const double share = perX * (xe - xs);
    AddCell(row, x, share * (x + 1 - 0.5 * (xs + xe)), share);
  }
}

void AreaRaster::AddCell(int row, int x, double area, double cover) {
  if (x >= left_ + width_) return;
  if (x < left_) {
    // Left of the window a piece only adds to the winding of every pixel of the row.
    cells_.push_back(Cell{row, left_ - 1, 0, cover});
    return;
  }
  cells_.push_back(Cell{row, x, area, cover});
}

// By row, then by column; pieces in one pixel stay in the order in which they came, so that
// their sums, and so the pixel, do not depend on the window. Rows are gathered by counting, and
// each row is sorted on its own: its pieces come mostly in order already.
void AreaRaster::SortCells() {
  rowStart_.assign(std::size_t(count_) + 1, 0);
  for (const Cell& c : cells_)
    ++rowStart_[std::size_t(c.row) + 1];
  for (std::size_t r = 0; r < std::size_t(count_); ++r)
    rowStart_[r + 1] += rowStart_[r];
  sorted_.resize(cells_.size());
  std::vector<std::size_t>& next = rowStart_;
  for (const Cell& c : cells_)
    sorted_[next[std::size_t(c.row)]++] = c;
  // next[r] is now where row r ends, and so where row r + 1 starts.
  std::size_t begin = 0;
  for (std::size_t r = 0; r < std::size_t(count_); ++r) {
    SortRow(begin, next[r]);
    begin = next[r];
  }
}

void AreaRaster::SortRow(std::size_t begin, std::size_t end) {
  const auto byColumn = [](const Cell& a, const Cell& b) { return a.x < b.x; };
  if (end - begin > 32) {
    std::stable_sort(sorted_.begin() + std::ptrdiff_t(begin), sorted_.begin() + std::ptrdiff_t(end),
                     byColumn);
    return;
  }
  for (std::size_t i = begin + 1; i < end; ++i) {
    const Cell c = sorted_[i];
    std::size_t k = i;
    for (; k > begin && c.x < sorted_[k - 1].x; --k)
      sorted_[k] = sorted_[k - 1];
    sorted_[k] = c;
  }
}

}  // namespace fw
