#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

namespace fw {

// The exact coverage of a shape bounded by straight edges, pixel by pixel, over a window of
// pixels: the area of each pixel that lies inside (nonzero winding, clamped to one pixel), as a
// type rasterizer has it. Pixel (x, y) is the unit square [x, x + 1) × [y, y + 1).
//
// Each pixel's coverage depends only on the edges and on its own place, never on the window:
// rasterizing a shape in pieces, window by window, gives exactly the pixels of doing it whole.
class AreaRaster {
 public:
  // A window of width columns from left and count rows from top.
  AreaRaster(int left, int width, int top, int count) { Reset(left, width, top, count); }
  AreaRaster() = default;

  // Another window, for another shape, keeping the memory of the last.
  void Reset(int left, int width, int top, int count);

  // An edge from (x0, y0) to (x1, y1) of a closed outline. The outlines of a shape run all one
  // way round and those of its holes the other way; which way does not matter. Parts outside the
  // window's rows are dropped; parts left of it count for the pixels right of them, parts right
  // of it for nothing.
  void AddEdge(double x0, double y0, double x1, double y1);

  // The coverage, as runs of equal coverage, row by row from the top and left to right in each
  // row: run(y, x, n, coverage) for the pixels [x, x + n) of row y. Every pixel of the window is
  // in exactly one run. The coverage is signed: its sign tells which way round the outline ran,
  // and Level makes it the pixel's alpha.
  template <class Run>
  void Sweep(Run&& run);

  // The alpha level, 0 to 255, of a signed coverage.
  static int Level(double coverage) { return int(std::min(std::abs(coverage), 1.0) * 255.0 + 0.5); }

 private:
  struct Cell {
    int row;  // from the window's top
    int x;    // left - 1 stands for everything left of the window
    double area;
    double cover;
  };
  void AddRowSegment(int row, double xa, double xb, double dy);
  void AddCell(int row, int x, double area, double cover);
  void SortCells();
  void SortRow(std::size_t begin, std::size_t end);

  int left_ = 0;
  int width_ = 0;
  int top_ = 0;
  int count_ = 0;
  std::vector<Cell> cells_;
  std::vector<Cell> sorted_;
  std::vector<std::size_t> rowStart_;
};

template <class Run>
void AreaRaster::Sweep(Run&& run) {
  SortCells();
  const int right = left_ + width_;
  std::size_t i = 0;
  for (int r = 0; r < count_; ++r) {
    const int y = top_ + r;
    double winding = 0;
    int x = left_;  // the first pixel not yet given
    while (i < sorted_.size() && sorted_[i].row == r) {
      const int cx = sorted_[i].x;
      double area = 0;
      double cover = 0;
      for (; i < sorted_.size() && sorted_[i].row == r && sorted_[i].x == cx; ++i) {
        area += sorted_[i].area;
        cover += sorted_[i].cover;
      }
      if (cx < left_) {
        winding += cover;
        continue;
      }
      if (cx > x) run(y, x, cx - x, winding);
      run(y, cx, 1, winding + area);
      winding += cover;
      x = cx + 1;
    }
    if (x < right) run(y, x, right - x, winding);
  }
}

}  // namespace fw
