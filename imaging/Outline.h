#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace fw {

// A point in a mask's pixel coordinates: pixel (x, y) is the square [x, x + 1) × [y, y + 1).
struct OutlinePoint {
  double x;
  double y;
};
// A closed polygon: its last point joins its first.
using OutlineLoop = std::vector<OutlinePoint>;

// The outline of the shape that a mask holds as coverage, traced from the mask's pixels so that
// it can be drawn at any size with each pixel's true coverage: straight where the shape is
// straight, smooth where it curves, and sharp at corners, crotches and the tips of thin strokes,
// which no interpolation of the pixels keeps. Its edges are stored for drawing.
struct Outline {
  struct Edge {
    float x0;
    float y0;
    float x1;
    float y1;
  };
  std::vector<Edge> edges;  // in the order of their tops (the smaller y)
  float tallest = 0;        // the greatest height of an edge

  // The edges that may reach into the rows [top, bottom) of the mask: [first, last).
  std::pair<std::size_t, std::size_t> EdgesAcross(double top, double bottom) const;
};

// The outline of the mask's shape (coverage one byte a pixel, row by row, 255 inside); nullptr
// for a mask too large to trace at the resolution that the tracing needs, or one whose grey is
// not the edge of a shape (drawn from its edge distance instead).
//
// The tracing, in this order:
// 1. The signed distance to the mask's edge (see EdgeDistance), which places straight edges to a
//    small fraction of a pixel.
// 2. That distance on a grid eight times finer, smoothed by a cubic B-spline: curves become
//    smooth, and a straight edge stays straight and in place (the spline reproduces a linear
//    function exactly).
// 3. Its zero line, traced as polygons.
// 4. Where the polygons give a pixel other coverage than the mask holds (at corners, crotches
//    and thin tips, which the distance rounds off), the straight or curved edges on either side
//    are carried on to where they meet, wherever that brings each pixel nearer its coverage.
std::shared_ptr<const Outline> TraceOutline(const std::uint8_t* coverage, int width, int height);

// Step 4 on its own, for the polygons of a mask whose coverage (0 to 1 a pixel) is given.
void SharpenCorners(std::vector<OutlineLoop>& loops, const std::vector<float>& coverage, int width,
                    int height);

// The polygon without the corners that lie within `flat` of the chord of the ones kept around
// them (Douglas and Peucker): a straight run becomes one edge.
OutlineLoop Simplified(const OutlineLoop& loop, double flat);

// The signed coverage that polygons give each pixel of a mask of that size (see AreaRaster).
std::vector<double> CoverageOf(const std::vector<OutlineLoop>& loops, int width, int height);

}  // namespace fw
