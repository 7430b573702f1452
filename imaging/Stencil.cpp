#include "Stencil.h"

#include "AreaRaster.h"

#include <algorithm>
#include <cmath>

namespace fw {

void MakeDrawable(const Stencil& stencil, QImage& out) {
  const int w = stencil.width;
  const int h = stencil.height;
  if (out.size() != QSize(w, h) || out.format() != QImage::Format_ARGB32_Premultiplied) {
    out = QImage(w, h, QImage::Format_ARGB32_Premultiplied);
  }
  const std::uint8_t* alpha = stencil.alpha->data();
  for (int y = 0; y < h; ++y) {
    const auto* in =
        stencil.uniform ? nullptr : reinterpret_cast<const QRgb*>(stencil.colours.constScanLine(y));
    auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
    const std::uint8_t* a = alpha + std::size_t(y) * std::size_t(w);
    for (int x = 0; x < w; ++x) {
      const QRgb p = in ? in[x] : *stencil.uniform;
      row[x] = qPremultiply(qRgba(qRed(p), qGreen(p), qBlue(p), a[x]));
    }
  }
}

QRect ClipToSurface(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h,
                    int surfaceWidth, int surfaceHeight) {
  const std::int64_t left = std::max<std::int64_t>(x, 0);
  const std::int64_t top = std::max<std::int64_t>(y, 0);
  const std::int64_t right = std::min<std::int64_t>(x + w, surfaceWidth);
  const std::int64_t bottom = std::min<std::int64_t>(y + h, surfaceHeight);
  if (right <= left || bottom <= top) return {};
  return QRect(int(left), int(top), int(right - left), int(bottom - top));
}

namespace {

// Where one row or column of destination pixels samples the source: the two neighbouring
// source pixels and the weight of the second, in 1/256 and, finer, in 1/4096.
struct Tap {
  int first;
  int second;
  int weight;
  int fine;
};

constexpr int kFineBits = 12;
constexpr float kFineUnit = 1.0F / float(1 << kFineBits);

// The footprints of destination pixels in the source, for a reduction: for pixel i, the source
// pixels [first[i], first[i] + count[i]) with weights from weights[offset[i]], each the share
// of the footprint that the source pixel covers.
struct BoxTaps {
  std::vector<int> first;
  std::vector<int> count;
  std::vector<std::size_t> offset;
  std::vector<float> weights;
};

// The footprints of destination pixels [from, from + count) of a destination of length
// destLength starting at destStart, over the source span [sourceStart, sourceStart + length).
void ComputeBoxTaps(BoxTaps& taps, std::int64_t from, int count, std::int64_t destStart,
                    std::int64_t destLength, int sourceStart, int sourceLength) {
  taps.first.resize(std::size_t(count));
  taps.count.resize(std::size_t(count));
  taps.offset.resize(std::size_t(count));
  taps.weights.clear();
  const double perPixel = double(sourceLength) / double(destLength);
  for (int i = 0; i < count; ++i) {
    const double a = double(from + i - destStart) * perPixel;
    const double b = a + perPixel;
    const int k0 = std::clamp(int(std::floor(a)), 0, sourceLength - 1);
    const int k1 = std::clamp(int(std::ceil(b)) - 1, k0, sourceLength - 1);
    taps.first[std::size_t(i)] = sourceStart + k0;
    taps.count[std::size_t(i)] = k1 - k0 + 1;
    taps.offset[std::size_t(i)] = taps.weights.size();
    for (int k = k0; k <= k1; ++k) {
      const double share = std::min(b, double(k) + 1) - std::max(a, double(k));
      taps.weights.push_back(float(std::max(share, 0.0) / perPixel));
    }
  }
}

// Consecutive destination columns that sample the same two source columns.
struct Run {
  int first;
  int second;
  int start;
  int count;
};

// Scratch space of the scaled draws (see StencilScaler).
struct ScaleScratch {
  BoxTaps boxColumns;
  BoxTaps boxRows;
  std::vector<float> boxLine;  // one row of the source, averaged over a footprint's rows
  AreaRaster raster;
  std::vector<Tap> columns;
  std::vector<float> columnWeights;  // the columns' fine weights, as fractions
  std::vector<Run> runs;
  std::vector<Tap> rows;
  std::vector<int> line;  // one source row's alpha, interpolated between two rows, times 256
  std::vector<float> distanceLine;  // the same of the distance
};

ScaleScratch& Scratch() {
  static ScaleScratch scratch;
  return scratch;
}

// The bilinear taps of destination pixels [from, from + count) of a destination of length
// destLength starting at destStart, over the source span [sourceStart, sourceStart + length).
// Pixel centres map to pixel centres. The position is kept in 1/4096 of a source pixel, exactly
// for any destination that device pixels can give (below 2^34 pixels: no overflow).
void ComputeTaps(std::vector<Tap>& taps, std::int64_t from, int count, std::int64_t destStart,
                 std::int64_t destLength, int sourceStart, int sourceLength) {
  taps.resize(std::size_t(count));
  const int last = sourceLength - 1;
  constexpr std::int64_t kOne = std::int64_t(1) << kFineBits;
  for (int i = 0; i < count; ++i) {
    const std::int64_t centre = 2 * (from + i - destStart) + 1;
    const std::int64_t u = centre * sourceLength * kOne / (2 * destLength) - kOne / 2;
    const std::int64_t base = u >= 0 ? u >> kFineBits : -((-u + kOne - 1) >> kFineBits);
    const int s0 = int(std::clamp<std::int64_t>(base, 0, last));
    const int s1 = int(std::clamp<std::int64_t>(base + 1, 0, last));
    const int fine = int(u - base * kOne);
    taps[std::size_t(i)] = Tap{sourceStart + s0, sourceStart + s1, fine >> (kFineBits - 8), fine};
  }
}

// dst with src (premultiplied) drawn over it, for a destination without alpha.
inline QRgb Over(QRgb src, QRgb dst) {
  const std::uint32_t inverse = 255 - qAlpha(src);
  std::uint32_t rb = (dst & 0xff00ff) * inverse;
  rb = ((rb + ((rb >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
  std::uint32_t ag = ((dst >> 8) & 0xff00ff) * inverse;
  ag = (ag + ((ag >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
  return (ag | rb) + src;
}

// Puts a premultiplied colour: over what is there when blending, else in its place.
template <bool kBlend>
inline void Put(QRgb* out, QRgb c) {
  if (!kBlend || qAlpha(c) == 255) {
    *out = c;
  } else if (qAlpha(c) != 0) {
    *out = Over(c, *out);
  }
}

inline void PutOne(QRgb* out, QRgb c, bool blend) {
  if (blend) {
    Put<true>(out, c);
  } else {
    Put<false>(out, c);
  }
}

// A run of one colour: filled, or skipped when blending nothing.
template <bool kBlend>
inline void PutRun(QRgb* out, int count, QRgb c) {
  if (!kBlend || qAlpha(c) == 255) {
    std::fill_n(out, count, c);
  } else if (qAlpha(c) != 0) {
    for (int i = 0; i < count; ++i)
      out[i] = Over(c, out[i]);
  }
}

// One destination row of a glyph in one colour: runs of equal alpha are filled or skipped
// whole, the rest goes pixel by pixel. lut maps a sampled alpha to the premultiplied colour.
template <bool kBlend>
void UniformRow(const int* __restrict line, const Run* runs, std::size_t runCount,
                const Tap* __restrict columns, const QRgb* __restrict lut, QRgb* __restrict out) {
  for (std::size_t r = 0; r < runCount; ++r) {
    const Run& run = runs[r];
    QRgb* o = out + run.start;
    const int v0 = line[run.first];
    const int v1 = line[run.second];
    if (v0 == v1) {
      PutRun<kBlend>(o, run.count, lut[v0 >> 8]);
      continue;
    }
    const Tap* t = columns + run.start;
    for (int i = 0; i < run.count; ++i) {
      const int w = t[i].weight;
      Put<kBlend>(o + i, lut[(v0 * (256 - w) + v1 * w) >> 16]);
    }
  }
}

// The alpha level of a destination pixel whose level, unclamped, is level: a ramp one
// destination pixel wide, the edge at its middle.
inline int LevelOf(float level) {
  return int(std::clamp(level, 0.0F, 255.0F) + 0.5F);
}

// One destination row of a glyph in one colour, from the distance. levels holds the unclamped
// alpha level at each source column of the row; between two columns it is linear, so a run
// whose two ends lie wholly inside (or outside) the glyph is filled (or skipped) whole.
template <bool kBlend>
void UniformDistanceRow(const float* __restrict levels, const Run* runs, std::size_t runCount,
                        const float* __restrict weights, const QRgb* __restrict lut,
                        QRgb* __restrict out) {
  for (std::size_t r = 0; r < runCount; ++r) {
    const Run& run = runs[r];
    QRgb* o = out + run.start;
    const float l0 = levels[run.first];
    const float l1 = levels[run.second];
    if ((l0 >= 255 && l1 >= 255) || (l0 <= 0 && l1 <= 0)) {
      PutRun<kBlend>(o, run.count, lut[l0 > 0 ? 255 : 0]);
      continue;
    }
    const float* w = weights + run.start;
    const float step = l1 - l0;
    for (int i = 0; i < run.count; ++i)
      Put<kBlend>(o + i, lut[LevelOf(l0 + step * w[i])]);
  }
}

}  // namespace

// Masks are stencils: a plain bilinear enlargement of one blurs its edges over several pixels,
// and a bilinear one with its ramp steepened bends a straight edge into a row of arcs, one a
// source pixel. So an enlargement draws the outline traced from the mask, each pixel with the
// share of it that the outline covers, as type is drawn. A reduction gives each pixel the
// average of the mask over its footprint, which keeps every stroke's ink however small. A mask
// too large to trace is enlarged from the distance to its edge (linear across a straight edge,
// which bilinear sampling keeps straight), turned into coverage by a ramp one pixel wide.
StencilScaler::StencilScaler(const Stencil& stencil, QRect source, DeviceRect dest, QRect visible)
    : stencil_(stencil), source_(source), dest_(dest), visible_(visible) {
  const double scaleX = double(dest.width) / source.width();
  const double scaleY = double(dest.height) / source.height();
  const double enlargement = std::min(scaleX, scaleY);
  if (scaleX <= 1 && scaleY <= 1) {
    way_ = Way::ByArea;
  } else if (stencil.outline) {
    way_ = Way::FromOutline;
  } else if (enlargement > 1 && stencil.distance) {
    way_ = Way::FromDistance;
    levelsPerPixel_ = float(255.0 * enlargement);
  }
  // What each alpha level becomes: from alpha enlarged bilinearly, steepened by the scale
  // factor so that an edge stays about one pixel wide; the other ways give coverage itself.
  const int steepness = way_ == Way::FromAlpha ? int(std::max(1.0, enlargement) * 256.0) : 256;
  for (int a = 0; a < 256; ++a) {
    steep_[a] = std::uint8_t(std::clamp(128 + (((a - 128) * steepness) >> 8), 0, 255));
  }
  if (stencil.uniform) {
    const QRgb u = *stencil.uniform;
    for (int a = 0; a < 256; ++a)
      colourOf_[a] = qPremultiply(qRgba(qRed(u), qGreen(u), qBlue(u), steep_[a]));
  }

  ScaleScratch& s = Scratch();
  if (way_ == Way::ByArea) {
    ComputeBoxTaps(s.boxColumns, visible.x(), visible.width(), dest.x, dest.width, source.x(),
                   source.width());
    s.boxLine.resize(std::size_t(stencil.width));
    return;
  }
  if (way_ == Way::FromOutline) return;
  ComputeTaps(s.columns, visible.x(), visible.width(), dest.x, dest.width, source.x(),
              source.width());
  s.columnWeights.resize(s.columns.size());
  for (std::size_t i = 0; i < s.columns.size(); ++i)
    s.columnWeights[i] = float(s.columns[i].fine) * kFineUnit;
  s.line.resize(std::size_t(stencil.width));
  s.distanceLine.resize(std::size_t(stencil.width));
  // Where a run's two source columns are both inside or both outside the glyph, the whole run
  // is one colour: at large sizes most of a glyph is such runs, filled or skipped whole.
  s.runs.clear();
  for (int i = 0; i < visible.width(); ++i) {
    const Tap& t = s.columns[std::size_t(i)];
    if (s.runs.empty() || s.runs.back().first != t.first || s.runs.back().second != t.second) {
      s.runs.push_back(Run{t.first, t.second, i, 0});
    }
    ++s.runs.back().count;
  }
}

void StencilScaler::DrawRows(int top, int count, QImage& target, QPoint origin, bool blend) const {
  if (visible_.isEmpty() || count <= 0) return;
  switch (way_) {
    case Way::ByArea:
      DrawRowsByArea(top, count, target, origin, blend);
      break;
    case Way::FromOutline:
      DrawRowsFromOutline(top, count, target, origin, blend);
      break;
    case Way::FromDistance:
      DrawRowsFromDistance(top, count, target, origin, blend);
      break;
    case Way::FromAlpha:
      DrawRowsFromAlpha(top, count, target, origin, blend);
      break;
  }
}

QRgb StencilScaler::Coloured(std::int64_t x, std::int64_t y, int level) const {
  if (stencil_.uniform) return colourOf_[level];
  const QRgb p = ColourAt(x, y);
  return qPremultiply(qRgba(qRed(p), qGreen(p), qBlue(p), level));
}

QRgb StencilScaler::ColourAt(std::int64_t x, std::int64_t y) const {
  const auto nearest = [](std::int64_t at, std::int64_t start, std::int64_t length, int from,
                          int size) {
    const std::int64_t k = ((2 * (at - start) + 1) * size) / (2 * length);
    return from + int(std::clamp<std::int64_t>(k, 0, size - 1));
  };
  const int sx = nearest(x, dest_.x, dest_.width, source_.x(), source_.width());
  const int sy = nearest(y, dest_.y, dest_.height, source_.y(), source_.height());
  return reinterpret_cast<const QRgb*>(stencil_.colours.constScanLine(sy))[sx];
}

void StencilScaler::DrawRowsByArea(int top, int count, QImage& target, QPoint origin,
                                   bool blend) const {
  ScaleScratch& s = Scratch();
  ComputeBoxTaps(s.boxRows, top, count, dest_.y, dest_.height, source_.y(), source_.height());
  const std::uint8_t* alpha = stencil_.alpha->data();
  const std::size_t stride = std::size_t(stencil_.width);
  const int first = source_.x();
  const int end = source_.x() + source_.width();
  const BoxTaps& columns = s.boxColumns;
  float* line = s.boxLine.data();
  for (int j = 0; j < count; ++j) {
    auto* out = reinterpret_cast<QRgb*>(target.scanLine(top + j - origin.y())) +
                (visible_.x() - origin.x());
    // The mask averaged over the footprint's rows, then over its columns.
    std::fill(line + first, line + end, 0.0F);
    const float* rowWeights = s.boxRows.weights.data() + s.boxRows.offset[std::size_t(j)];
    for (int r = 0; r < s.boxRows.count[std::size_t(j)]; ++r) {
      const std::uint8_t* a = alpha + std::size_t(s.boxRows.first[std::size_t(j)] + r) * stride;
      for (int x = first; x < end; ++x)
        line[x] += rowWeights[r] * float(a[x]);
    }
    for (int i = 0; i < visible_.width(); ++i) {
      const float* w = columns.weights.data() + columns.offset[std::size_t(i)];
      const float* from = line + columns.first[std::size_t(i)];
      float sum = 0;
      for (int k = 0; k < columns.count[std::size_t(i)]; ++k)
        sum += w[k] * from[k];
      const int level = std::clamp(int(sum + 0.5F), 0, 255);
      PutOne(out + i, Coloured(visible_.x() + i, top + j, level), blend);
    }
  }
}

void StencilScaler::DrawRowsFromOutline(int top, int count, QImage& target, QPoint origin,
                                        bool blend) const {
  const Outline& outline = *stencil_.outline;
  // Mask coordinates to device pixels, and the mask's rows that these rows show.
  const double kx = double(dest_.width) / source_.width();
  const double ky = double(dest_.height) / source_.height();
  const double ox = double(dest_.x) - source_.x() * kx;
  const double oy = double(dest_.y) - source_.y() * ky;
  const auto [first, last] = outline.EdgesAcross((top - oy) / ky, (top + count - oy) / ky);
  AreaRaster& raster = Scratch().raster;
  raster.Reset(visible_.x(), visible_.width(), top, count);
  for (std::size_t k = first; k < last; ++k) {
    const Outline::Edge& e = outline.edges[k];
    raster.AddEdge(ox + e.x0 * kx, oy + e.y0 * ky, ox + e.x1 * kx, oy + e.y1 * ky);
  }
  raster.Sweep([&](int y, int x, int n, double coverage) {
    const int level = AreaRaster::Level(coverage);
    QRgb* out = reinterpret_cast<QRgb*>(target.scanLine(y - origin.y())) + (x - origin.x());
    if (stencil_.uniform) {
      if (blend) {
        PutRun<true>(out, n, colourOf_[level]);
      } else {
        PutRun<false>(out, n, colourOf_[level]);
      }
      return;
    }
    for (int i = 0; i < n; ++i)
      PutOne(out + i, Coloured(x + i, y, level), blend);
  });
}

void StencilScaler::DrawRowsFromAlpha(int top, int count, QImage& target, QPoint origin,
                                      bool blend) const {
  ScaleScratch& s = Scratch();
  ComputeTaps(s.rows, top, count, dest_.y, dest_.height, source_.y(), source_.height());
  const std::uint8_t* alpha = stencil_.alpha->data();
  const std::size_t stride = std::size_t(stencil_.width);
  const int first = source_.x();
  const int end = source_.x() + source_.width();
  const int width = visible_.width();

  for (int j = 0; j < count; ++j) {
    auto* out = reinterpret_cast<QRgb*>(target.scanLine(top + j - origin.y())) +
                (visible_.x() - origin.x());
    // Between the two source rows once, then along the row.
    const Tap& ty = s.rows[std::size_t(j)];
    const std::uint8_t* a0 = alpha + std::size_t(ty.first) * stride;
    const std::uint8_t* a1 = alpha + std::size_t(ty.second) * stride;
    for (int x = first; x < end; ++x)
      s.line[std::size_t(x)] = a0[x] * (256 - ty.weight) + a1[x] * ty.weight;
    const int* line = s.line.data();
    if (stencil_.uniform) {
      if (blend) {
        UniformRow<true>(line, s.runs.data(), s.runs.size(), s.columns.data(), colourOf_, out);
      } else {
        UniformRow<false>(line, s.runs.data(), s.runs.size(), s.columns.data(), colourOf_, out);
      }
      continue;
    }
    // A picture of many colours: each pixel takes the colour of its nearest source pixel.
    const auto* colours = reinterpret_cast<const QRgb*>(
        stencil_.colours.constScanLine(ty.weight < 128 ? ty.first : ty.second));
    for (int i = 0; i < width; ++i) {
      const Tap& tx = s.columns[std::size_t(i)];
      const int a = (line[tx.first] * (256 - tx.weight) + line[tx.second] * tx.weight) >> 16;
      const QRgb p = colours[tx.weight < 128 ? tx.first : tx.second];
      const QRgb c = qPremultiply(qRgba(qRed(p), qGreen(p), qBlue(p), steep_[a]));
      if (blend) {
        Put<true>(out + i, c);
      } else {
        Put<false>(out + i, c);
      }
    }
  }
}

void StencilScaler::DrawRowsFromDistance(int top, int count, QImage& target, QPoint origin,
                                         bool blend) const {
  ScaleScratch& s = Scratch();
  ComputeTaps(s.rows, top, count, dest_.y, dest_.height, source_.y(), source_.height());
  const float* distance = stencil_.distance->data();
  const std::size_t stride = std::size_t(stencil_.width);
  const int first = source_.x();
  const int end = source_.x() + source_.width();
  const int width = visible_.width();
  const float k = levelsPerPixel_;

  for (int j = 0; j < count; ++j) {
    auto* out = reinterpret_cast<QRgb*>(target.scanLine(top + j - origin.y())) +
                (visible_.x() - origin.x());
    // The alpha level at each source column of the row, between the two source rows: 127.5 on
    // the edge, a level less for each 1/255 of a destination pixel outside.
    const Tap& ty = s.rows[std::size_t(j)];
    const float wy = float(ty.fine) * kFineUnit;
    const float* d0 = distance + std::size_t(ty.first) * stride;
    const float* d1 = distance + std::size_t(ty.second) * stride;
    float* levels = s.distanceLine.data();
    for (int x = first; x < end; ++x)
      levels[x] = 127.5F - k * (d0[x] + (d1[x] - d0[x]) * wy);
    if (stencil_.uniform) {
      if (blend) {
        UniformDistanceRow<true>(levels, s.runs.data(), s.runs.size(), s.columnWeights.data(),
                                 colourOf_, out);
      } else {
        UniformDistanceRow<false>(levels, s.runs.data(), s.runs.size(), s.columnWeights.data(),
                                  colourOf_, out);
      }
      continue;
    }
    // A picture of many colours: each pixel takes the colour of its nearest source pixel.
    const auto* colours = reinterpret_cast<const QRgb*>(
        stencil_.colours.constScanLine(ty.weight < 128 ? ty.first : ty.second));
    for (int i = 0; i < width; ++i) {
      const Tap& tx = s.columns[std::size_t(i)];
      const float w = s.columnWeights[std::size_t(i)];
      const int a = LevelOf(levels[tx.first] + (levels[tx.second] - levels[tx.first]) * w);
      const QRgb p = colours[tx.weight < 128 ? tx.first : tx.second];
      const QRgb c = qPremultiply(qRgba(qRed(p), qGreen(p), qBlue(p), a));
      if (blend) {
        Put<true>(out + i, c);
      } else {
        Put<false>(out + i, c);
      }
    }
  }
}

}  // namespace fw
