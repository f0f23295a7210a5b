#include "saver/effects/uEffectDraw.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace ky {

namespace {

// A readable window onto source pixels: (x, y) in source coordinates, inside Valid only.
struct TSourceView {
  const TColor32* Bits;  // pixel (Valid.Left, Valid.Top)
  int Stride;
  TRect Valid;
  const TColor32* Row(int y) const { return Bits + static_cast<size_t>(y - Valid.Top) * static_cast<size_t>(Stride); }
};

// Destination index range [first, last) of i for which the destination coordinate (x + i, or
// x - i when mirrored) lies in [0, limit).
void VisibleRange(int x, int count, bool mirrored, int limit, int& first, int& last) {
  if (!mirrored) {
    first = std::max(0, -x);
    last = std::min(count, limit - x);
  } else {
    first = std::max(0, x - limit + 1);
    last = std::min(count, x + 1);
  }
  if (last < first) last = first;
}

int NearestSource(int i, int srcSize, int destSize) {
  return static_cast<int>((static_cast<int64_t>(2 * i + 1) * srcSize) / (2 * static_cast<int64_t>(destSize)));
}

void StretchFromView(TBitmap32& dest, int x, int y, int cw, int ch, const TSourceView& view, int sx, int sy, int sw,
                     int sh) {
  const bool mirrorX = cw < 0, mirrorY = ch < 0;
  const int dw = mirrorX ? -cw : cw, dh = mirrorY ? -ch : ch;
  int i0, i1, j0, j1;
  VisibleRange(x, dw, mirrorX, dest.Width(), i0, i1);
  VisibleRange(y, dh, mirrorY, dest.Height(), j0, j1);
  if (i0 >= i1 || j0 >= j1) return;

  // Source column of every visible destination column, -1 where it falls outside the source.
  const int n = i1 - i0;
  std::vector<int> columns(static_cast<size_t>(n));
  bool allInside = true;
  for (int i = i0; i < i1; ++i) {
    const int c = sx + NearestSource(i, sw, dw);
    const bool inside = c >= view.Valid.Left && c < view.Valid.Right;
    columns[static_cast<size_t>(i - i0)] = inside ? c - view.Valid.Left : -1;
    allInside = allInside && inside;
  }
  const int firstX = mirrorX ? x - i0 : x + i0;  // destination column of i0
  const int step = mirrorX ? -1 : 1;

  int lastSourceRow = -1;
  TColor32* lastRow = nullptr;
  for (int j = j0; j < j1; ++j) {
    const int r = sy + NearestSource(j, sh, dh);
    if (r < view.Valid.Top || r >= view.Valid.Bottom) continue;
    const int dy = mirrorY ? y - j : y + j;
    TColor32* d = dest.ScanLine(dy);
    if (allInside && r == lastSourceRow && lastRow) {
      // Enlarging repeats source rows: the row just written is the same.
      const int left = mirrorX ? firstX - (n - 1) : firstX;
      std::memcpy(d + left, lastRow + left, static_cast<size_t>(n) * sizeof(TColor32));
      continue;
    }
    const TColor32* s = view.Row(r);
    int dx = firstX;
    for (int k = 0; k < n; ++k, dx += step) {
      const int c = columns[static_cast<size_t>(k)];
      if (c >= 0) d[dx] = s[c];
    }
    lastSourceRow = r;
    lastRow = d;
  }
}

}  // namespace

void CopyBlock(TBitmap32& dest, int x, int y, int cw, int ch, const TBitmap32& src, int sx, int sy) {
  if (cw <= 0 || ch <= 0) return;
  // Clip to the destination, then to the source, keeping both corners in step.
  int x0 = x, y0 = y, x1 = x + cw, y1 = y + ch;
  x0 = std::max({x0, 0, x - sx});
  y0 = std::max({y0, 0, y - sy});
  x1 = std::min({x1, dest.Width(), x - sx + src.Width()});
  y1 = std::min({y1, dest.Height(), y - sy + src.Height()});
  if (x0 >= x1 || y0 >= y1) return;
  const size_t bytes = static_cast<size_t>(x1 - x0) * sizeof(TColor32);
  const int ox = sx - x, oy = sy - y;
  if (&src == &dest && oy < 0) {
    // Moving down within one frame: go bottom-up so no row is read after it was written.
    for (int ty = y1 - 1; ty >= y0; --ty)
      std::memmove(dest.ScanLine(ty) + x0, src.ScanLine(ty + oy) + x0 + ox, bytes);
  } else {
    for (int ty = y0; ty < y1; ++ty)
      std::memmove(dest.ScanLine(ty) + x0, src.ScanLine(ty + oy) + x0 + ox, bytes);
  }
}

void StretchBlock(TBitmap32& dest, int x, int y, int cw, int ch, const TBitmap32& src, int sx, int sy, int sw,
                  int sh) {
  if (cw == 0 || ch == 0 || sw <= 0 || sh <= 0) return;
  const TRect block = IntersectRect(TRect{sx, sy, sx + sw, sy + sh}, src.BoundsRect());
  if (block.IsEmpty()) return;
  if (&src != &dest) {
    const TSourceView view{src.ScanLine(block.Top) + block.Left, src.Width(), block};
    StretchFromView(dest, x, y, cw, ch, view, sx, sy, sw, sh);
    return;
  }
  // Stretching a frame onto itself reads pixels it has already written; work from a snapshot of
  // the source block.
  const int bw = block.Width(), bh = block.Height();
  std::vector<TColor32> snapshot(static_cast<size_t>(bw) * static_cast<size_t>(bh));
  for (int r = 0; r < bh; ++r)
    std::memcpy(snapshot.data() + static_cast<size_t>(r) * bw, src.ScanLine(block.Top + r) + block.Left,
                static_cast<size_t>(bw) * sizeof(TColor32));
  const TSourceView view{snapshot.data(), bw, block};
  StretchFromView(dest, x, y, cw, ch, view, sx, sy, sw, sh);
}

void ClipCopy(TBitmap32& dest, const TBitmap32& src, const TRegion& region) {
  const int w = std::min(dest.Width(), src.Width());
  const int h = std::min(dest.Height(), src.Height());
  const int top = std::max(0, region.Top());
  const int bottom = std::min(h, region.Top() + region.RowCount());
  for (int y = top; y < bottom; ++y) {
    TColor32* d = dest.ScanLine(y);
    const TColor32* s = src.ScanLine(y);
    for (const TSpan* sp = region.RowBegin(y); sp != region.RowEnd(y); ++sp) {
      const int l = std::max(sp->Left, 0), r = std::min(sp->Right, w);
      if (l < r) std::memcpy(d + l, s + l, static_cast<size_t>(r - l) * sizeof(TColor32));
    }
  }
}

void FadeBlock(TBitmap32& dest, const TBitmap32& src, const TRect& block, int alpha) {
  const TRect r = IntersectRect(IntersectRect(block, dest.BoundsRect()), src.BoundsRect());
  if (r.IsEmpty()) return;
  for (int y = r.Top; y < r.Bottom; ++y)
    BlendFade(dest.ScanLine(y) + r.Left, src.ScanLine(y) + r.Left, static_cast<size_t>(r.Width()), alpha);
}

}  // namespace ky
