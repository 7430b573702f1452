// Corners, crotches and the tips of thin strokes, which the smoothed edge distance rounds off
// (step 4 of TraceOutline). Where the traced polygon gives the pixels it passes other coverage
// than the mask holds, its run there is replaced by the edges on either side, carried on until
// they meet, if that brings the pixels nearer the mask: a sharp corner where the glyph has one,
// a thin wedge drawn to its point, and the polygon left alone where it was right.
#include "AreaRaster.h"
#include "Outline.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>

namespace fw {

namespace {

// A pixel whose traced coverage differs from the mask's by more than this is unexplained.
constexpr double kUnexplained = 0.06;
// Unexplained runs closer along the polygon than this are one run, in pixels.
constexpr double kJoinGap = 1.0;
// How far from an unexplained run the edges on either side are taken (the run's neighbours
// are often rounded a little too), and over how long a stretch, in pixels.
constexpr double kMargins[] = {0.0, 0.5, 1.0, 1.5, 2.0, 3.0, 4.0};
constexpr double kFitLengths[] = {1.5, 2.5, 3.5};
constexpr int kMinFitPoints = 4;
// How far an edge is carried on, beyond its margin, and in what steps, in pixels.
constexpr double kReach = 10.0;
constexpr double kStep = 0.2;
constexpr double kPathStep = 0.25;  // between the points of a curved edge carried on
// A fitted stretch whose parabola leaves its tangent by less than this, a pixel beyond it, is
// straight.
constexpr double kBend = 0.005;
// A meeting of two edges that turns the outline by less than this is no corner: the two join
// smoothly already (a straight stroke running into a curve).
constexpr double kMinTurnDegrees = 20.0;
// A corner is made only when it takes at least this much off the sum of the squared coverage
// errors of the pixels around it.
constexpr double kMinGain = 0.02;
// Points that lie this close to a straight line through their neighbours add nothing to the
// coverage that is weighed, in pixels.
constexpr double kFlat = 1e-3;

enum class Mark : unsigned char { Explained, Unexplained, Made, Kept };

// A stretch of polygon fitted by a parabola across its own direction: s = a + b t + c t², with
// t along the stretch, pointing towards the run that it is carried into.
struct Fit {
  OutlinePoint origin;
  OutlinePoint along;
  OutlinePoint across;
  double a;
  double b;
  double c;
  double end;   // t at the point next to the run
  double span;  // from the first point to the last, along

  // Whether carrying the curve on differs from carrying on its tangent, over a pixel.
  bool Bends() const { return std::abs(c) * (span + 1) * (span + 1) > kBend; }

  OutlinePoint At(double t, bool straight) const {
    const double s = straight ? a + b * end + c * end * end + (b + 2 * c * end) * (t - end)
                              : a + b * t + c * t * t;
    return OutlinePoint{origin.x + t * along.x + s * across.x,
                        origin.y + t * along.y + s * across.y};
  }
  // How far p lies across the curve, and where along it.
  std::pair<double, double> Place(const OutlinePoint& p, bool straight) const {
    const double dx = p.x - origin.x;
    const double dy = p.y - origin.y;
    const double t = dx * along.x + dy * along.y;
    const double s = dx * across.x + dy * across.y;
    const double curve = straight ? a + b * end + c * end * end + (b + 2 * c * end) * (t - end)
                                  : a + b * t + c * t * t;
    return {s - curve, t};
  }
};

// Least squares: the points in order, the last one next to the run.
std::optional<Fit> FitStretch(const std::vector<OutlinePoint>& points) {
  const double n = double(points.size());
  double mx = 0, my = 0;
  for (const OutlinePoint& p : points) {
    mx += p.x;
    my += p.y;
  }
  mx /= n;
  my /= n;
  double sxx = 0, sxy = 0, syy = 0;
  for (const OutlinePoint& p : points) {
    sxx += (p.x - mx) * (p.x - mx);
    sxy += (p.x - mx) * (p.y - my);
    syy += (p.y - my) * (p.y - my);
  }
  // The main axis of the points.
  const double angle = 0.5 * std::atan2(2 * sxy, sxx - syy);
  Fit f{};
  f.origin = {mx, my};
  f.along = {std::cos(angle), std::sin(angle)};
  const OutlinePoint& first = points.front();
  const OutlinePoint& last = points.back();
  if ((last.x - first.x) * f.along.x + (last.y - first.y) * f.along.y < 0) {
    f.along = {-f.along.x, -f.along.y};
  }
  f.across = {-f.along.y, f.along.x};
  // Normal equations of s = a + b t + c t².
  double m[3][4] = {};
  for (const OutlinePoint& p : points) {
    const double t = (p.x - mx) * f.along.x + (p.y - my) * f.along.y;
    const double s = (p.x - mx) * f.across.x + (p.y - my) * f.across.y;
    const double powers[3] = {1, t, t * t};
    for (int r = 0; r < 3; ++r) {
      for (int k = 0; k < 3; ++k)
        m[r][k] += powers[r] * powers[k];
      m[r][3] += powers[r] * s;
    }
  }
  for (int col = 0; col < 3; ++col) {
    int pivot = col;
    for (int r = col + 1; r < 3; ++r) {
      if (std::abs(m[r][col]) > std::abs(m[pivot][col])) pivot = r;
    }
    if (std::abs(m[pivot][col]) < 1e-12) return std::nullopt;
    std::swap(m[col], m[pivot]);
    for (int r = 0; r < 3; ++r) {
      if (r == col) continue;
      const double k = m[r][col] / m[col][col];
      for (int c = col; c < 4; ++c)
        m[r][c] -= k * m[col][c];
    }
  }
  f.a = m[0][3] / m[0][0];
  f.b = m[1][3] / m[1][1];
  f.c = m[2][3] / m[2][2];
  f.end = (last.x - mx) * f.along.x + (last.y - my) * f.along.y;
  f.span = f.end - ((first.x - mx) * f.along.x + (first.y - my) * f.along.y);
  return f;
}

// The direction of a fit's curve at t, as the curve is carried on.
OutlinePoint DirectionOf(const Fit& f, double t, bool straight) {
  const double slope = straight ? f.b + 2 * f.c * f.end : f.b + 2 * f.c * t;
  return OutlinePoint{f.along.x + slope * f.across.x, f.along.y + slope * f.across.y};
}

double DegreesBetween(const OutlinePoint& a, const OutlinePoint& b) {
  const double la = std::hypot(a.x, a.y);
  const double lb = std::hypot(b.x, b.y);
  const double cosine = std::clamp((a.x * b.x + a.y * b.y) / (la * lb), -1.0, 1.0);
  return std::acos(cosine) * 180.0 / 3.14159265358979323846;
}

// Two edges carried on until they meet: the path along the first up to the meeting point and
// back along the second to its end, and how much the outline turns there.
struct Meeting {
  std::vector<OutlinePoint> path;
  double turnDegrees;
};

// Where the first edge, carried on from its end, meets the second, carried on from its own;
// nothing when they do not meet within the reach.
std::optional<Meeting> MeetingOf(const Fit& first, const Fit& second, bool straight, double reach) {
  std::optional<double> before;  // how far across the second the last step lay
  for (double t = first.end; t <= first.end + reach; t += kStep) {
    const auto [offset, along] = second.Place(first.At(t, straight), straight);
    const bool ahead = along >= second.end - kStep && along <= second.end + reach;
    if (before && ahead && (*before < 0) != (offset < 0)) {
      // Between the last step and this one, linearly.
      const double tm = t - kStep + kStep * *before / (*before - offset);
      const OutlinePoint meet = first.At(tm, straight);
      const double tb = second.Place(meet, straight).second;
      // A straight edge needs only its ends; a curved one a point every kPathStep.
      const double step = straight ? reach + tm : kPathStep;
      std::vector<OutlinePoint> path;
      for (double u = first.end; u < tm; u += step)
        path.push_back(first.At(u, straight));
      path.push_back(meet);
      const int back = int(std::floor((tb - second.end) / step));
      for (int k = back; k >= 0; --k) {
        const double u = second.end + k * step;
        if (u < tb) path.push_back(second.At(u, straight));
      }
      const OutlinePoint in = DirectionOf(first, tm, straight);
      const OutlinePoint out = DirectionOf(second, tb, straight);
      return Meeting{std::move(path), DegreesBetween(in, OutlinePoint{-out.x, -out.y})};
    }
    before = ahead ? std::optional(offset) : std::nullopt;
  }
  return std::nullopt;
}

class CornerSharpener {
 public:
  CornerSharpener(std::vector<OutlineLoop>& loops, const std::vector<float>& coverage, int width,
                  int height)
      : loops_(loops), mask_(coverage), width_(width), height_(height) {
    std::vector<OutlineLoop> simple;
    for (const OutlineLoop& loop : loops_)
      simple.push_back(Simplified(loop, kFlat));
    traced_ = CoverageOf(simple, width_, height_);
    // The outlines run one way round; the shape's coverage is positive that way.
    double sum = 0;
    for (const double c : traced_)
      sum += c;
    sign_ = sum < 0 ? -1 : 1;
  }

  void Run() {
    for (OutlineLoop& loop : loops_)
      Sharpen(loop);
  }

 private:
  // The pixels that the mends of one run can change: those within reach of it.
  struct Window {
    int x0 = 0, y0 = 0, w = 0, h = 0;
    std::size_t Index(int x, int y) const {
      return std::size_t(y - y0) * std::size_t(w) + std::size_t(x - x0);
    }
  };

  // The pixels of the mask that points lie in, and those around them, inside `within`.
  static Window Around(const std::vector<OutlinePoint>& points, const Window& within) {
    double left = points[0].x, right = left, top = points[0].y, bottom = top;
    for (const OutlinePoint& p : points) {
      left = std::min(left, p.x);
      right = std::max(right, p.x);
      top = std::min(top, p.y);
      bottom = std::max(bottom, p.y);
    }
    Window w;
    w.x0 = std::clamp(int(std::floor(left)), within.x0, within.x0 + within.w);
    w.y0 = std::clamp(int(std::floor(top)), within.y0, within.y0 + within.h);
    w.w = std::clamp(int(std::ceil(right)), within.x0, within.x0 + within.w) - w.x0;
    w.h = std::clamp(int(std::ceil(bottom)), within.y0, within.y0 + within.h) - w.y0;
    return w;
  }

  // A way to mend a run: the points from keepBefore to keepAfter (both kept) replaced by path.
  struct Mend {
    std::size_t keepBefore = 0;
    std::size_t keepAfter = 0;
    std::vector<OutlinePoint> path;
    double gain = 0;
    // What it changes in the traced coverage, over the pixels around the two paths.
    Window around;
    std::vector<double> delta;
  };

  double Error(std::size_t i, double delta = 0) const {
    return sign_ * (traced_[i] + delta) - mask_[i];
  }

  bool Unexplained(const OutlinePoint& p) const {
    const int x = int(std::floor(p.x));
    const int y = int(std::floor(p.y));
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
    return std::abs(Error(std::size_t(y) * std::size_t(width_) + std::size_t(x))) > kUnexplained;
  }

  void Sharpen(OutlineLoop& loop) {
    std::vector<Mark> marks(loop.size());
    for (std::size_t k = 0; k < loop.size(); ++k)
      marks[k] = Unexplained(loop[k]) ? Mark::Unexplained : Mark::Explained;
    JoinCloseRuns(loop, marks);
    // A polygon unexplained all round has nothing to carry on from.
    if (std::find(marks.begin(), marks.end(), Mark::Explained) == marks.end()) return;
    while (true) {
      const auto first = std::find(marks.begin(), marks.end(), Mark::Unexplained);
      if (first == marks.end()) return;
      // Turned so that the run lies in the middle, clear of the seam of the point list.
      const std::size_t n = loop.size();
      std::size_t begin = std::size_t(first - marks.begin());
      for (std::size_t back = 0; back < n && marks[(begin + n - 1) % n] == Mark::Unexplained;
           ++back)
        begin = (begin + n - 1) % n;
      std::size_t length = 0;
      while (length < n && marks[(begin + length) % n] == Mark::Unexplained)
        ++length;
      const std::size_t start = n / 2 - length / 2;
      const std::ptrdiff_t turn = std::ptrdiff_t((begin + n - start) % n);
      std::rotate(loop.begin(), loop.begin() + turn, loop.end());
      std::rotate(marks.begin(), marks.begin() + turn, marks.end());
      MendRun(loop, marks, start, start + length);
    }
  }

  static void JoinCloseRuns(const OutlineLoop& loop, std::vector<Mark>& marks) {
    const std::size_t n = loop.size();
    for (std::size_t k = 0; k < n; ++k) {
      if (marks[k] != Mark::Unexplained || marks[(k + 1) % n] == Mark::Unexplained) continue;
      // From the end of a run along the explained points to the next run.
      double gap = 0;
      std::size_t j = k;
      do {
        const std::size_t next = (j + 1) % n;
        gap += std::hypot(loop[next].x - loop[j].x, loop[next].y - loop[j].y);
        j = next;
      } while (marks[j] != Mark::Unexplained && gap < kJoinGap);
      if (marks[j] != Mark::Unexplained || j == k) continue;
      for (std::size_t i = (k + 1) % n; i != j; i = (i + 1) % n)
        marks[i] = Mark::Unexplained;
    }
  }

  // The distances along the polygon from point `from`, going back (step -1) or on (step 1), to
  // the points up to `reach` away; none past the ends of the list.
  static std::vector<std::pair<std::size_t, double>> Walk(const OutlineLoop& loop, std::size_t from,
                                                          int step, double reach) {
    std::vector<std::pair<std::size_t, double>> walked;
    double along = 0;
    std::ptrdiff_t k = std::ptrdiff_t(from);
    while (along <= reach) {
      const std::ptrdiff_t next = k + step;
      if (next < 0 || next >= std::ptrdiff_t(loop.size())) break;
      along += std::hypot(loop[std::size_t(next)].x - loop[std::size_t(k)].x,
                          loop[std::size_t(next)].y - loop[std::size_t(k)].y);
      k = next;
      walked.emplace_back(std::size_t(k), along);
    }
    return walked;
  }

  // The points of a walk from margin to margin + fitLength, nearest first; none when the walk
  // ends before.
  static std::vector<std::size_t> Stretch(const std::vector<std::pair<std::size_t, double>>& walk,
                                          double margin, double fitLength) {
    if (walk.empty() || walk.back().second <= margin + fitLength) return {};
    std::vector<std::size_t> picked;
    for (const auto& [k, along] : walk) {
      if (along > margin + fitLength) break;
      if (along >= margin) picked.push_back(k);
    }
    return picked;
  }

  // The first point of a walk at least margin away.
  static std::optional<std::size_t> FirstFrom(
      const std::vector<std::pair<std::size_t, double>>& walk, double margin) {
    for (const auto& [k, along] : walk) {
      if (along >= margin) return k;
    }
    return std::nullopt;
  }

  static bool Trusted(const std::vector<Mark>& marks, const std::vector<std::size_t>& points) {
    return std::all_of(points.begin(), points.end(), [&](std::size_t k) {
      return marks[k] == Mark::Explained || marks[k] == Mark::Made;
    });
  }

  // The stretch's points, farthest first, so that a fit of them points at the run.
  static std::vector<OutlinePoint> TowardsRun(const OutlineLoop& loop,
                                              const std::vector<std::size_t>& stretch) {
    std::vector<OutlinePoint> points;
    for (auto k = stretch.rbegin(); k != stretch.rend(); ++k)
      points.push_back(loop[*k]);
    return points;
  }

  void MendRun(OutlineLoop& loop, std::vector<Mark>& marks, std::size_t begin, std::size_t end) {
    constexpr double kLongest =
        kMargins[std::size(kMargins) - 1] + kFitLengths[std::size(kFitLengths) - 1];
    const auto back = Walk(loop, begin, -1, kLongest);
    const auto on = Walk(loop, end - 1, 1, kLongest);
    const Window window = WindowAround(loop, begin, end);
    std::optional<Mend> best;
    for (const double margin : kMargins) {
      // The points kept on either side depend on the margin alone: so does what the old path
      // covers between them.
      const auto keptBefore = FirstFrom(back, margin);
      const auto keptAfter = FirstFrom(on, margin);
      if (!keptBefore || !keptAfter) continue;
      std::vector<OutlinePoint> old(loop.begin() + std::ptrdiff_t(*keptBefore),
                                    loop.begin() + std::ptrdiff_t(*keptAfter) + 1);
      const Window oldAround = Around(old, window);
      CoverageIn(oldAround, old, oldCoverage_);
      for (const double fitLength : kFitLengths) {
        const auto before = Stretch(back, margin, fitLength);
        const auto after = Stretch(on, margin, fitLength);
        if (before.size() < kMinFitPoints || after.size() < kMinFitPoints) continue;
        if (!Trusted(marks, before) || !Trusted(marks, after)) continue;
        const auto first = FitStretch(TowardsRun(loop, before));
        const auto second = FitStretch(TowardsRun(loop, after));
        if (!first || !second) continue;
        // A stretch that hardly curves is carried on as a straight line only.
        const bool curved = first->Bends() || second->Bends();
        for (const bool straight : {true, false}) {
          if (!straight && !curved) continue;
          auto meeting = MeetingOf(*first, *second, straight, kReach + margin);
          if (!meeting || meeting->turnDegrees < kMinTurnDegrees) continue;
          Mend mend;
          mend.keepBefore = before.front();
          mend.keepAfter = after.front();
          mend.path = std::move(meeting->path);
          if (!Weigh(loop, window, oldAround, mend)) continue;
          if (mend.gain >= kMinGain && (!best || mend.gain > best->gain)) best = std::move(mend);
        }
      }
    }
    if (!best) {
      std::fill(marks.begin() + std::ptrdiff_t(begin), marks.begin() + std::ptrdiff_t(end),
                Mark::Kept);
      return;
    }
    Apply(loop, marks, *best);
  }

  Window WindowAround(const OutlineLoop& loop, std::size_t begin, std::size_t end) const {
    double left = loop[begin].x, right = left, top = loop[begin].y, bottom = top;
    for (std::size_t k = begin; k < end; ++k) {
      left = std::min(left, loop[k].x);
      right = std::max(right, loop[k].x);
      top = std::min(top, loop[k].y);
      bottom = std::max(bottom, loop[k].y);
    }
    // Every point that a mend removes or adds lies within this of the run.
    constexpr double kAround =
        kMargins[std::size(kMargins) - 1] + kFitLengths[std::size(kFitLengths) - 1] + kReach + 1;
    Window w;
    w.x0 = std::clamp(int(std::floor(left - kAround)), 0, width_);
    w.y0 = std::clamp(int(std::floor(top - kAround)), 0, height_);
    w.w = std::clamp(int(std::ceil(right + kAround)), 0, width_) - w.x0;
    w.h = std::clamp(int(std::ceil(bottom + kAround)), 0, height_) - w.y0;
    return w;
  }

  // The signed coverage, over the window, of the polygon that a path makes with the chord
  // from its last point back to its first.
  void CoverageIn(const Window& window, const std::vector<OutlinePoint>& path,
                  std::vector<double>& coverage) {
    coverage.assign(std::size_t(window.w) * std::size_t(window.h), 0.0);
    if (coverage.empty()) return;
    raster_.Reset(window.x0, window.w, window.y0, window.h);
    for (std::size_t k = 0; k < path.size(); ++k) {
      const OutlinePoint& a = path[k];
      const OutlinePoint& b = path[(k + 1) % path.size()];
      raster_.AddEdge(a.x, a.y, b.x, b.y);
    }
    raster_.Sweep([&](int y, int x, int n, double c) {
      if (c != 0) std::fill_n(coverage.begin() + std::ptrdiff_t(window.Index(x, y)), n, c);
    });
  }

  // The mend's gain: how much it takes off the squared coverage errors of the pixels that it
  // changes. False when it would make the outline cross itself or another (a pixel covered
  // twice, or less than not at all). The difference between the new path and the old one is
  // the difference of the polygons that each makes with the chord between the points kept.
  bool Weigh(const OutlineLoop& loop, const Window& window, const Window& oldAround, Mend& mend) {
    std::vector<OutlinePoint> now;
    now.reserve(mend.path.size() + 2);
    now.push_back(loop[mend.keepBefore]);
    now.insert(now.end(), mend.path.begin(), mend.path.end());
    now.push_back(loop[mend.keepAfter]);
    // Both paths' polygons lie within the pixels around the two.
    const Window newAround = Around(now, window);
    Window& w = mend.around;
    w.x0 = std::min(newAround.x0, oldAround.x0);
    w.y0 = std::min(newAround.y0, oldAround.y0);
    w.w = std::max(newAround.x0 + newAround.w, oldAround.x0 + oldAround.w) - w.x0;
    w.h = std::max(newAround.y0 + newAround.h, oldAround.y0 + oldAround.h) - w.y0;
    CoverageIn(w, now, mend.delta);
    double gain = 0;
    for (int y = w.y0; y < w.y0 + w.h; ++y) {
      for (int x = w.x0; x < w.x0 + w.w; ++x) {
        double& d = mend.delta[w.Index(x, y)];
        if (x >= oldAround.x0 && y >= oldAround.y0 && x < oldAround.x0 + oldAround.w &&
            y < oldAround.y0 + oldAround.h) {
          d -= oldCoverage_[oldAround.Index(x, y)];
        }
        if (d == 0) continue;
        const std::size_t i = std::size_t(y) * std::size_t(width_) + std::size_t(x);
        const double after = sign_ * (traced_[i] + d);
        if (after > 1.02 || after < -0.02) return false;
        gain += Error(i) * Error(i) - Error(i, d) * Error(i, d);
      }
    }
    mend.gain = gain;
    return true;
  }

  void Apply(OutlineLoop& loop, std::vector<Mark>& marks, const Mend& mend) {
    const Window& w = mend.around;
    for (int y = w.y0; y < w.y0 + w.h; ++y) {
      for (int x = w.x0; x < w.x0 + w.w; ++x)
        traced_[std::size_t(y) * std::size_t(width_) + std::size_t(x)] += mend.delta[w.Index(x, y)];
    }
    const auto from = std::ptrdiff_t(mend.keepBefore + 1);
    const auto to = std::ptrdiff_t(mend.keepAfter);
    loop.erase(loop.begin() + from, loop.begin() + to);
    loop.insert(loop.begin() + from, mend.path.begin(), mend.path.end());
    marks.erase(marks.begin() + from, marks.begin() + to);
    marks.insert(marks.begin() + from, mend.path.size(), Mark::Made);
  }

  std::vector<OutlineLoop>& loops_;
  const std::vector<float>& mask_;
  int width_;
  int height_;
  std::vector<double> traced_;  // the loops' signed coverage of each pixel
  AreaRaster raster_;
  std::vector<double> oldCoverage_;  // of the path that the mends of one margin replace
  double sign_ = 1;
};

}  // namespace

void SharpenCorners(std::vector<OutlineLoop>& loops, const std::vector<float>& coverage, int width,
                    int height) {
  CornerSharpener(loops, coverage, width, height).Run();
}

}  // namespace fw
