#pragma once

#include "Outline.h"

#include <QImage>
#include <QPoint>
#include <QRect>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace fw {

// What a draw through a mask needs of its source picture, taken at the moment of the draw. It
// keeps what it refers to alive, and a later refill or reshaping of the picture leaves it as it
// was: a recorded draw replays in the colour and shape that the picture had when it was drawn.
struct Stencil {
  int width = 0;
  int height = 0;
  // The mask as alpha, one byte a pixel, row by row: 255 where the mask is black.
  std::shared_ptr<const std::vector<std::uint8_t>> alpha;
  // The outline traced from the mask (see Outline), which enlargements are drawn from; a mask too
  // large to trace has the signed distance from each pixel's centre to its edge instead (see
  // EdgeDistance), and a stencil with neither is enlarged from alpha.
  std::shared_ptr<const Outline> outline;
  std::shared_ptr<const std::vector<float>> distance;
  // The colour of the whole picture, when it is known to be one colour; else colours holds the
  // picture itself (RGB32).
  std::optional<QRgb> uniform;
  QImage colours;
};

// The stencil's colours with its mask as alpha, premultiplied (ARGB32_Premultiplied, the
// stencil's size): what an unscaled draw blends. out is reused when it has the right size.
void MakeDrawable(const Stencil& stencil, QImage& out);

// A destination rectangle in device pixels, in 64 bits: it may reach far outside the surface.
struct DeviceRect {
  std::int64_t x;
  std::int64_t y;
  std::int64_t width;
  std::int64_t height;
};

// The part of the rectangle (x, y, w, h) that lies on a surface of the given size, computed
// without overflow for any int arguments.
QRect ClipToSurface(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h,
                    int surfaceWidth, int surfaceHeight);

// Draws the source rectangle of a stencil scaled into dest, for the columns of visible (device
// pixels, inside dest); the rows are drawn in as many pieces as the caller likes. Every
// destination pixel depends only on its own place in dest: drawing dest in pieces, band by band,
// gives exactly the pixels of drawing it whole.
//
// One scaler at a time: the column taps live in scratch space shared by every draw, which only
// grows, so that drawing allocates nothing once it has seen the widest draw. Main thread only.
class StencilScaler {
 public:
  StencilScaler(const Stencil& stencil, QRect source, DeviceRect dest, QRect visible);
  StencilScaler(const StencilScaler&) = delete;
  StencilScaler& operator=(const StencilScaler&) = delete;

  // Writes rows [top, top + count) of the visible part into target, whose pixel (0, 0) is the
  // device pixel origin. With blend the stencil goes over what target holds (target has no
  // alpha); without, target (premultiplied) takes the stencil's pixels in place of its own.
  void DrawRows(int top, int count, QImage& target, QPoint origin, bool blend) const;

 private:
  void DrawRowsByArea(int top, int count, QImage& target, QPoint origin, bool blend) const;
  void DrawRowsFromOutline(int top, int count, QImage& target, QPoint origin, bool blend) const;
  void DrawRowsFromAlpha(int top, int count, QImage& target, QPoint origin, bool blend) const;
  void DrawRowsFromDistance(int top, int count, QImage& target, QPoint origin, bool blend) const;
  // The colour of the source pixel nearest to the centre of a destination pixel.
  QRgb ColourAt(std::int64_t x, std::int64_t y) const;
  // What a destination pixel takes, premultiplied: the stencil's colour there with that alpha.
  QRgb Coloured(std::int64_t x, std::int64_t y, int level) const;

  enum class Way { ByArea, FromOutline, FromDistance, FromAlpha };

  const Stencil& stencil_;
  QRect source_;
  DeviceRect dest_;
  QRect visible_;
  Way way_ = Way::FromAlpha;
  // Enlarging from the distance: alpha levels per pixel of distance, 255 times the scale factor.
  float levelsPerPixel_ = 0;
  std::uint8_t steep_[256];
  QRgb colourOf_[256];
};

}  // namespace fw
