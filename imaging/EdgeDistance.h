#pragma once

#include <cstdint>
#include <vector>

namespace fw {

// Distances are clamped to this many pixels: an enlargement only ever needs those of the pixels
// next to an edge, and the clamp keeps far values from growing with the scale factor.
constexpr float kEdgeReach = 4.0F;

// The signed distance, in pixels, from each pixel's centre to the edge of the shape that a mask
// holds as coverage (one byte a pixel, row by row, 255 inside): negative inside, positive
// outside, clamped to plus or minus kEdgeReach. The edge is the shape's outline at half
// coverage, placed inside each grey pixel from its coverage and the direction of the local
// gradient, so a straight anti-aliased edge gives distances that fall off linearly across it:
// an anti-aliased Euclidean distance transform (Gustavson and Strand, 2011).
std::vector<float> EdgeDistance(const std::uint8_t* coverage, int width, int height);

}  // namespace fw
