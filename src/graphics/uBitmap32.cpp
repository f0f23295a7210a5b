#include "graphics/uBitmap32.h"


#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "graphics/uBlend.h"
#include "graphics/uPictureLimits.h"
#include "graphics/uResample.h"
#include "platform/uMemory.h"

namespace ky {

namespace {

// The source pixels a stretched draw covers after clamping sourceRect to the source, with the
// destination shrunk in proportion when the source rectangle reached outside.
bool ClampSourceRect(TRect& dest, TRect& src, const TBitmap32& source) {
  if (dest.IsEmpty() || src.IsEmpty()) return false;
  const TRect bounds = source.BoundsRect();
  const TRect clamped = IntersectRect(src, bounds);
  if (clamped.IsEmpty()) return false;
  if (clamped != src) {
    const int64_t dw = dest.Width(), dh = dest.Height(), sw = src.Width(), sh = src.Height();
    TRect d = dest;
    d.Left = dest.Left + static_cast<int>((clamped.Left - src.Left) * dw / sw);
    d.Right = dest.Left + static_cast<int>((clamped.Right - src.Left) * dw / sw);
    d.Top = dest.Top + static_cast<int>((clamped.Top - src.Top) * dh / sh);
    d.Bottom = dest.Top + static_cast<int>((clamped.Bottom - src.Top) * dh / sh);
    dest = d;
    src = clamped;
  }
  return !dest.IsEmpty();
}

}  // namespace

void TBitmap32::TFreeDeleter::operator()(TColor32* p) const noexcept { std::free(p); }

TBitmap32::TBitmap32(int width, int height) { SetSize(width, height); }

TBitmap32::~TBitmap32() = default;

TBitmap32::TBitmap32(TBitmap32&& other) noexcept
    : FWidth(other.FWidth),
      FHeight(other.FHeight),
      FBits(std::move(other.FBits)),
      FDrawMode(other.FDrawMode),
      FCombineMode(other.FCombineMode),
      FWrapMode(other.FWrapMode),
      FMasterAlpha(other.MasterAlpha()),
      FOuterColor(other.FOuterColor),
      FStretchFilter(other.FStretchFilter),
      FOnPixelCombine(std::move(other.FOnPixelCombine)),
      FPixelAlpha(std::move(other.FPixelAlpha)),
      FOnCombineRow(std::move(other.FOnCombineRow)),
      FClipRect(other.FClipRect) {
  other.FWidth = other.FHeight = 0;
  other.FClipRect = TRect{};
}

TBitmap32& TBitmap32::operator=(TBitmap32&& other) noexcept {
  if (this == &other) return *this;
  FWidth = other.FWidth;
  FHeight = other.FHeight;
  FBits = std::move(other.FBits);
  FDrawMode = other.FDrawMode;
  FCombineMode = other.FCombineMode;
  FWrapMode = other.FWrapMode;
  SetMasterAlpha(other.MasterAlpha());
  FOuterColor = other.FOuterColor;
  FStretchFilter = other.FStretchFilter;
  FOnPixelCombine = std::move(other.FOnPixelCombine);
  FPixelAlpha = std::move(other.FPixelAlpha);
  FOnCombineRow = std::move(other.FOnCombineRow);
  FClipRect = other.FClipRect;
  other.FWidth = other.FHeight = 0;
  other.FClipRect = TRect{};
  return *this;
}

void TBitmap32::SetSize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == FWidth && height == FHeight) return;
  FBits.reset();
  FWidth = FHeight = 0;
  FClipRect = TRect{};
  const uint64_t count = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
  if (count == 0) {
    // A zero-area surface still remembers its other dimension, as the size properties do.
    FWidth = width;
    FHeight = height;
    FClipRect = BoundsRect();
    return;
  }
  if (count > static_cast<uint64_t>(kMaxSurfacePixels))
    throw EBitmapError("surface too large (" + std::to_string(width) + " \u00d7 " + std::to_string(height) +
                       " pixels, at most " + std::to_string(kMaxSurfacePixels) + ")");
  TColor32* p = AllocatePixels(static_cast<size_t>(count) * sizeof(TColor32));
  if (p == nullptr) throw EBitmapError("Can't allocate the DIB handle");
  FBits.reset(p);
  FWidth = width;
  FHeight = height;
  FClipRect = BoundsRect();
}

// Zeroed pixel memory; small surfaces come from calloc, frame-sized ones in huge pages.
TColor32* TBitmap32::AllocatePixels(size_t bytes) {
  if (bytes < (size_t{2} << 20)) return static_cast<TColor32*>(std::calloc(bytes, 1));
  void* p = AllocateLarge(bytes);
  if (p) std::memset(p, 0, bytes);
  return static_cast<TColor32*>(p);
}

TColor32 TBitmap32::PixelS(int x, int y) const {
  if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return 0;
  return Pixel(x, y);
}

void TBitmap32::SetPixelS(int x, int y, TColor32 c) {
  if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return;
  SetPixel(x, y, c);
}

void TBitmap32::Assign(const TBitmap32& source) {
  if (&source == this) return;
  SetSize(source.FWidth, source.FHeight);
  if (FBits && source.FBits)
    std::memcpy(FBits.get(), source.FBits.get(),
                static_cast<size_t>(FWidth) * static_cast<size_t>(FHeight) * sizeof(TColor32));
  FDrawMode = source.FDrawMode;
  FCombineMode = source.FCombineMode;
  FWrapMode = source.FWrapMode;
  SetMasterAlpha(source.MasterAlpha());
  FOuterColor = source.FOuterColor;
  FStretchFilter = source.FStretchFilter;
}

void TBitmap32::Clear(TColor32 colour) {
  if (!FBits) return;
  std::fill_n(FBits.get(), static_cast<size_t>(FWidth) * static_cast<size_t>(FHeight), colour);
}

void TBitmap32::FillRect(int x1, int y1, int x2, int y2, TColor32 colour) {
  if (x2 <= x1) return;
  for (int y = y1; y < y2; ++y) std::fill(ScanLine(y) + x1, ScanLine(y) + x2, colour);
}

void TBitmap32::FillRectS(int x1, int y1, int x2, int y2, TColor32 colour) {
  const TRect r = IntersectRect(TRect{x1, y1, x2, y2}, FClipRect);
  if (!r.IsEmpty()) FillRect(r.Left, r.Top, r.Right, r.Bottom, colour);
}

void TBitmap32::SetClipRect(const TRect& r) { FClipRect = IntersectRect(r, BoundsRect()); }

// --- blended drawing ---

void TBitmap32::BlendPixel(int x, int y, TColor32 colour) {
  if (!FClipRect.Contains(x, y)) return;
  TColor32& b = ScanLine(y)[x];
  b = FCombineMode == cmMerge ? MergeColor(colour, b) : BlendColor(colour, b, colour >> 24);
}

void TBitmap32::BlendSpan(int x1, int y, int x2, TColor32 colour) {
  if (y < FClipRect.Top || y >= FClipRect.Bottom) return;
  if (x1 > x2) std::swap(x1, x2);
  x1 = std::max(x1, FClipRect.Left);
  x2 = std::min(x2, FClipRect.Right - 1);
  if (x1 > x2) return;
  TColor32* p = ScanLine(y) + x1;
  const size_t n = static_cast<size_t>(x2 - x1 + 1);
  if (FCombineMode == cmMerge) {
    for (size_t i = 0; i < n; ++i) p[i] = MergeColor(colour, p[i]);
  } else {
    BlendSpanRaw(p, n, colour);
  }
}

void TBitmap32::BlendLine(int x1, int y1, int x2, int y2, TColor32 colour, bool last) {
  const int64_t dx = std::abs(int64_t{x2} - x1), dy = std::abs(int64_t{y2} - y1);
  const int sx = x2 >= x1 ? 1 : -1, sy = y2 >= y1 ? 1 : -1;
  if (dx == 0 && dy == 0) {
    if (last) BlendPixel(x1, y1, colour);
    return;
  }
  if (dy == 0) {
    // A horizontal line is its span without (or with) the end point.
    BlendSpan(x1, y1, last ? x2 : x2 - sx, colour);
    return;
  }
  // The minor coordinate is the nearest to the exact line, halves going forward:
  // minor(i) = (2 i dmin + dmaj) div (2 dmaj). Only the steps whose major coordinate lies inside
  // the clip rectangle are walked, so a line far outside costs nothing.
  const bool xMajor = dx >= dy;
  const int64_t dmaj = xMajor ? dx : dy, dmin = xMajor ? dy : dx;
  const int64_t start = xMajor ? x1 : y1, step = xMajor ? sx : sy;
  const int64_t lo = xMajor ? FClipRect.Left : FClipRect.Top, hi = (xMajor ? FClipRect.Right : FClipRect.Bottom) - 1;
  int64_t i0 = 0, i1 = last ? dmaj : dmaj - 1;
  if (step > 0) {
    i0 = std::max(i0, lo - start);
    i1 = std::min(i1, hi - start);
  } else {
    i0 = std::max(i0, start - hi);
    i1 = std::min(i1, start - lo);
  }
  for (int64_t i = i0; i <= i1; ++i) {
    const int64_t major = start + step * i;
    const int64_t minor = (xMajor ? y1 : x1) + (xMajor ? sy : sx) * ((2 * i * dmin + dmaj) / (2 * dmaj));
    if (xMajor) BlendPixel(static_cast<int>(major), static_cast<int>(minor), colour);
    else BlendPixel(static_cast<int>(minor), static_cast<int>(major), colour);
  }
}

void TBitmap32::Ellipse(const TRect& box, TColor32 pen, TColor32 brush) {
  if (box.IsEmpty()) return;
  // Pixel centres inside the ellipse inscribed in the box (right and bottom edges excluded).
  const double cx = (box.Left + box.Right - 1) / 2.0, cy = (box.Top + box.Bottom - 1) / 2.0;
  const double rx = (box.Width() - 1) / 2.0 + 0.5, ry = (box.Height() - 1) / 2.0 + 0.5;
  auto inside = [&](int x, int y) {
    if (x < box.Left || x >= box.Right || y < box.Top || y >= box.Bottom) return false;
    const double u = (x - cx) / rx, v = (y - cy) / ry;
    return u * u + v * v <= 1.0;
  };
  const TRect area = IntersectRect(box, FClipRect);
  for (int y = area.Top; y < area.Bottom; ++y) {
    for (int x = area.Left; x < area.Right; ++x) {
      if (!inside(x, y)) continue;
      const bool edge = !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
      ScanLine(y)[x] = edge ? pen : brush;
    }
  }
}

// --- surface to surface ---

void TBitmap32::Draw(int x, int y, const TBitmap32& source) {
  Draw(TRect{x, y, x + source.Width(), y + source.Height()}, source.BoundsRect(), source);
}

void TBitmap32::Draw(const TRect& dest, const TRect& sourceRect, const TBitmap32& source) {
  Draw(dest, sourceRect, source, kernels::Kernels());
}

void TBitmap32::Draw(const TRect& dest, const TRect& sourceRect, const TBitmap32& source,
                     const kernels::TKernelTable& resizeKernels) {
  if (Empty() || source.Empty()) return;
  TRect d = dest, s = sourceRect;
  if (!ClampSourceRect(d, s, source)) return;
  const TRect c = IntersectRect(d, FClipRect);
  if (c.IsEmpty()) return;

  const TDrawMode mode =
      source.DrawMode() == dmCustom && !source.OnPixelCombine() ? dmOpaque : source.DrawMode();
  const uint32_t master = source.MasterAlpha();
  if (mode == dmBlend && master == 0) return;

  // Drawing a surface onto itself reads a private copy, so no pixel is read after being written.
  TBitmap32 copy;
  const TBitmap32* src = &source;
  if (&source == this) {
    copy.Assign(source);
    src = &copy;
  }

  TCombineContext ctx;
  ctx.Mode = mode;
  ctx.Merge = source.CombineMode() == cmMerge;
  ctx.MasterAlpha = master;
  ctx.OuterColor = source.OuterColor();
  ctx.Combine = mode == dmCustom ? &source.OnPixelCombine() : nullptr;
  ctx.Alpha = mode == dmCustom && source.PixelAlpha() ? &source.PixelAlpha() : nullptr;
  ctx.Row = mode == dmCustom && source.OnCombineRow() ? &source.OnCombineRow() : nullptr;

  if (d.Width() == s.Width() && d.Height() == s.Height()) {
    // Block copy: the offsets are those of the source pixel within the drawn part.
    const int sx = s.Left + (c.Left - d.Left), sy = s.Top + (c.Top - d.Top);
    const int w = c.Width();
    for (int row = 0; row < c.Height(); ++row) {
      const TColor32* sp = src->ScanLine(sy + row) + sx;
      TColor32* dp = ScanLine(c.Top + row) + c.Left;
      CombineRow(ctx, dp, sp, w, row, nullptr);
    }
    return;
  }
  StretchDraw(*this, d, c, *src, s, ctx, source.StretchFilter(), resizeKernels);
}

void TBitmap32::DrawFromDC(const TRect& dest, const TRect& sourceRect, const TBitmap32& source) {
  if (Empty() || source.Empty()) return;
  TRect d = dest, s = sourceRect;
  if (!ClampSourceRect(d, s, source)) return;
  const TRect c = IntersectRect(d, FClipRect);
  if (c.IsEmpty()) return;
  TBitmap32 copy;
  const TBitmap32* src = &source;
  if (&source == this) {
    copy.Assign(source);
    src = &copy;
  }
  TCombineContext ctx;  // opaque
  StretchDraw(*this, d, c, *src, s, ctx, sfNearest, kernels::Kernels());
}

void TBitmap32::FlipHorizontal() {
  for (int y = 0; y < FHeight; ++y) std::reverse(ScanLine(y), ScanLine(y) + FWidth);
}

void TBitmap32::FlipHorizontal(TBitmap32& target) const {
  if (&target == this) {
    target.FlipHorizontal();
    return;
  }
  target.SetSize(FWidth, FHeight);
  for (int y = 0; y < FHeight; ++y) std::reverse_copy(ScanLine(y), ScanLine(y) + FWidth, target.ScanLine(y));
}

}  // namespace ky
