// The tracing of a mask's outline, and its drawing, on arbitrary masks: noise, stray pixels, a
// mask of one pixel or of 64 × 64. Tracing ends, gives an outline or none, and an outline covers
// every pixel between nothing and all of it; drawing it enlarged, reduced and beyond the surface
// stays inside the surface.
//
// The input: the mask's width and height (1 to 64, from the first two bytes), the scale of the
// draw (the third), then the mask's coverage, row by row, repeated to fill it.
#include "imaging/AreaRaster.h"
#include "imaging/Outline.h"
#include "imaging/Stencil.h"

#include <QImage>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int kMaxSide = 64;

void CheckCoverage(const fw::Outline& outline, int width, int height) {
  fw::AreaRaster raster(0, width, 0, height);
  for (const fw::Outline::Edge& e : outline.edges) {
    if (!std::isfinite(e.x0) || !std::isfinite(e.y0) || !std::isfinite(e.x1) ||
        !std::isfinite(e.y1)) {
      std::abort();
    }
    raster.AddEdge(e.x0, e.y0, e.x1, e.y1);
  }
  raster.Sweep([](int, int, int n, double coverage) {
    // A pixel covered twice over would be an outline that crosses itself.
    if (n <= 0 || std::abs(coverage) > 1.05) std::abort();
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const int width = 1 + data[0] % kMaxSide;
  const int height = 1 + data[1] % kMaxSide;
  const int scale = data[2];
  auto mask = std::make_shared<std::vector<std::uint8_t>>(std::size_t(width) * height);
  for (std::size_t i = 0; i < mask->size(); ++i)
    (*mask)[i] = data[3 + i % (size - 3)];

  fw::Stencil stencil;
  stencil.width = width;
  stencil.height = height;
  stencil.alpha = mask;
  stencil.uniform = 0xFF000000;
  stencil.outline = fw::TraceOutline(mask->data(), width, height);
  if (!stencil.outline) return 0;
  CheckCoverage(*stencil.outline, width, height);

  // Enlarged (by up to 16) or reduced, and shifted half off the surface.
  const int destWidth = scale < 128 ? std::max(1, width * (1 + scale % 16)) : 1 + scale % 24;
  const int destHeight = scale < 128 ? std::max(1, height * (1 + scale % 16)) : 1 + scale % 24;
  QImage target(std::min(destWidth, 512), std::min(destHeight, 512), QImage::Format_RGB32);
  target.fill(0xFFFFFFFF);
  const fw::DeviceRect dest{-destWidth / 3, destHeight / 4, destWidth, destHeight};
  const QRect visible =
      fw::ClipToSurface(dest.x, dest.y, dest.width, dest.height, target.width(), target.height());
  if (visible.isEmpty()) return 0;
  const fw::StencilScaler scaler(stencil, QRect(0, 0, width, height), dest, visible);
  scaler.DrawRows(visible.y(), visible.height(), target, QPoint(0, 0), true);
  return 0;
}
