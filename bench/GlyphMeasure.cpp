// Measures the program's glyphs at any export height against the outlines the glyph sheet is
// drawn from (resources/GlyphOutline.h), the way a type designer looks at them: the ink, the
// stems, how far the outline strays, grey smudges off the edge, facets on curves, straight edges
// and their sharpness.
//
//   cmake --build build --target glyph-measure
//   QT_QPA_PLATFORM=offscreen build/bench/glyph-measure [--height H]... [--glyphs ABC...]
//                                                       [--dump DIR]
//
// Heights default to 8 20 138 309 552 1000 2000 (at most 8192), glyphs to all 36. With --dump,
// DIR gets for each glyph and height G-H-program.png (as the program draws it), G-H-truth.png
// (the outline filled with exact area coverage), G-H-lanczos.png (the reference below, before
// its cut) and G-H-outline.png (the program's drawing with the true outline over it in red and
// the reference's contour in blue).
//
// Three drawings of each glyph at height H, each H x H, f = H / 46 output pixels a sheet pixel:
// - program: a picture of H x H, the glyph drawn black on white through its stencil by
//   DrawPicture(source, 0, 0, H, H, 0, 0, 46, 46), as an export draws it; coverage is
//   (255 - red) / 255.
// - truth: the glyph's outline for a cell of H (the sheet's at 46, scaled), its curves flattened
//   to chords within 0.001 px, each pixel covered by the share of its square that the outline
//   encloses (exact area, no sampling), clipped to the square. First of all the tool prints how
//   far the truth at 46 lies from the sheet's cells: apart for the glyphs without curves, which
//   it meets within Qt's rounding (a few levels of 255), and those with, which it does not: the
//   sheet's curves were filled by Qt from chords of its own, coarser than the outline (Qt's fill
//   of the truth's fine chords meets the truth within the same few levels).
// - lanczos: the cell's coverage enlarged by Lanczos-3, separably, pixel centre to pixel centre,
//   no coverage outside the cell, the weights normalised, clamped to [0, 1]; only above 46.
// A contour is a drawing's half-coverage line: marching squares through the pixel centres, the
// crossings interpolated linearly, the drawing bordered by no coverage; saddles are decided by
// the mean of the four centres. The lanczos reference "cut at half" is its contour.
//
// The measures, each printed per glyph, then summed up per height against the bars of issue 22:
// - ink: sum of program coverage / (sum of the cell's coverage x f^2) - 1, in %; beside it the
//   same against the truth's sum.
// - stem (I L E F T H 1): the program's ink in rows where the outline has only vertical stems
//   (kStems, in sheet pixels), over the rows and the stems, in output px; beside it the truth's.
//   The rows are those whose square lies within the band; a band that holds no whole row (the
//   E's at height 8, 1.2 rows high) gives the row that overlaps it most, and the width is marked
//   ~: such a row holds some of the arms too, in the truth as in the program, so that the two
//   still compare with each other, not with the other glyphs' stems.
// - outline: the symmetric Hausdorff distance between the program's contour and the true outline
//   (the flattened path), each sampled every 0.25 px at most, in output px; beside it the same of
//   the lanczos contour, then (program - lanczos) / f in sheet px, and the place, in sheet px,
//   of the point (on either line) that lies furthest from the other.
// - smudge: pixels of the program with 0.02 < coverage < 0.98 whose centre lies more than 1.5 px
//   from the program's own contour, as a share of that contour's length in px (%), and their
//   number.
// - turn: the largest angle between the tangents of the program's contour at s and s + L, L half
//   a sheet pixel (0.5 f), the contour walked at steps of 0.25 px. A tangent is the chord from
//   s - L/2 to s + L/2 (at least 2 px either side), so that a window's turn is the angle between
//   two chords of length L end to end. On a curve of radius r that is L / r, the true turn; a
//   corner between facets at least L long, as the program's (a sheet pixel each), shows whole;
//   and the contour's own placing error (hundredths of a pixel, repeating every few pixels along
//   an edge) is averaged over L: the truth rasterised at 2000 and contoured turns by at most
//   6.3 and 8.2 degrees (O, 0) so, against 5.8 and 7.8 of its exact outline, where secants of
//   2 px either side make it 8.5 and 10.3. Beside it the truth's contour measured alike, and the
//   ratio, for the glyphs whose outline has curves. A window counts only where every point its
//   chords reach lies within max(0.5 f, 1) px of the truth's contour and more than 2 sheet px
//   from the truth's corners (where its contour turns by more than 30 degrees over a window,
//   with the window's chords): a corner turns by any angle at any size, and the bars are about
//   curves; a tip that the program cuts short is the outline measure's. The corners of a cut
//   that lie on the truth's straight flanks still count (the W's counters at 552 and up).
//   The measure means something from about height 400 up, where L spans several pixels.
// - rms (A and V): the outer edges found row by row at half coverage, rows 25 % to 80 % of the
//   height, RMS from their least-squares line, the worse of the two sides, as the glyph edge
//   tests measure it (tests/support/EdgeRows.h), with the glyph alone at the export's left.
// - ramp: the width from 10 % to 90 % coverage across the outer edges, left and right, found
//   along the same rows and shortened by the cosine of the edge's slant; the slant is the
//   truth's, from its edge one sheet pixel above and below, and only rows where the truth's edge
//   runs straight (its slope changing by at most 0.05 a sheet row) and steeper than 45 degrees
//   count. The worst row.
#include "AreaCoverage.h"
#include "ContourTurn.h"
#include "HalfContour.h"
#include "Lanczos.h"
#include "NearestSegment.h"
#include "Plane.h"
#include "Polylines.h"
#include "editor/Module1.h"
#include "imaging/Picture.h"
#include "resources/GlyphOutline.h"
#include "tests/support/EdgeRows.h"
#include "tests/support/GlyphAlone.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

using glyph_measure::Plane;
using glyph_measure::Polyline;
using glyph_measure::SegmentGrid;

constexpr int kCell = Module1::kGlyphCell;
static_assert(kCell == glyph_outline::kCell);
constexpr const char* kGlyphs = glyph_outline::kGlyphs;
constexpr int kDefaultHeights[] = {8, 20, 138, 309, 552, 1000, 2000};
// Every drawing is held whole, in floating point, several times over: a run at 4000 holds about
// 360 MiB, at this height about 1.5 GiB.
constexpr int kMaxHeight = 8192;

// The true outline's chords lie this close to its curves (output px): near enough that the
// truth's area coverage is within a quarter of a level of 255 of the curves', far closer than
// the 0.05 px that its distances need.
constexpr double kFlatness = 0.001;
constexpr double kSampleStep = 0.25;  // px between the points a distance is measured from
constexpr double kBucket = 4.0;       // px, the side of a bucket of the segment grids
constexpr double kGreyLow = 0.02;     // a smudge's coverage lies between these
constexpr double kGreyHigh = 0.98;
constexpr double kSmudgeDistance = 1.5;   // px from the contour
constexpr double kMinChordReach = 2.0;    // px either side of a tangent's point, at the least
constexpr double kCornerTurn = 30.0;      // degrees over half a sheet pixel: a corner
constexpr double kCornerClearance = 2.0;  // sheet px from a corner of the truth
constexpr double kTurnNear = 0.5;         // sheet px from the truth's contour

// ---- Options ----

struct Options {
  std::vector<int> heights;
  std::string glyphs;
  QString dump;
};

int Usage(const char* program) {
  std::fprintf(stderr, "usage: %s [--height H]... [--glyphs ABC...] [--dump DIR]\n", program);
  return 2;
}

std::optional<Options> Parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) return std::nullopt;
    const char* value = argv[++i];
    if (arg == "--height") {
      const int h = std::atoi(value);
      if (h < 1 || h > kMaxHeight) return std::nullopt;
      o.heights.push_back(h);
    } else if (arg == "--glyphs") {
      o.glyphs = value;
      for (const char c : o.glyphs) {
        if (!std::strchr(kGlyphs, c)) return std::nullopt;
      }
    } else if (arg == "--dump") {
      o.dump = QString::fromLocal8Bit(value);
    } else {
      return std::nullopt;
    }
  }
  if (o.heights.empty()) o.heights.assign(std::begin(kDefaultHeights), std::end(kDefaultHeights));
  if (o.glyphs.empty()) o.glyphs = kGlyphs;
  return o;
}

int IndexOf(char glyph) {
  return int(std::strchr(kGlyphs, glyph) - kGlyphs);
}

// ---- The three drawings (the program's is GlyphAlone) ----

Plane CellCoverage(int glyph) {
  const QRect cell((glyph % Module1::kGlyphColumns) * kCell,
                   (glyph / Module1::kGlyphColumns) * kCell, kCell, kCell);
  return glyph_measure::PlaneOf(Module1::QuenzPic()->Image(), cell);
}

struct Truth {
  QPainterPath path;              // the exact outline
  std::vector<Polyline> outline;  // flattened
  Plane coverage;
  int overlaps = 0;  // pixels where the outline's contours overlap (see AreaCoverage)
};

Truth TruthAt(const QFont& font, int glyph, int height) {
  Truth t;
  t.path = glyph_outline::CellGlyphPath(font, QChar::fromLatin1(kGlyphs[glyph]), height);
  t.outline = glyph_measure::Flatten(t.path, kFlatness);
  t.coverage = glyph_measure::AreaCoverage(t.outline, height, height, &t.overlaps);
  return t;
}

bool HasCurves(const QPainterPath& path) {
  for (int i = 0; i < path.elementCount(); ++i) {
    if (path.elementAt(i).isCurveTo()) return true;
  }
  return false;
}

QPainterPath PathOf(const std::vector<Polyline>& lines) {
  QPainterPath path;
  for (const Polyline& line : lines) {
    path.addPolygon(QPolygonF(QList<QPointF>(line.begin(), line.end())));
    path.closeSubpath();
  }
  return path;
}

// The truth's chords filled by Qt the way the sheet was drawn: a path of straight lines only.
Plane QtFilled(const std::vector<Polyline>& outline, int size) {
  const QPainterPath path = PathOf(outline);
  QImage image(size, size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillPath(path, Qt::black);
  painter.end();
  return glyph_measure::PlaneOf(image);
}

// How far two planes differ at worst, in levels of 255.
int WorstLevels(const Plane& a, const Plane& b) {
  int worst = 0;
  for (std::size_t i = 0; i < a.values.size(); ++i) {
    worst = std::max(
        worst, int(std::abs(std::lround(a.values[i] * 255) - std::lround(b.values[i] * 255))));
  }
  return worst;
}

// The worst difference of a kind of glyph, and where.
struct WorstGlyph {
  int levels = 0;
  char glyph = '-';
  void Add(int l, char g) {
    if (l > levels) *this = WorstGlyph{l, g};
  }
};

// The truth at the sheet's size against the sheet's cells, in levels of 255: apart for glyphs
// with curves and without, and against Qt's own fill of the truth's chords, which tells the
// rasteriser's share of a difference from the curves'.
void CheckSheet(const QFont& font) {
  WorstGlyph straight, curved, qt;
  int overlaps = 0;
  for (int g = 0; g < Module1::kGlyphCount; ++g) {
    const Truth truth = TruthAt(font, g, kCell);
    const int levels = WorstLevels(truth.coverage, CellCoverage(g));
    (HasCurves(truth.path) ? curved : straight).Add(levels, kGlyphs[g]);
    qt.Add(WorstLevels(truth.coverage, QtFilled(truth.outline, kCell)), kGlyphs[g]);
    overlaps += truth.overlaps;
  }
  std::printf(
      "truth at 46 against the sheet's cells, worst: %d levels of 255 (%c) in the glyphs without "
      "curves, %d (%c) in those with; against Qt's fill of the truth's chords %d (%c); %d pixels "
      "where contours overlap\n\n",
      straight.levels, straight.glyph, curved.levels, curved.glyph, qt.levels, qt.glyph, overlaps);
}

// ---- Stems ----

// A band of rows, in sheet pixels from the cell's top, where the outline has only vertical
// stems, and how many. Read off the outlines (make-glyph-sheet's geometry; the I's stem spans
// x 18.36-27.64, the L's, E's and F's 9.28 px too, the T's 7.83 and the H's 8.06, both
// condensed, the 1's 8.78): the stems between the arms and bars, clear of the serif and the
// flag of the 1.
struct Band {
  double top;
  double bottom;
  int stems;
};
struct StemGlyph {
  char glyph;
  std::vector<Band> bands;
};
const StemGlyph kStems[] = {
    {'I', {{5.0, 41.0, 1}}},                        // the whole stem
    {'L', {{5.0, 33.98, 1}}},                       // above the foot
    {'E', {{12.01, 18.72, 1}, {25.74, 33.98, 1}}},  // between the arms
    {'F', {{12.01, 18.72, 1}, {25.74, 41.0, 1}}},   // between and below the arms
    {'T', {{12.01, 41.0, 1}}},                      // below the bar
    {'H', {{5.0, 18.72, 2}, {25.74, 41.0, 2}}},     // above and below the bar
    {'1', {{11.32, 34.58, 1}}},                     // below the flag, above the foot
};

const StemGlyph* StemsOf(char glyph) {
  for (const StemGlyph& s : kStems) {
    if (s.glyph == glyph) return &s;
  }
  return nullptr;
}

struct StemRows {
  std::vector<std::pair<int, int>> rows;  // each row with its band's stems
  bool whole = true;                      // whether every row lies within its band
};

// The rows of each band that lie within it; a band too low for a whole row gives the one row
// that overlaps it most.
StemRows RowsOf(const StemGlyph& s, double f, int height) {
  StemRows r;
  for (const Band& b : s.bands) {
    const double top = b.top * f;
    const double bottom = b.bottom * f;
    const int first = int(std::ceil(top));
    const int last = std::min(int(std::floor(bottom)), height) - 1;
    if (first <= last) {
      for (int y = first; y <= last; ++y)
        r.rows.push_back({y, b.stems});
      continue;
    }
    r.whole = false;
    const int above = int(std::floor(top));  // the row the band starts in, and the next
    const double overlapAbove = std::min(bottom, above + 1.0) - top;
    const int y = overlapAbove >= bottom - (above + 1.0) ? above : above + 1;
    if (y < height) r.rows.push_back({y, b.stems});
  }
  return r;
}

// The mean width of a stem in those rows: their ink over their number and the stems.
std::optional<double> StemWidth(const Plane& p, const StemRows& r) {
  if (r.rows.empty()) return std::nullopt;
  double ink = 0;
  double stems = 0;
  for (const auto& [y, count] : r.rows) {
    for (int x = 0; x < p.width; ++x)
      ink += p.At(x, y);
    stems += count;
  }
  return ink / stems;
}

// ---- Outline distance and smudges ----

struct Far {
  double distance = 0;
  QPointF where;  // the point that lies furthest, on either line
};

// The furthest that any point of from lies from the segments of to.
Far Furthest(const std::vector<QPointF>& from, const SegmentGrid& to) {
  Far far;
  for (const QPointF p : from) {
    const double d = to.Find(p).distance;
    if (d > far.distance) far = Far{d, p};
  }
  return far;
}

// The symmetric Hausdorff distance between a contour and the true outline.
Far Hausdorff(const std::vector<Polyline>& contour, const std::vector<Polyline>& outline,
              const SegmentGrid& outlineGrid) {
  const SegmentGrid contourGrid(contour, kBucket);
  const Far a = Furthest(glyph_measure::Samples(contour, kSampleStep), outlineGrid);
  const Far b = Furthest(glyph_measure::Samples(outline, kSampleStep), contourGrid);
  return a.distance >= b.distance ? a : b;
}

struct Smudge {
  int count = 0;
  double share = 0;  // % of the contour's length
};

Smudge Smudges(const Plane& p, const std::vector<Polyline>& contour, const SegmentGrid& grid) {
  Smudge s;
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      const float c = p.At(x, y);
      if (c <= kGreyLow || c >= kGreyHigh) continue;
      if (grid.Find(QPointF(x + 0.5, y + 0.5), kSmudgeDistance).segment < 0) ++s.count;
    }
  }
  const double length = glyph_measure::Length(contour);
  s.share = length > 0 ? 100.0 * s.count / length : 0;
  return s;
}

// ---- Turn ----

// The truth's contour walked for its turns, with its corners: the places where it turns by more
// than kCornerTurn over a window, the window's arc and its chords included.
class TruthCurve {
 public:
  TruthCurve(const std::vector<Polyline>& truth, double arc, double near, double clearance)
      : near_(near), clearance_(clearance) {
    std::vector<Polyline> walks;
    std::vector<Polyline> corners;
    for (const Polyline& line : truth) {
      glyph_measure::TurnTrack t = glyph_measure::Track(line, arc, ChordReach(arc));
      if (t.turn.empty()) continue;
      const std::vector<bool> corner = glyph_measure::Corners(t, kCornerTurn);
      for (std::size_t i = 0; i < corner.size(); ++i) {
        if (corner[i]) corners.push_back({t.points[i]});  // a point: a segment of no length
      }
      walks.push_back(t.points);
      tracks_.push_back(std::move(t));
    }
    walk_.emplace(walks, kBucket);
    corners_.emplace(corners, kBucket);
  }

  // A tangent is the chord over half the arc either side, at least 2 px: see the file's head.
  static double ChordReach(double arc) { return std::max(arc / 2, kMinChordReach); }

  const std::vector<glyph_measure::TurnTrack>& Tracks() const { return tracks_; }

  // Whether each point may carry a window: near the truth's contour, clear of its corners.
  std::vector<bool> Curve(const Polyline& points) const {
    std::vector<bool> curve(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
      curve[i] = walk_->Find(points[i], near_).segment >= 0 &&
                 corners_->Find(points[i], clearance_).segment < 0;
    }
    return curve;
  }

 private:
  double near_;
  double clearance_;
  std::vector<glyph_measure::TurnTrack> tracks_;
  std::optional<SegmentGrid> walk_;
  std::optional<SegmentGrid> corners_;
};

// The largest turn of the track's windows that count: those whose tangents reach only points on
// the truth's curves.
double LargestTurn(const glyph_measure::TurnTrack& t, const TruthCurve& truth) {
  const std::vector<bool> curve = truth.Curve(t.points);
  const int n = int(t.points.size());
  // off[i]: how many of the points before i are off the curves, twice round the track.
  std::vector<int> off(std::size_t(2 * n) + 1, 0);
  for (int i = 0; i < 2 * n; ++i)
    off[std::size_t(i) + 1] = off[std::size_t(i)] + (curve[std::size_t(i % n)] ? 0 : 1);
  const int reach = t.span + 2 * t.reach;  // from the first tangent's start to the last's end
  double largest = 0;
  for (int i = 0; i < int(t.turn.size()); ++i) {
    const int first = (i - t.reach + n) % n;
    if (t.turn[std::size_t(i)] > largest &&
        off[std::size_t(first + reach) + 1] == off[std::size_t(first)]) {
      largest = t.turn[std::size_t(i)];
    }
  }
  return largest;
}

struct Turns {
  double program = 0;
  double truth = 0;
};

Turns TurnsOf(const std::vector<Polyline>& program, const std::vector<Polyline>& truth, double f) {
  const double arc = 0.5 * f;
  const TruthCurve curve(truth, arc, std::max(kTurnNear * f, 1.0), kCornerClearance * f);
  Turns turns;
  for (const glyph_measure::TurnTrack& t : curve.Tracks())
    turns.truth = std::max(turns.truth, LargestTurn(t, curve));
  for (const Polyline& line : program) {
    const glyph_measure::TurnTrack t = glyph_measure::Track(line, arc, TruthCurve::ChordReach(arc));
    if (!t.turn.empty()) turns.program = std::max(turns.program, LargestTurn(t, curve));
  }
  return turns;
}

// ---- Straight edges and ramps ----

constexpr double kStraightFrom = 0.25;  // the rows of the A's and the V's straight outer edges
constexpr double kStraightTo = 0.80;

// The worse RMS from a straight line of the two outer edges.
std::optional<double> WorseRms(const QImage& image) {
  const edge_rows::Coverage c(image);
  std::optional<double> worst;
  for (const int dir : {1, -1}) {
    const edge_rows::Edge e = edge_rows::OuterEdge(c, edge_rows::Square{0, image.height()}, dir,
                                                   kStraightFrom, kStraightTo);
    if (e.y.size() < 3) return std::nullopt;
    worst = std::max(worst.value_or(0), edge_rows::RmsFromLine(e));
  }
  return worst;
}

// The widest 10-90 % ramp across the outer edges where the truth's run straight.
std::optional<double> WidestRamp(const QImage& program, const QImage& truth, double f) {
  const edge_rows::Coverage p(program);
  const edge_rows::Coverage t(truth);
  const edge_rows::Square square{0, program.height()};
  const int k = std::max(1, int(std::lround(f)));  // rows a sheet pixel apart
  std::optional<double> widest;
  for (const int dir : {1, -1}) {
    const edge_rows::Edge pe = edge_rows::OuterEdge(p, square, dir, kStraightFrom, kStraightTo);
    const edge_rows::Edge te = edge_rows::OuterEdge(t, square, dir, kStraightFrom, kStraightTo);
    std::map<int, double> truthX;
    for (std::size_t i = 0; i < te.y.size(); ++i)
      truthX[int(te.y[i])] = te.x[i];
    for (std::size_t i = 0; i < pe.y.size(); ++i) {
      const int y = int(pe.y[i]);
      if (!truthX.contains(y - k) || !truthX.contains(y) || !truthX.contains(y + k)) continue;
      // Slopes, px across a row down, over the sheet rows above and below.
      const double above = (truthX[y] - truthX[y - k]) / k;
      const double below = (truthX[y + k] - truthX[y]) / k;
      const double slope = (above + below) / 2;
      if (std::abs(below - above) > 0.05 || std::abs(slope) > 1) continue;
      widest = std::max(widest.value_or(0), pe.rampAlongRow[i] / std::hypot(1.0, slope));
    }
  }
  return widest;
}

// ---- One glyph at one height ----

struct Row {
  char glyph = '?';
  double inkCell = 0;  // %
  double inkTruth = 0;
  std::optional<double> stem;
  std::optional<double> stemTruth;
  bool stemWhole = true;
  Far outline;
  std::optional<double> lanczos;
  Smudge smudge;
  Turns turn;
  bool curved = false;  // whether the outline has curves: the turn's ratio means something
  std::optional<double> rms;
  std::optional<double> ramp;
};

struct Drawings {
  QImage program;
  Plane programCoverage;
  Truth truth;
  std::optional<Plane> lanczos;
};

Drawings Draw(const QFont& font, int glyph, int height) {
  Drawings d;
  d.program = GlyphAlone(glyph, height);
  d.programCoverage = glyph_measure::PlaneOf(d.program);
  d.truth = TruthAt(font, glyph, height);
  if (height > kCell)
    d.lanczos = glyph_measure::LanczosEnlarged(CellCoverage(glyph), height, height);
  return d;
}

Row Measure(const Drawings& d, int glyph, int height) {
  const double f = double(height) / kCell;
  Row r;
  r.glyph = kGlyphs[glyph];
  const double ink = d.programCoverage.Sum();
  r.inkCell = 100 * (ink / (CellCoverage(glyph).Sum() * f * f) - 1);
  r.inkTruth = 100 * (ink / d.truth.coverage.Sum() - 1);
  if (const StemGlyph* s = StemsOf(r.glyph)) {
    const StemRows rows = RowsOf(*s, f, height);
    r.stem = StemWidth(d.programCoverage, rows);
    r.stemTruth = StemWidth(d.truth.coverage, rows);
    r.stemWhole = rows.whole;
  }
  const std::vector<Polyline> contour = glyph_measure::Contours(d.programCoverage, 0.5F);
  const SegmentGrid outlineGrid(d.truth.outline, kBucket);
  r.outline = Hausdorff(contour, d.truth.outline, outlineGrid);
  if (d.lanczos) {
    r.lanczos =
        Hausdorff(glyph_measure::Contours(*d.lanczos, 0.5F), d.truth.outline, outlineGrid).distance;
  }
  r.smudge = Smudges(d.programCoverage, contour, SegmentGrid(contour, kBucket));
  r.turn = TurnsOf(contour, glyph_measure::Contours(d.truth.coverage, 0.5F), f);
  r.curved = HasCurves(d.truth.path);
  const QImage truthImage = glyph_measure::ImageOf(d.truth.coverage);
  if (r.glyph == 'A' || r.glyph == 'V') r.rms = WorseRms(d.program);
  r.ramp = WidestRamp(d.program, truthImage, f);
  return r;
}

void Save(const QImage& image, const QString& path) {
  if (!image.save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

void Dump(const QString& folder, const Drawings& d, char glyph, int height) {
  const QString stem =
      QStringLiteral("%1/%2-%3-").arg(folder).arg(QChar::fromLatin1(glyph)).arg(height);
  Save(d.program, stem + QStringLiteral("program.png"));
  Save(glyph_measure::ImageOf(d.truth.coverage), stem + QStringLiteral("truth.png"));
  QImage over = d.program.convertToFormat(QImage::Format_RGB32);
  QPainter painter(&over);
  painter.setRenderHint(QPainter::Antialiasing);
  if (d.lanczos) {
    Save(glyph_measure::ImageOf(*d.lanczos), stem + QStringLiteral("lanczos.png"));
    painter.setPen(QPen(QColor(0, 90, 255), 0));
    painter.drawPath(PathOf(glyph_measure::Contours(*d.lanczos, 0.5F)));
  }
  painter.setPen(QPen(QColor(230, 0, 0), 0));
  painter.drawPath(d.truth.path);
  painter.end();
  Save(over, stem + QStringLiteral("outline.png"));
}

// ---- Printing ----

std::string Num(std::optional<double> v, const char* format) {
  if (!v) return "-";
  char text[32];
  std::snprintf(text, sizeof text, format, *v);
  return text;
}

// How much further than the lanczos reference's the program's outline strays, in sheet px.
std::optional<double> LanczosDiff(const Row& r, double f) {
  if (!r.lanczos) return std::nullopt;
  return (r.outline.distance - *r.lanczos) / f;
}

// Of a glyph with curves only: a straight one's truth turns by its contour's noise alone.
std::optional<double> TurnRatio(const Row& r) {
  if (!r.curved || r.turn.truth <= 0) return std::nullopt;
  return r.turn.program / r.turn.truth;
}

void PrintHead(int height) {
  const double f = double(height) / kCell;
  std::printf("height %d: %.3f px a sheet px, turn over %.2f px\n", height, f, 0.5 * f);
  std::printf(
      "      ink %%: cell  truth |  stem px: prog  truth |  outline px: prog  lanczos  diff/sheet"
      "  at (sheet px) | smudge %%      n |   turn: prog  truth  ratio | A/V rms |  ramp\n");
}

void PrintRow(const Row& r, double f) {
  const std::string stemMark = r.stem && !r.stemWhole ? "~" : " ";
  std::printf(
      "  %c    %+7.2f %+6.2f | %13s%s %6s | %17.2f %8s %11s  (%5.1f,%5.1f) | %8.3f %6d | %11.2f "
      "%6.2f %6s | %7s | %5s\n",
      r.glyph, r.inkCell, r.inkTruth, Num(r.stem, "%.3f").c_str(), stemMark.c_str(),
      Num(r.stemTruth, "%.3f").c_str(), r.outline.distance, Num(r.lanczos, "%.2f").c_str(),
      Num(LanczosDiff(r, f), "%+.3f").c_str(), r.outline.where.x() / f, r.outline.where.y() / f,
      r.smudge.share, r.smudge.count, r.turn.program, r.turn.truth,
      Num(TurnRatio(r), "%.2f").c_str(), Num(r.rms, "%.3f").c_str(), Num(r.ramp, "%.2f").c_str());
}

// The row where value is largest, of those that have it.
template <typename Value>
const Row* Worst(const std::vector<Row>& rows, Value value) {
  const Row* worst = nullptr;
  for (const Row& r : rows) {
    const std::optional<double> v = value(r);
    if (v && (!worst || *v > *value(*worst))) worst = &r;
  }
  return worst;
}

template <typename Pass>
int Passing(const std::vector<Row>& rows, Pass pass) {
  return int(std::count_if(rows.begin(), rows.end(), pass));
}

const Row* Find(const std::vector<Row>& rows, char glyph) {
  for (const Row& r : rows) {
    if (r.glyph == glyph) return &r;
  }
  return nullptr;
}

std::optional<double> RmsBar(int height) {
  switch (height) {
    case 138:
      return 0.12;  // the glyph edge tests' own bound
    case 309:
      return 0.15;
    case 552:
      return 0.20;
    case 1000:
      return 0.30;
    default:
      return std::nullopt;
  }
}

void PrintInkSummary(const std::vector<Row>& rows, int height) {
  const double bar = height < 20 ? 5.0 : 3.0;
  const Row* low = Worst(rows, [](const Row& r) { return std::optional<double>(-r.inkCell); });
  const Row* high = Worst(rows, [](const Row& r) { return std::optional<double>(r.inkCell); });
  std::printf("  ink against the cell: %+.2f %% (%c) to %+.2f %% (%c); %d of %zu within %.0f %%\n",
              low->inkCell, low->glyph, high->inkCell, high->glyph,
              Passing(rows, [&](const Row& r) { return std::abs(r.inkCell) <= bar; }), rows.size(),
              bar);
}

void PrintStemSummary(const std::vector<Row>& rows) {
  const auto ratio = [](const Row& r) {
    return r.stem && r.stemTruth ? std::optional<double>(*r.stem / *r.stemTruth) : std::nullopt;
  };
  const Row* low = Worst(rows, [&](const Row& r) {
    const auto v = ratio(r);
    return v ? std::optional<double>(-*v) : std::nullopt;
  });
  const Row* high = Worst(rows, ratio);
  if (!low) return;
  std::printf("  stems, program / truth: %.3f (%c) to %.3f (%c)", *ratio(*low), low->glyph,
              *ratio(*high), high->glyph);
  // I, L, E and F share one stem in the outline: equal stems, to be drawn equal.
  double least = 1e9, most = 0;
  for (const char g : {'I', 'L', 'E', 'F'}) {
    const Row* r = Find(rows, g);
    if (!r || !r->stem) continue;
    least = std::min(least, *r->stem);
    most = std::max(most, *r->stem);
  }
  if (most > 0) std::printf("; the equal stems of I L E F drawn %.3f to %.3f px", least, most);
  std::printf("\n");
}

void PrintOutlineSummary(const std::vector<Row>& rows, double f) {
  const Row* worst =
      Worst(rows, [](const Row& r) { return std::optional<double>(r.outline.distance); });
  std::printf("  outline: worst %.2f px (%c)", worst->outline.distance, worst->glyph);
  const auto diff = [&](const Row& r) { return LanczosDiff(r, f); };
  const Row* worstDiff = Worst(rows, diff);
  if (worstDiff) {
    std::printf("; against lanczos worst %+.3f sheet px (%c); %d of %zu within lanczos + 0.1",
                *diff(*worstDiff), worstDiff->glyph,
                Passing(rows, [&](const Row& r) { return *diff(r) <= 0.1; }), rows.size());
  }
  std::printf("\n");
}

void PrintSmudgeSummary(const std::vector<Row>& rows) {
  const Row* worst =
      Worst(rows, [](const Row& r) { return std::optional<double>(r.smudge.share); });
  std::printf("  smudge: worst %.3f %% (%c, %d px); %d of %zu under 0.2 %%\n", worst->smudge.share,
              worst->glyph, worst->smudge.count,
              Passing(rows, [](const Row& r) { return r.smudge.share < 0.2; }), rows.size());
}

void PrintTurnSummary(const std::vector<Row>& rows) {
  const auto ratio = TurnRatio;
  std::printf("  turn:");
  for (const char g : {'O', '0'}) {
    const Row* r = Find(rows, g);
    if (r && ratio(*r)) {
      std::printf(" %c %.2f / %.2f deg = %.2f%s;", g, r->turn.program, r->turn.truth, *ratio(*r),
                  *ratio(*r) <= 1.3 ? "" : " (over 1.3)");
    }
  }
  const Row* worst = Worst(rows, ratio);
  if (worst) {
    std::printf(" worst ratio of the glyphs with curves %.2f (%c); %d of %d within 1.3",
                *ratio(*worst), worst->glyph,
                Passing(rows, [&](const Row& r) { return r.curved && *ratio(r) <= 1.3; }),
                Passing(rows, [](const Row& r) { return r.curved; }));
  }
  std::printf("\n");
}

void PrintEdgeSummary(const std::vector<Row>& rows, int height) {
  const Row* rms = Worst(rows, [](const Row& r) { return r.rms; });
  const Row* ramp = Worst(rows, [](const Row& r) { return r.ramp; });
  std::printf("  straight:");
  if (rms) {
    std::printf(" A/V rms worst %.3f px (%c)", *rms->rms, rms->glyph);
    if (const auto bar = RmsBar(height))
      std::printf(", bar %.2f: %s", *bar, *rms->rms <= *bar ? "met" : "missed");
    std::printf(";");
  }
  if (ramp) {
    std::printf(" ramp worst %.2f px (%c); %d of %zu within 2 px", *ramp->ramp, ramp->glyph,
                Passing(rows, [](const Row& r) { return r.ramp.value_or(0) <= 2.0; }), rows.size());
  }
  std::printf("\n");
}

void PrintSummary(const std::vector<Row>& rows, int height, double seconds) {
  const double f = double(height) / kCell;
  std::printf("summary at %d (%.2f s):\n", height, seconds);
  PrintInkSummary(rows, height);
  PrintStemSummary(rows);
  PrintOutlineSummary(rows, f);
  PrintSmudgeSummary(rows);
  PrintTurnSummary(rows);
  PrintEdgeSummary(rows, height);
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const std::optional<Options> options = Parse(argc, argv);
  if (!options) return Usage(argv[0]);
  const std::optional<QFont> font = glyph_outline::LoadFont();
  if (!font) {
    std::fprintf(stderr, "cannot load %s\n", glyph_outline::kFontPath);
    return 1;
  }
  if (!options->dump.isEmpty() && !QDir().mkpath(options->dump)) {
    std::fprintf(stderr, "cannot make %s\n", qPrintable(options->dump));
    return 1;
  }
  Module1::InitMoji();
  CheckSheet(*font);
  QElapsedTimer total;
  total.start();
  for (const int height : options->heights) {
    QElapsedTimer timer;
    timer.start();
    PrintHead(height);
    std::vector<Row> rows;
    for (const char glyph : options->glyphs) {
      const Drawings d = Draw(*font, IndexOf(glyph), height);
      rows.push_back(Measure(d, IndexOf(glyph), height));
      PrintRow(rows.back(), double(height) / kCell);
      if (!options->dump.isEmpty()) Dump(options->dump, d, glyph, height);
    }
    PrintSummary(rows, height, timer.elapsed() / 1000.0);
  }
  std::printf("all in %.2f s\n", total.elapsed() / 1000.0);
  return 0;
}
