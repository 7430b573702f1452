// The nearest of many line segments to a point, through a grid of buckets: the distances of
// the glyph measuring tool between outlines of thousands of segments, at any height in moments.
#pragma once

#include "Polylines.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace glyph_measure {

struct Nearest {
  double distance = std::numeric_limits<double>::infinity();
  int segment = -1;  // in the order the segments were given
};

inline double DistanceToSegment(QPointF p, QPointF a, QPointF b) {
  const QPointF d = b - a;
  const double length2 = QPointF::dotProduct(d, d);
  const double t = length2 > 0 ? std::clamp(QPointF::dotProduct(p - a, d) / length2, 0.0, 1.0) : 0;
  return Distance(p, a + d * t);
}

class SegmentGrid {
 public:
  // The segments of the closed polylines, numbered line by line, segment i of a line running
  // from its point i to the next.
  SegmentGrid(const std::vector<Polyline>& lines, double bucket) : bucket_(bucket) {
    for (const Polyline& line : lines) {
      for (std::size_t i = 0; i < line.size(); ++i)
        segments_.push_back({line[i], line[(i + 1) % line.size()]});
    }
    Bounds();
    Fill();
  }

  // The nearest segment, when one lies within limit.
  Nearest Find(QPointF p, double limit = std::numeric_limits<double>::infinity()) const {
    Nearest best;
    if (segments_.empty()) return best;
    const int cx = Column(p.x());
    const int cy = Row(p.y());
    // Ring r holds the buckets r away from p's; all beyond it lie at least r buckets from p.
    const int rings = std::max(columns_, rows_) + std::max(std::abs(cx), std::abs(cy));
    for (int r = 0; r <= rings; ++r) {
      for (int y = cy - r; y <= cy + r; ++y) {
        const bool edgeRow = y == cy - r || y == cy + r;
        for (int x = cx - r; x <= cx + r; x += edgeRow ? 1 : 2 * r)
          Visit(x, y, p, best);
        if (r == 0) break;
      }
      if (best.distance <= r * bucket_ || r * bucket_ > limit) break;
    }
    return best.distance <= limit ? best : Nearest{};
  }

 private:
  struct Segment {
    QPointF a;
    QPointF b;
  };

  void Bounds() {
    left_ = top_ = std::numeric_limits<double>::infinity();
    double right = -left_;
    double bottom = -top_;
    for (const Segment& s : segments_) {
      left_ = std::min({left_, s.a.x(), s.b.x()});
      top_ = std::min({top_, s.a.y(), s.b.y()});
      right = std::max({right, s.a.x(), s.b.x()});
      bottom = std::max({bottom, s.a.y(), s.b.y()});
    }
    columns_ = segments_.empty() ? 0 : int((right - left_) / bucket_) + 1;
    rows_ = segments_.empty() ? 0 : int((bottom - top_) / bucket_) + 1;
  }

  int Column(double x) const { return int(std::floor((x - left_) / bucket_)); }
  int Row(double y) const { return int(std::floor((y - top_) / bucket_)); }
  int ColumnInside(double x) const { return std::clamp(Column(x), 0, columns_ - 1); }
  int RowInside(double y) const { return std::clamp(Row(y), 0, rows_ - 1); }

  // Each segment in every bucket that a piece of it no longer than a bucket touches, so that a
  // long straight edge lands only in the buckets along it.
  void Fill() {
    std::vector<std::vector<int>> buckets(std::size_t(columns_) * std::size_t(rows_));
    for (int s = 0; s < int(segments_.size()); ++s) {
      const Segment& seg = segments_[std::size_t(s)];
      const int pieces = std::max(1, int(std::ceil(Distance(seg.a, seg.b) / bucket_)));
      for (int k = 0; k < pieces; ++k) {
        const QPointF a = seg.a + (seg.b - seg.a) * (double(k) / pieces);
        const QPointF b = seg.a + (seg.b - seg.a) * (double(k + 1) / pieces);
        const int top = RowInside(std::min(a.y(), b.y()));
        const int bottom = RowInside(std::max(a.y(), b.y()));
        const int left = ColumnInside(std::min(a.x(), b.x()));
        const int right = ColumnInside(std::max(a.x(), b.x()));
        for (int y = top; y <= bottom; ++y) {
          for (int x = left; x <= right; ++x) {
            std::vector<int>& bucket = buckets[std::size_t(y) * columns_ + x];
            if (bucket.empty() || bucket.back() != s) bucket.push_back(s);
          }
        }
      }
    }
    offsets_.assign(buckets.size() + 1, 0);
    for (std::size_t b = 0; b < buckets.size(); ++b)
      offsets_[b + 1] = offsets_[b] + int(buckets[b].size());
    members_.reserve(std::size_t(offsets_.back()));
    for (const std::vector<int>& bucket : buckets)
      members_.insert(members_.end(), bucket.begin(), bucket.end());
  }

  void Visit(int x, int y, QPointF p, Nearest& best) const {
    if (x < 0 || y < 0 || x >= columns_ || y >= rows_) return;
    const std::size_t b = std::size_t(y) * columns_ + x;
    for (int k = offsets_[b]; k < offsets_[b + 1]; ++k) {
      const Segment& s = segments_[std::size_t(members_[std::size_t(k)])];
      const double d = DistanceToSegment(p, s.a, s.b);
      if (d < best.distance) best = Nearest{d, members_[std::size_t(k)]};
    }
  }

  double bucket_;
  double left_ = 0;
  double top_ = 0;
  int columns_ = 0;
  int rows_ = 0;
  std::vector<Segment> segments_;
  std::vector<int> offsets_;  // bucket b holds members_[offsets_[b], offsets_[b + 1])
  std::vector<int> members_;
};

}  // namespace glyph_measure
