#include "saver/effects/uRegion.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace ky {

namespace {

// ceil(n / d) for d > 0, exact.
int64_t CeilDiv(int64_t n, int64_t d) {
  int64_t q = n / d;
  if (n % d != 0 && n > 0) ++q;
  return q;
}

int ClampToInt(int64_t v) {
  if (v < INT_MIN / 2) return INT_MIN / 2;
  if (v > INT_MAX / 2) return INT_MAX / 2;
  return static_cast<int>(v);
}

bool Apply(TRegionOp op, bool a, bool b) {
  switch (op) {
    case roAnd:
      return a && b;
    case roOr:
      return a || b;
    case roXor:
      return a != b;
    case roDiff:
      return a && !b;
  }
  return false;
}

// Merges the spans of one row of a and of b by op, appending the result to out.
void CombineRow(const TSpan* a, const TSpan* aEnd, const TSpan* b, const TSpan* bEnd, TRegionOp op,
                std::vector<TSpan>& out) {
  bool inA = false, inB = false, in = false;
  int start = 0;
  for (;;) {
    const int nextA = a != aEnd ? (inA ? a->Right : a->Left) : INT_MAX;
    const int nextB = b != bEnd ? (inB ? b->Right : b->Left) : INT_MAX;
    const int x = std::min(nextA, nextB);
    if (x == INT_MAX) break;
    if (nextA == x) {
      if (inA) ++a;
      inA = !inA;
    }
    if (nextB == x) {
      if (inB) ++b;
      inB = !inB;
    }
    const bool now = Apply(op, inA, inB);
    if (now != in) {
      if (now)
        start = x;
      else
        out.push_back(TSpan{start, x});
      in = now;
    }
  }
}

}  // namespace

// ---------------------------------------------------------------- TRegion

TRegion TRegion::Rect(int left, int top, int right, int bottom) {
  TRegionBuilder b;
  b.AddRect(left, top, right, bottom);
  return b.Build();
}

TRegion TRegion::Polygon(const std::vector<TPoint>& points, TPolyFillRule rule) {
  TRegionBuilder b;
  b.AddPolygon(points, rule);
  return b.Build();
}

TRegion TRegion::Ellipse(int left, int top, int right, int bottom) {
  TRegionBuilder b;
  b.AddEllipse(left, top, right, bottom);
  return b.Build();
}

TRegion TRegion::RoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) {
  TRegionBuilder b;
  b.AddRoundRect(left, top, right, bottom, ellipseWidth, ellipseHeight);
  return b.Build();
}

const TSpan* TRegion::RowBegin(int y) const {
  const int row = y - FTop;
  if (row < 0 || row >= RowCount()) return nullptr;
  return FSpans.data() + FRowStart[row];
}

const TSpan* TRegion::RowEnd(int y) const {
  const int row = y - FTop;
  if (row < 0 || row >= RowCount()) return nullptr;
  return FSpans.data() + FRowStart[row + 1];
}

bool TRegion::Contains(int x, int y) const {
  for (const TSpan* s = RowBegin(y); s != RowEnd(y); ++s)
    if (x >= s->Left && x < s->Right) return true;
  return false;
}

TRect TRegion::BoundsRect() const {
  if (IsEmpty()) return TRect{};
  TRect r{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (int row = 0; row < RowCount(); ++row) {
    if (FRowStart[row] == FRowStart[row + 1]) continue;
    const int y = FTop + row;
    r.Top = std::min(r.Top, y);
    r.Bottom = std::max(r.Bottom, y + 1);
    r.Left = std::min(r.Left, FSpans[FRowStart[row]].Left);
    r.Right = std::max(r.Right, FSpans[FRowStart[row + 1] - 1].Right);
  }
  return r;
}

int64_t TRegion::Area() const {
  int64_t n = 0;
  for (const TSpan& s : FSpans) n += s.Right - s.Left;
  return n;
}

TRegion TRegion::Combine(const TRegion& other, TRegionOp op) const {
  TRegion r;
  const bool thisRows = RowCount() > 0, otherRows = other.RowCount() > 0;
  if (!thisRows && !otherRows) return r;
  int top, bottom;
  if (!thisRows) {
    top = other.FTop;
    bottom = other.FTop + other.RowCount();
  } else if (!otherRows) {
    top = FTop;
    bottom = FTop + RowCount();
  } else {
    top = std::min(FTop, other.FTop);
    bottom = std::max(FTop + RowCount(), other.FTop + other.RowCount());
  }
  r.FTop = top;
  r.FRowStart.reserve(static_cast<size_t>(bottom - top) + 1);
  r.FRowStart.push_back(0);
  r.FSpans.reserve(FSpans.size() + other.FSpans.size());
  for (int y = top; y < bottom; ++y) {
    CombineRow(RowBegin(y), RowEnd(y), other.RowBegin(y), other.RowEnd(y), op, r.FSpans);
    r.FRowStart.push_back(static_cast<uint32_t>(r.FSpans.size()));
  }
  if (r.FSpans.empty()) return TRegion();
  return r;
}

// ---------------------------------------------------------------- TRegionBuilder

void TRegionBuilder::AddSpan(int y, int left, int right) {
  if (right > left) FItems.push_back(TItem{y, left, right});
}

void TRegionBuilder::AddRect(int left, int top, int right, int bottom) {
  if (right <= left || bottom <= top) return;
  for (int y = top; y < bottom; ++y) FItems.push_back(TItem{y, left, right});
}

void TRegionBuilder::AddPolygon(const std::vector<TPoint>& points, TPolyFillRule rule) {
  const size_t n = points.size();
  if (n < 3) return;
  struct TEdge {
    int64_t X0, Y0, X1, Y1;  // Y0 < Y1
    int Dir;
  };
  std::vector<TEdge> edges;
  edges.reserve(n);
  int64_t ymin = INT64_MAX, ymax = INT64_MIN;
  for (size_t i = 0; i < n; ++i) {
    const TPoint& p = points[i];
    const TPoint& q = points[(i + 1) % n];
    if (p.Y == q.Y) continue;
    if (p.Y < q.Y)
      edges.push_back(TEdge{p.X, p.Y, q.X, q.Y, 1});
    else
      edges.push_back(TEdge{q.X, q.Y, p.X, p.Y, -1});
    ymin = std::min<int64_t>(ymin, std::min(p.Y, q.Y));
    ymax = std::max<int64_t>(ymax, std::max(p.Y, q.Y));
  }
  if (edges.empty()) return;
  struct TCross {
    int64_t X;
    int Dir;
  };
  std::vector<TCross> cross;
  cross.reserve(edges.size());
  for (int64_t y = ymin; y < ymax; ++y) {
    cross.clear();
    for (const TEdge& e : edges) {
      if (y < e.Y0 || y >= e.Y1) continue;
      const int64_t dy = e.Y1 - e.Y0;
      cross.push_back(TCross{CeilDiv(e.X0 * dy + (y - e.Y0) * (e.X1 - e.X0), dy), e.Dir});
    }
    std::sort(cross.begin(), cross.end(), [](const TCross& a, const TCross& b) { return a.X < b.X; });
    int winding = 0;
    bool in = false;
    int64_t start = 0;
    for (size_t i = 0; i < cross.size();) {
      const int64_t x = cross[i].X;
      // All crossings at one position change the winding together.
      for (; i < cross.size() && cross[i].X == x; ++i) winding += cross[i].Dir;
      const bool now = rule == frWinding ? winding != 0 : (winding & 1) != 0;
      if (now != in) {
        if (now)
          start = x;
        else
          AddSpan(ClampToInt(y), ClampToInt(start), ClampToInt(x));
        in = now;
      }
    }
  }
}

void TRegionBuilder::AddRoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) {
  if (right <= left || bottom <= top) return;
  const double rx = std::clamp(ellipseWidth, 0, right - left) / 2.0;
  const double ry = std::clamp(ellipseHeight, 0, bottom - top) / 2.0;
  for (int y = top; y < bottom; ++y) {
    const double py = y + 0.5;
    const double dy = std::max({0.0, top + ry - py, py - (bottom - ry)});
    if (dy == 0.0 || rx == 0.0) {
      AddSpan(y, left, right);
      continue;
    }
    const double t = dy / ry;
    if (t > 1.0) continue;
    const double ex = rx * std::sqrt(1.0 - t * t);
    const double l = left + rx - ex, r = right - rx + ex;
    // Pixel x is inside when l <= x + 0.5 <= r.
    const int xl = static_cast<int>(std::ceil(l - 0.5));
    const int xr = static_cast<int>(std::floor(r - 0.5)) + 1;
    AddSpan(y, std::max(xl, left), std::min(xr, right));
  }
}

void TRegionBuilder::AddEllipse(int left, int top, int right, int bottom) {
  AddRoundRect(left, top, right, bottom, right - left, bottom - top);
}

void TRegionBuilder::AddRegion(const TRegion& region) {
  for (int row = 0; row < region.RowCount(); ++row)
    for (uint32_t i = region.FRowStart[row]; i < region.FRowStart[row + 1]; ++i)
      FItems.push_back(TItem{region.FTop + row, region.FSpans[i].Left, region.FSpans[i].Right});
}

TRegion TRegionBuilder::Build() const {
  TRegion r;
  if (FItems.empty()) return r;
  int top = INT_MAX, bottom = INT_MIN;
  for (const TItem& it : FItems) {
    top = std::min(top, it.Y);
    bottom = std::max(bottom, it.Y + 1);
  }
  const size_t rows = static_cast<size_t>(bottom - top);
  // Counting sort by row, then each row sorted by left end and merged.
  std::vector<uint32_t> start(rows + 1, 0);
  for (const TItem& it : FItems) ++start[static_cast<size_t>(it.Y - top) + 1];
  for (size_t i = 0; i < rows; ++i) start[i + 1] += start[i];
  std::vector<TSpan> sorted(FItems.size());
  {
    std::vector<uint32_t> fill(start.begin(), start.end() - 1);
    for (const TItem& it : FItems) sorted[fill[static_cast<size_t>(it.Y - top)]++] = TSpan{it.Left, it.Right};
  }
  r.FTop = top;
  r.FRowStart.reserve(rows + 1);
  r.FRowStart.push_back(0);
  r.FSpans.reserve(sorted.size());
  for (size_t row = 0; row < rows; ++row) {
    const auto b = sorted.begin() + start[row], e = sorted.begin() + start[row + 1];
    std::sort(b, e, [](const TSpan& x, const TSpan& y) { return x.Left < y.Left; });
    const size_t first = r.FSpans.size();
    for (auto it = b; it != e; ++it) {
      // Touching spans join, so every row stays a list of disjoint, non-adjacent spans.
      if (r.FSpans.size() > first && it->Left <= r.FSpans.back().Right)
        r.FSpans.back().Right = std::max(r.FSpans.back().Right, it->Right);
      else
        r.FSpans.push_back(*it);
    }
    r.FRowStart.push_back(static_cast<uint32_t>(r.FSpans.size()));
  }
  return r;
}

// ---------------------------------------------------------------- TComplexRegion

TComplexRegion::TComplexRegion() { Clear(); }

void TComplexRegion::Clear() {
  FRects.clear();
  FBounds = TRect{INT_MAX, INT_MAX, INT_MIN + 1, INT_MIN + 1};
}

void TComplexRegion::AddRect(int left, int top, int right, int bottom) {
  if (FRects.size() == FRects.capacity()) FRects.reserve(FRects.size() + kGrowBy);
  FRects.push_back(TRect{left, top, right, bottom});
  FBounds.Left = std::min(FBounds.Left, left);
  FBounds.Top = std::min(FBounds.Top, top);
  FBounds.Right = std::max(FBounds.Right, right);
  FBounds.Bottom = std::max(FBounds.Bottom, bottom);
}

TRegion TComplexRegion::MakeRegion() const {
  // Rectangles span many rows but change only at their top and bottom edges: sweep the bands
  // between consecutive edges, join the rectangles active in each band once, and repeat that
  // row for every row of the band.
  std::vector<const TRect*> byTop;
  byTop.reserve(FRects.size());
  std::vector<int> edges;
  edges.reserve(2 * FRects.size());
  for (const TRect& r : FRects) {
    if (r.IsEmpty()) continue;
    byTop.push_back(&r);
    edges.push_back(r.Top);
    edges.push_back(r.Bottom);
  }
  TRegion result;
  if (byTop.empty()) return result;
  std::sort(byTop.begin(), byTop.end(), [](const TRect* a, const TRect* b) { return a->Top < b->Top; });
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

  result.FTop = edges.front();
  result.FRowStart.reserve(static_cast<size_t>(edges.back() - edges.front()) + 1);
  result.FRowStart.push_back(0);
  std::vector<const TRect*> active;
  std::vector<TSpan> intervals, band;
  size_t next = 0;
  for (size_t e = 0; e + 1 < edges.size(); ++e) {
    const int y0 = edges[e], y1 = edges[e + 1];
    active.erase(std::remove_if(active.begin(), active.end(), [y0](const TRect* r) { return r->Bottom <= y0; }),
                 active.end());
    while (next < byTop.size() && byTop[next]->Top <= y0) active.push_back(byTop[next++]);
    intervals.clear();
    for (const TRect* r : active) intervals.push_back(TSpan{r->Left, r->Right});
    std::sort(intervals.begin(), intervals.end(), [](const TSpan& a, const TSpan& b) { return a.Left < b.Left; });
    band.clear();
    for (const TSpan& sp : intervals) {
      if (!band.empty() && sp.Left <= band.back().Right)
        band.back().Right = std::max(band.back().Right, sp.Right);
      else
        band.push_back(sp);
    }
    for (int y = y0; y < y1; ++y) {
      result.FSpans.insert(result.FSpans.end(), band.begin(), band.end());
      result.FRowStart.push_back(static_cast<uint32_t>(result.FSpans.size()));
    }
  }
  return result;
}

}  // namespace ky
