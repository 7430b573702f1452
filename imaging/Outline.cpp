#include "Outline.h"

#include "AreaRaster.h"
#include "EdgeDistance.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace fw {

namespace {

// Fine samples per mask pixel, each way: the traced polygons have a corner at most every 1/8
// of a pixel, which turns a curve of the sheet's tightest radius (about four pixels) by under
// two degrees a corner.
constexpr int kFine = 8;
// The largest mask traced, in fine samples: a 46-pixel glyph takes 368 × 368.
constexpr std::int64_t kMaxFineSamples = std::int64_t(512) * 512;
// Polygon corners that lie this close to the line through their neighbours are dropped, in
// mask pixels: invisible at the largest export (712 times the glyph sheet), and a straight edge
// becomes one edge.
constexpr double kFlat = 1e-3;

// The weights of the four samples around a point t (0 to 1) past the second, for a cubic
// B-spline.
std::array<float, 4> SplineWeights(double t) {
  const double t2 = t * t;
  const double t3 = t2 * t;
  return {float((1 - t) * (1 - t) * (1 - t) / 6), float((3 * t3 - 6 * t2 + 4) / 6),
          float((-3 * t3 + 3 * t2 + 3 * t + 1) / 6), float(t3 / 6)};
}

// The distance smoothed by a cubic B-spline, at the centres of fine samples: kFine of them a
// pixel each way, fine sample f of a row at x = (f + 0.5) / kFine. Beyond its border the mask
// is taken as its border's pixels. The samples are kept with a ring of one pixel's worth around
// them that repeats the border, and beyond that a ring that is outside, so that a shape that
// reaches the border closes beyond it, where no draw shows it.
//
// The spline is a weighted mean of the 4 × 4 distances around a sample, with weights that are
// never negative, so where all those distances have one sign the smoothed one has it too: such
// pixels, far from the edge, get the clamped distance of their side without any sum.
class FineField {
 public:
  static constexpr int kPad = kFine + 1;  // fine samples around the mask's

  FineField(const std::vector<float>& distance, int width, int height)
      : width_(width),
        height_(height),
        stride_(width * kFine + 2 * kPad),
        rows_(height * kFine + 2 * kPad),
        values_(std::size_t(stride_) * std::size_t(rows_), kEdgeReach),
        signs_(std::size_t(width) * std::size_t(height), 0) {
    for (int p = 0; p < kFine; ++p) {
      const double u = (p + 0.5) / kFine - 0.5;  // from the pixel's centre
      const int base = int(std::floor(u));
      weights_[std::size_t(p)] = SplineWeights(u - base);
      shift_[std::size_t(p)] = base - 1;  // from -2 to -1
    }
    for (int py = 0; py < height; ++py) {
      for (int px = 0; px < width; ++px) {
        float window[5][5];  // the distances of the pixels around, from (px - 2, py - 2)
        float low = kEdgeReach;
        float high = -kEdgeReach;
        for (int r = 0; r < 5; ++r) {
          const int y = std::clamp(py - 2 + r, 0, height - 1);
          for (int c = 0; c < 5; ++c) {
            const int x = std::clamp(px - 2 + c, 0, width - 1);
            window[r][c] = distance[std::size_t(y) * std::size_t(width) + std::size_t(x)];
            low = std::min(low, window[r][c]);
            high = std::max(high, window[r][c]);
          }
        }
        std::uint8_t& signs = signs_[std::size_t(py) * std::size_t(width) + std::size_t(px)];
        if (low > 0 || high < 0) {
          FillPixel(px, py, low > 0 ? kEdgeReach : -kEdgeReach);
          signs = low > 0 ? kOutside : kInside;
        } else {
          signs = SmoothPixel(px, py, window);
        }
      }
    }
    RepeatBorder();
  }

  // Which signs the fine samples of the mask's pixel (px, py) have (kInside, kOutside or
  // both); a pixel beyond the border has those of the border's pixel next to it.
  static constexpr std::uint8_t kInside = 1;
  static constexpr std::uint8_t kOutside = 2;
  std::uint8_t Signs(int px, int py) const {
    return signs_[std::size_t(std::clamp(py, 0, height_ - 1)) * std::size_t(width_) +
                  std::size_t(std::clamp(px, 0, width_ - 1))];
  }
  int MaskWidth() const { return width_; }
  int MaskHeight() const { return height_; }
  // The samples with their rings: sample (i, j) lies at ((i - kPad + 0.5) / kFine, ...).
  int Stride() const { return stride_; }
  int Rows() const { return rows_; }
  float At(int i, int j) const {
    return values_[std::size_t(j) * std::size_t(stride_) + std::size_t(i)];
  }

 private:
  float& Sample(int fx, int fy) {
    return values_[std::size_t(fy + kPad) * std::size_t(stride_) + std::size_t(fx + kPad)];
  }

  void FillPixel(int px, int py, float value) {
    for (int j = 0; j < kFine; ++j)
      std::fill_n(&Sample(px * kFine, py * kFine + j), kFine, value);
  }

  // Along the rows first, then down; the signs that the samples have.
  std::uint8_t SmoothPixel(int px, int py, const float (&window)[5][5]) {
    std::uint8_t signs = 0;
    float across[5][kFine];
    for (int r = 0; r < 5; ++r) {
      for (int i = 0; i < kFine; ++i) {
        const auto& w = weights_[std::size_t(i)];
        const float* d = window[r] + 2 + shift_[std::size_t(i)];
        across[r][i] = w[0] * d[0] + w[1] * d[1] + w[2] * d[2] + w[3] * d[3];
      }
    }
    for (int j = 0; j < kFine; ++j) {
      const auto& w = weights_[std::size_t(j)];
      const int r0 = 2 + shift_[std::size_t(j)];
      float* out = &Sample(px * kFine, py * kFine + j);
      for (int i = 0; i < kFine; ++i) {
        out[i] = w[0] * across[r0][i] + w[1] * across[r0 + 1][i] + w[2] * across[r0 + 2][i] +
                 w[3] * across[r0 + 3][i];
        signs |= out[i] < 0 ? kInside : kOutside;
      }
    }
    return signs;
  }

  // The ring that repeats the border, inside the outer ring.
  void RepeatBorder() {
    const int fw = width_ * kFine;
    const int fh = height_ * kFine;
    for (int fy = 0; fy < fh; ++fy) {
      std::fill(&Sample(-kPad + 1, fy), &Sample(0, fy), Sample(0, fy));
      std::fill(&Sample(fw, fy), &Sample(fw + kPad - 1, fy), Sample(fw - 1, fy));
    }
    for (int fy = -kPad + 1; fy < 0; ++fy)
      std::copy_n(&Sample(-kPad + 1, 0), fw + 2 * kPad - 2, &Sample(-kPad + 1, fy));
    for (int fy = fh; fy < fh + kPad - 1; ++fy)
      std::copy_n(&Sample(-kPad + 1, fh - 1), fw + 2 * kPad - 2, &Sample(-kPad + 1, fy));
  }

  int width_;
  int height_;
  int stride_;
  int rows_;
  std::vector<float> values_;
  std::vector<std::uint8_t> signs_;
  std::array<std::array<float, 4>, kFine> weights_;
  std::array<int, kFine> shift_;
};

// The zero line of a fine field (negative inside), as closed polygons in the mask's
// coordinates, found square by square between four samples (marching squares).
class ZeroLine {
 public:
  explicit ZeroLine(const FineField& field)
      : field_(field), gw_(field.Stride()), gh_(field.Rows()), slots_(kFirstSlots) {}

  std::vector<OutlineLoop> Loops() {
    // Square by square, pixel by pixel of the mask: only near pixels where the field may change
    // sign, and along the border, where a shape that reaches it closes.
    const int w = field_.MaskWidth();
    const int h = field_.MaskHeight();
    for (int py = -1; py <= h; ++py) {
      for (int px = -1; px <= w; ++px) {
        if (!NearEdge(px, py, w, h)) continue;
        // The squares whose top left samples lie in the pixel, those of the rings with the
        // pixels beyond the border.
        const int i0 = px < 0 ? 0 : px * kFine + FineField::kPad;
        const int j0 = py < 0 ? 0 : py * kFine + FineField::kPad;
        const int i1 = px == w ? gw_ - 1 : (px + 1) * kFine + FineField::kPad;
        const int j1 = py == h ? gh_ - 1 : (py + 1) * kFine + FineField::kPad;
        for (int j = j0; j < j1; ++j) {
          for (int i = i0; i < i1; ++i)
            Square(i, j);
        }
      }
    }
    std::vector<OutlineLoop> loops;
    for (std::size_t start = 0; start < next_.size(); ++start) {
      if (next_[start] < 0) continue;
      OutlineLoop loop;
      std::size_t at = start;
      while (next_[at] >= 0) {
        loop.push_back(points_[at]);
        const std::size_t to = std::size_t(next_[at]);
        next_[at] = -1;
        at = to;
      }
      if (loop.size() >= 3) loops.push_back(std::move(loop));
    }
    return loops;
  }

 private:
  // Whether a square whose top left sample lies in the pixel may have both signs: its samples
  // lie in the pixel and the three to its right and below.
  bool NearEdge(int px, int py, int w, int h) const {
    if (px < 0 || py < 0 || px >= w || py >= h) return true;
    const std::uint8_t signs = field_.Signs(px, py) | field_.Signs(px + 1, py) |
                               field_.Signs(px, py + 1) | field_.Signs(px + 1, py + 1);
    return signs == (FineField::kInside | FineField::kOutside);
  }

  // The crossings on the sample grid's lines: of the line from (i, j) to its right, and of the
  // one to below; each is given a number when first found.
  std::size_t Crossing(std::size_t key, const OutlinePoint& p) {
    Slot& slot = SlotOf(key);
    if (slot.number < 0) {
      slot = Slot{key, std::ptrdiff_t(points_.size())};
      points_.push_back(p);
      next_.push_back(-1);
      if (2 * points_.size() > slots_.size()) Grow();
    }
    return std::size_t(SlotOf(key).number);
  }

  // The crossings' numbers by their place on the grid, in a table of open addressing: a glyph
  // has a few thousand, on a grid of some three hundred thousand lines.
  struct Slot {
    std::size_t key = 0;
    std::ptrdiff_t number = -1;
  };
  static constexpr std::size_t kFirstSlots = 8192;

  Slot& SlotOf(std::size_t key) {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = (key * 0x9E3779B97F4A7C15ULL) >> 20 & mask;; i = (i + 1) & mask) {
      if (slots_[i].number < 0 || slots_[i].key == key) return slots_[i];
    }
  }

  void Grow() {
    std::vector<Slot> old(2 * slots_.size());
    old.swap(slots_);
    for (const Slot& s : old) {
      if (s.number >= 0) SlotOf(s.key) = s;
    }
  }
  std::size_t Across(int i, int j) const {
    return 2 * (std::size_t(j) * std::size_t(gw_) + std::size_t(i));
  }
  std::size_t Down(int i, int j) const { return Across(i, j) + 1; }

  OutlinePoint At(double i, double j) const {
    return OutlinePoint{(i - FineField::kPad + 0.5) / kFine, (j - FineField::kPad + 0.5) / kFine};
  }

  // The square whose top left sample is (i, j). Going round it clockwise, each side where the
  // field changes sign is a crossing into the shape or out of it, and each way into the shape
  // is joined to a way out: the shape's outline then runs the same way round everywhere.
  void Square(int i, int j) {
    const float v[4] = {field_.At(i, j), field_.At(i + 1, j), field_.At(i + 1, j + 1),
                        field_.At(i, j + 1)};
    const bool in0 = v[0] < 0;
    if (in0 == (v[1] < 0) && in0 == (v[2] < 0) && in0 == (v[3] < 0)) return;
    struct Found {
      std::size_t number;
      bool entry;
    };
    Found found[4];
    int n = 0;
    for (int side = 0; side < 4; ++side) {
      const float a = v[side];
      const float b = v[(side + 1) % 4];
      if ((a < 0) == (b < 0)) continue;
      const double t = double(a) / (double(a) - double(b));
      std::size_t number = 0;
      switch (side) {
        case 0:  // top, to the right
          number = Crossing(Across(i, j), At(i + t, j));
          break;
        case 1:  // right, downwards
          number = Crossing(Down(i + 1, j), At(i + 1, j + t));
          break;
        case 2:  // bottom, to the left
          number = Crossing(Across(i, j + 1), At(i + 1 - t, j + 1));
          break;
        default:  // left, upwards
          number = Crossing(Down(i, j), At(i, j + 1 - t));
          break;
      }
      found[n++] = Found{number, b < 0};
    }
    if (n == 2) {
      const Found& entry = found[0].entry ? found[0] : found[1];
      const Found& exit = found[0].entry ? found[1] : found[0];
      next_[entry.number] = std::ptrdiff_t(exit.number);
      return;
    }
    // A saddle: the centre decides whether the two inside corners join through it.
    const bool centreInside = (double(v[0]) + v[1] + v[2] + v[3]) < 0;
    for (int k = 0; k < 4; ++k) {
      if (!found[k].entry) continue;
      const Found& exit = found[centreInside ? (k + 3) % 4 : (k + 1) % 4];
      next_[found[k].number] = std::ptrdiff_t(exit.number);
    }
  }

  const FineField& field_;
  int gw_;
  int gh_;
  std::vector<Slot> slots_;
  std::vector<OutlinePoint> points_;
  std::vector<std::ptrdiff_t> next_;  // from a crossing, the one that the outline goes to
};

}  // namespace

OutlineLoop Simplified(const OutlineLoop& loop, double flat) {
  const std::size_t n = loop.size();
  if (n < 4) return loop;
  std::vector<bool> keep(n, false);
  // Split at the point farthest from the first, so that each half is an open run.
  std::size_t far = 0;
  double farthest = -1;
  for (std::size_t k = 1; k < n; ++k) {
    const double d = std::hypot(loop[k].x - loop[0].x, loop[k].y - loop[0].y);
    if (d > farthest) {
      farthest = d;
      far = k;
    }
  }
  keep[0] = keep[far] = true;
  std::vector<std::pair<std::size_t, std::size_t>> spans = {{0, far}, {far, n}};
  while (!spans.empty()) {
    const auto [a, b] = spans.back();
    spans.pop_back();
    const OutlinePoint& pa = loop[a];
    const OutlinePoint& pb = loop[b % n];
    // Distances to the chord, times its length (or to its end, when it has none).
    const double dx = pb.x - pa.x;
    const double dy = pb.y - pa.y;
    const double length = std::hypot(dx, dy);
    std::size_t worst = a;
    double worstDistance = flat * std::max(length, 1e-300);
    for (std::size_t k = a + 1; k < b; ++k) {
      const double ex = loop[k].x - pa.x;
      const double ey = loop[k].y - pa.y;
      const double d = length > 0 ? std::abs(ex * dy - ey * dx) : std::hypot(ex, ey);
      if (d > worstDistance) {
        worstDistance = d;
        worst = k;
      }
    }
    if (worst == a) continue;
    keep[worst] = true;
    spans.emplace_back(a, worst);
    spans.emplace_back(worst, b);
  }
  OutlineLoop out;
  for (std::size_t k = 0; k < n; ++k) {
    if (keep[k]) out.push_back(loop[k]);
  }
  return out;
}

namespace {

std::shared_ptr<Outline> EdgesOf(const std::vector<OutlineLoop>& loops) {
  auto outline = std::make_shared<Outline>();
  for (const OutlineLoop& loop : loops) {
    for (std::size_t k = 0; k < loop.size(); ++k) {
      const OutlinePoint& a = loop[k];
      const OutlinePoint& b = loop[(k + 1) % loop.size()];
      if (a.y == b.y) continue;  // adds no coverage
      outline->edges.push_back(Outline::Edge{float(a.x), float(a.y), float(b.x), float(b.y)});
    }
  }
  std::sort(outline->edges.begin(), outline->edges.end(),
            [](const Outline::Edge& a, const Outline::Edge& b) {
              return std::min(a.y0, a.y1) < std::min(b.y0, b.y1);
            });
  for (const Outline::Edge& e : outline->edges)
    outline->tallest = std::max(outline->tallest, std::abs(e.y1 - e.y0));
  return outline;
}

// Whether the polygons give the mask's pixels its coverage, near enough: off by no more than
// `worst` in any pixel, and by `mean` as a root mean square. A mask whose grey is not the edge
// of a shape (a translucent area, a photograph) is no outline's, and is drawn from its pixels
// instead. Traced glyphs are off by 0.013 at most, and by 0.22 in their worst pixel (at the tip
// of a thin stroke); a uniformly grey mask by half.
bool Explains(const std::vector<OutlineLoop>& loops, const std::vector<float>& mask, int width,
              int height, double worst, double mean) {
  const std::vector<double> traced = CoverageOf(loops, width, height);
  double squares = 0;
  for (std::size_t i = 0; i < traced.size(); ++i) {
    const double e = std::abs(traced[i]) - double(mask[i]);
    if (std::abs(e) > worst) return false;
    squares += e * e;
  }
  return squares <= mean * mean * double(traced.size());
}

}  // namespace

std::pair<std::size_t, std::size_t> Outline::EdgesAcross(double top, double bottom) const {
  const auto topOf = [](const Edge& e) { return std::min(e.y0, e.y1); };
  // Every edge starts no higher than its top and ends no lower than its top plus the tallest.
  const auto first =
      std::lower_bound(edges.begin(), edges.end(), top - double(tallest),
                       [&](const Edge& e, double y) { return double(topOf(e)) < y; });
  const auto last = std::lower_bound(first, edges.end(), bottom,
                                     [&](const Edge& e, double y) { return double(topOf(e)) < y; });
  return {std::size_t(first - edges.begin()), std::size_t(last - edges.begin())};
}

std::vector<double> CoverageOf(const std::vector<OutlineLoop>& loops, int width, int height) {
  AreaRaster raster(0, width, 0, height);
  for (const OutlineLoop& loop : loops) {
    for (std::size_t k = 0; k < loop.size(); ++k) {
      const OutlinePoint& a = loop[k];
      const OutlinePoint& b = loop[(k + 1) % loop.size()];
      raster.AddEdge(a.x, a.y, b.x, b.y);
    }
  }
  std::vector<double> coverage(std::size_t(width) * std::size_t(height));
  raster.Sweep([&](int y, int x, int n, double c) {
    std::fill_n(
        coverage.begin() + std::ptrdiff_t(std::size_t(y) * std::size_t(width) + std::size_t(x)), n,
        c);
  });
  return coverage;
}

std::shared_ptr<const Outline> TraceOutline(const std::uint8_t* coverage, int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  if (std::int64_t(width) * height * kFine * kFine > kMaxFineSamples) return nullptr;
  const std::vector<float> distance = EdgeDistance(coverage, width, height);
  std::vector<OutlineLoop> loops = ZeroLine(FineField(distance, width, height)).Loops();
  std::vector<float> mask(std::size_t(width) * std::size_t(height));
  for (std::size_t i = 0; i < mask.size(); ++i)
    mask[i] = float(coverage[i]) / 255.0F;
  // A mask that the smoothed distance explains far worse than it does any glyph (0.044 at the
  // most, as a root mean square) is no shape's, and is not worth mending.
  if (!Explains(loops, mask, width, height, 1.0, 0.12)) return nullptr;
  SharpenCorners(loops, mask, width, height);
  for (OutlineLoop& loop : loops)
    loop = Simplified(loop, kFlat);
  if (!Explains(loops, mask, width, height, 0.45, 0.05)) return nullptr;
  return EdgesOf(loops);
}

}  // namespace fw
