#pragma once
// Clip regions for the transition effects: sets of pixels kept as sorted, disjoint spans per row.
//
// Which pixels a shape holds (the rules every shape and every test here follows):
//  - Rectangle (l, t, r, b): the pixels with l <= x < r and t <= y < b.
//  - Polygon (integer vertices): pixel (x, y) is sampled at the point (x, y). On row y an edge
//    from (x0, y0) to (x1, y1) counts when min(y0, y1) <= y < max(y0, y1) (horizontal edges never
//    count), crossing at the exact rational x. Between crossings a and b the pixels
//    ceil(a) <= x < ceil(b) take the winding number of that interval, so a polygon drawn along a
//    rectangle's outline holds exactly that rectangle's pixels, and two polygons that share an
//    edge split the pixels along it without overlap.
//  - Ellipse and round rectangle in the box (l, t, r, b): sampled at the pixel centre
//    (x + 0.5, y + 0.5), which is inside when it lies in the box with its corners cut by
//    quarter ellipses of the given width and height (clamped to the box); the edge itself is
//    inside. An ellipse is a round rectangle whose corner ellipse is the whole box.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/uGeometry.h"

namespace ky {

struct TSpan {
  int Left = 0;   // first pixel
  int Right = 0;  // one past the last pixel
};

enum TPolyFillRule : uint8_t { frAlternate, frWinding };
// The ways of combining two regions: RGN_AND, RGN_OR, RGN_XOR and RGN_DIFF.
enum TRegionOp : uint8_t { roAnd, roOr, roXor, roDiff };

class TRegion {
 public:
  TRegion() = default;  // empty

  static TRegion Rect(int left, int top, int right, int bottom);
  static TRegion Polygon(const std::vector<TPoint>& points, TPolyFillRule rule = frWinding);
  static TRegion Ellipse(int left, int top, int right, int bottom);
  static TRegion RoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);

  // This region combined with other (this op other).
  TRegion Combine(const TRegion& other, TRegionOp op) const;
  TRegion Union(const TRegion& other) const { return Combine(other, roOr); }
  TRegion Intersect(const TRegion& other) const { return Combine(other, roAnd); }
  TRegion Subtract(const TRegion& other) const { return Combine(other, roDiff); }
  TRegion Xor(const TRegion& other) const { return Combine(other, roXor); }

  bool IsEmpty() const { return FSpans.empty(); }
  // Rows FTop .. FTop + RowCount() - 1 are stored (some may be empty).
  int Top() const { return FTop; }
  int RowCount() const { return FRowStart.empty() ? 0 : static_cast<int>(FRowStart.size()) - 1; }
  // The spans of row y, left to right; none outside the stored rows.
  const TSpan* RowBegin(int y) const;
  const TSpan* RowEnd(int y) const;
  bool Contains(int x, int y) const;
  // The smallest rectangle holding every pixel; all zero when empty.
  TRect BoundsRect() const;
  size_t SpanCount() const { return FSpans.size(); }
  // The number of pixels held.
  int64_t Area() const;

 private:
  friend class TRegionBuilder;
  friend class TComplexRegion;
  int FTop = 0;
  std::vector<uint32_t> FRowStart;  // RowCount() + 1 offsets into FSpans
  std::vector<TSpan> FSpans;
};

// Collects spans and shapes and makes their union in one pass (cheaper than combining
// hundreds of shapes pairwise).
class TRegionBuilder {
 public:
  void Clear() { FItems.clear(); }
  // Empty spans are ignored.
  void AddSpan(int y, int left, int right);
  void AddRect(int left, int top, int right, int bottom);
  void AddPolygon(const std::vector<TPoint>& points, TPolyFillRule rule = frWinding);
  void AddRoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
  void AddEllipse(int left, int top, int right, int bottom);
  void AddRegion(const TRegion& region);
  bool Empty() const { return FItems.empty(); }
  TRegion Build() const;

 private:
  struct TItem {
    int Y, Left, Right;
  };
  std::vector<TItem> FItems;
};

// A growable list of rectangles with its running bounding box; MakeRegion gives their union.
class TComplexRegion {
 public:
  TComplexRegion();
  void Clear();
  void AddRect(int left, int top, int right, int bottom);
  size_t Count() const { return FRects.size(); }
  const std::vector<TRect>& Rects() const { return FRects; }
  // Left and top start at the largest integer, right and bottom at the smallest integer + 1.
  const TRect& Bounds() const { return FBounds; }
  TRegion MakeRegion() const;

 private:
  static constexpr size_t kGrowBy = 500;
  std::vector<TRect> FRects;
  TRect FBounds;
};

}  // namespace ky
