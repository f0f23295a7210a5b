#pragma once
// TBitmap32: the 32-bit ARGB surface every frame of the show is composed on.
//
// Pixels are TColor32 values A << 24 | R << 16 | G << 8 | B, stored row-major with row 0 at the
// top and no padding between rows (in memory, little-endian: B, G, R, A). Alpha 255 is opaque.
//
// Rounding rules of the blends (kept in one place so every kernel agrees):
//  - Blend of F onto B with alpha a (0..255), per colour channel:
//      B + (F - B) * a / 255, computed exactly as (B * 255 + (F - B) * a) / 255 rounded to the
//      nearest integer (t = B * 255 + (F - B) * a + 128; (t + (t >> 8)) >> 8).
//    a = 0 leaves B, a = 255 gives F. The alpha byte of the result becomes
//    A_B + (255 - A_B) * a / 255 rounded likewise (source-over coverage); nobody relies on it.
//  - dmBlend scales the source alpha first: a = round(A_F * MasterAlpha / 255), same rounding.
//  - The fade of the transitions (BlendFade) is the cheaper c += (alpha * (new - c)) >> 8
//    with an arithmetic shift, so it rounds towards minus infinity; its fourth byte is kept.
//  - Resamplers round each channel to nearest and clamp to 0..255.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "graphics/uGeometry.h"

namespace ky {

namespace kernels {
struct TKernelTable;
}

using TColor32 = uint32_t;

// Builds a colour from four 8-bit values, each taken modulo 256.
constexpr TColor32 MakeColor32(int R, int G, int B, int A = 255) {
  return (static_cast<TColor32>(A & 0xFF) << 24) | (static_cast<TColor32>(R & 0xFF) << 16) |
         (static_cast<TColor32>(G & 0xFF) << 8) | static_cast<TColor32>(B & 0xFF);
}
constexpr int AlphaComponent(TColor32 c) { return static_cast<int>(c >> 24); }
constexpr int RedComponent(TColor32 c) { return static_cast<int>((c >> 16) & 0xFF); }
constexpr int GreenComponent(TColor32 c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueComponent(TColor32 c) { return static_cast<int>(c & 0xFF); }
constexpr TColor32 SetAlpha(TColor32 c, int A) { return (c & 0x00FFFFFFu) | (static_cast<TColor32>(A & 0xFF) << 24); }

// Windows colour values (0x00BBGGRR) as authored files store them. Negative values (system
// colours) have no meaning here and are taken as their low 24 bits.
constexpr TColor32 Color32FromWinColor(int32_t win) {
  const uint32_t w = static_cast<uint32_t>(win);
  return MakeColor32(static_cast<int>(w & 0xFF), static_cast<int>((w >> 8) & 0xFF),
                     static_cast<int>((w >> 16) & 0xFF), 255);
}
constexpr int32_t WinColorFromColor32(TColor32 c) {
  return static_cast<int32_t>((static_cast<uint32_t>(BlueComponent(c)) << 16) |
                              (static_cast<uint32_t>(GreenComponent(c)) << 8) |
                              static_cast<uint32_t>(RedComponent(c)));
}

enum TDrawMode : uint8_t { dmOpaque, dmBlend, dmCustom, dmTransparent };
enum TCombineMode : uint8_t { cmBlend, cmMerge };
enum TWrapMode : uint8_t { wmClamp, wmRepeat, wmMirror };
enum TStretchFilter : uint8_t { sfNearest, sfDraft, sfLinear, sfCosine, sfSpline, sfLanczos, sfMitchell };

// dmCustom: computes the new destination B from the source F and the alpha M (0..255).
using TPixelCombineEvent = std::function<void(TColor32 F, TColor32& B, uint32_t M)>;
// dmCustom: alpha 0..255 for the source pixel at (column, row) of the drawn part; replaces
// MasterAlpha where it is consulted (block copies, sfDraft, sfLinear enlargement).
using TPixelAlphaEvent = std::function<uint32_t(int X, int Y)>;

// dmCustom, optional: combines a run of n source pixels onto dst at once, standing for
// OnPixelCombine and PixelAlpha pixel by pixel (it must give the same result). pixelAlpha tells
// whether this drawing consults PixelAlpha (then the offsets are (xOffsets[i] or i, row)) or
// uses masterAlpha for every pixel.
using TCombineRowEvent = std::function<void(TColor32* dst, const TColor32* src, int n, int row, const int* xOffsets,
                                            uint32_t masterAlpha, bool pixelAlpha)>;

// Raised when the pixel memory cannot be had or the size is above kMaxSurfacePixels
// (uPictureLimits.h); the surface is then 0 x 0.
class EBitmapError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TBitmap32 {
 public:
  TBitmap32() = default;
  TBitmap32(int width, int height);
  ~TBitmap32();
  TBitmap32(TBitmap32&& other) noexcept;
  TBitmap32& operator=(TBitmap32&& other) noexcept;
  // Copies are explicit (Assign): a surface can be many megabytes.
  TBitmap32(const TBitmap32&) = delete;
  TBitmap32& operator=(const TBitmap32&) = delete;

  // --- size and pixel access ---
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  bool Empty() const { return FWidth == 0 || FHeight == 0; }
  TRect BoundsRect() const { return TRect{0, 0, FWidth, FHeight}; }
  // A different size reallocates and zeroes every pixel; the same size keeps them. Negative
  // sizes count as 0. Resets the clip rectangle to the whole surface. Throws EBitmapError (and
  // leaves the surface 0 x 0) above kMaxSurfacePixels or when the memory cannot be had.
  void SetSize(int width, int height);
  void SetWidth(int width) { SetSize(width, FHeight); }
  void SetHeight(int height) { SetSize(FWidth, height); }

  TColor32* Bits() { return FBits.get(); }
  const TColor32* Bits() const { return FBits.get(); }
  TColor32* ScanLine(int y) { return FBits.get() + static_cast<size_t>(y) * static_cast<size_t>(FWidth); }
  const TColor32* ScanLine(int y) const {
    return FBits.get() + static_cast<size_t>(y) * static_cast<size_t>(FWidth);
  }
  // Unchecked: the caller stays inside the surface.
  TColor32 Pixel(int x, int y) const { return ScanLine(y)[x]; }
  void SetPixel(int x, int y, TColor32 c) { ScanLine(y)[x] = c; }
  // Checked forms: outside reads give 0, outside writes are ignored.
  TColor32 PixelS(int x, int y) const;
  void SetPixelS(int x, int y, TColor32 c);

  // --- copying ---
  // Same size and pixels, and DrawMode, CombineMode, WrapMode, MasterAlpha, OuterColor and
  // StretchFilter; the callbacks OnPixelCombine, PixelAlpha and OnCombineRow are not copied.
  void Assign(const TBitmap32& source);

  // --- whole-area writes (no blending, alpha overwritten) ---
  void Clear(TColor32 colour);
  // x1 <= x < x2, y1 <= y < y2; unclipped, the caller keeps the rectangle inside.
  void FillRect(int x1, int y1, int x2, int y2, TColor32 colour);
  // The same, clipped to the clip rectangle.
  void FillRectS(int x1, int y1, int x2, int y2, TColor32 colour);

  // --- blended drawing, clipped to the clip rectangle ---
  void BlendPixel(int x, int y, TColor32 colour);
  // x1 .. x2 inclusive, in either order.
  void BlendSpan(int x1, int y, int x2, TColor32 colour);
  // Bresenham from (x1, y1) towards (x2, y2); the end point only when last is true.
  void BlendLine(int x1, int y1, int x2, int y2, TColor32 colour, bool last = false);
  // The canvas ellipse of the clock's hub: a 1-pixel outline in pen and the inside in brush,
  // within box (right and bottom excluded), written without blending and clipped.
  void Ellipse(const TRect& box, TColor32 pen, TColor32 brush);

  // --- surface to surface, combined by the source's DrawMode, clipped ---
  void Draw(int x, int y, const TBitmap32& source);
  // Equal sizes: block copy; otherwise the source rectangle is resampled with the source's
  // StretchFilter.
  void Draw(const TRect& dest, const TRect& sourceRect, const TBitmap32& source);
  // The same with the resize kernels of the given table (graphics/uKernels.h) rather than
  // those in use, so each kernel level can be checked on one machine.
  void Draw(const TRect& dest, const TRect& sourceRect, const TBitmap32& source,
            const kernels::TKernelTable& resizeKernels);
  // Copies (stretching by nearest pixel when the sizes differ) sourceRect of source into dest,
  // all four bytes, ignoring draw modes; clipped to this surface's clip rectangle and to the
  // source. What a GDI stretch copy from another device context does.
  void DrawFromDC(const TRect& dest, const TRect& sourceRect, const TBitmap32& source);

  void FlipHorizontal();
  // The target takes this size and the mirrored pixels; this surface is unchanged.
  void FlipHorizontal(TBitmap32& target) const;

  // --- drawing properties ---
  TDrawMode DrawMode() const { return FDrawMode; }
  void SetDrawMode(TDrawMode m) { FDrawMode = m; }
  TCombineMode CombineMode() const { return FCombineMode; }
  void SetCombineMode(TCombineMode m) { FCombineMode = m; }
  TWrapMode WrapMode() const { return FWrapMode; }
  void SetWrapMode(TWrapMode m) { FWrapMode = m; }
  // Object workers change the master alpha while the drawing thread reads it.
  uint32_t MasterAlpha() const { return FMasterAlpha.load(std::memory_order_relaxed); }
  void SetMasterAlpha(uint32_t a) { FMasterAlpha.store(a > 255 ? 255u : a, std::memory_order_relaxed); }
  TColor32 OuterColor() const { return FOuterColor; }
  void SetOuterColor(TColor32 c) { FOuterColor = c; }
  TStretchFilter StretchFilter() const { return FStretchFilter; }
  void SetStretchFilter(TStretchFilter f) { FStretchFilter = f; }
  const TPixelCombineEvent& OnPixelCombine() const { return FOnPixelCombine; }
  void SetOnPixelCombine(TPixelCombineEvent e) { FOnPixelCombine = std::move(e); }
  const TPixelAlphaEvent& PixelAlpha() const { return FPixelAlpha; }
  void SetPixelAlpha(TPixelAlphaEvent e) { FPixelAlpha = std::move(e); }
  // Not copied by Assign, like the other callbacks.
  const TCombineRowEvent& OnCombineRow() const { return FOnCombineRow; }
  void SetOnCombineRow(TCombineRowEvent e) { FOnCombineRow = std::move(e); }

  // The area clipped operations may touch, kept inside the surface.
  const TRect& ClipRect() const { return FClipRect; }
  void SetClipRect(const TRect& r);
  void ResetClipRect() { FClipRect = BoundsRect(); }

 private:
  static TColor32* AllocatePixels(size_t bytes);
  struct TFreeDeleter {
    void operator()(TColor32* p) const noexcept;
  };

  int FWidth = 0;
  int FHeight = 0;
  std::unique_ptr<TColor32[], TFreeDeleter> FBits;
  TDrawMode FDrawMode = dmOpaque;
  TCombineMode FCombineMode = cmBlend;
  TWrapMode FWrapMode = wmClamp;
  std::atomic<uint32_t> FMasterAlpha{255};
  TColor32 FOuterColor = 0;
  TStretchFilter FStretchFilter = sfNearest;
  TPixelCombineEvent FOnPixelCombine;
  TPixelAlphaEvent FPixelAlpha;
  TCombineRowEvent FOnCombineRow;
  TRect FClipRect;
};

// --- blend primitives on plain values (the rules at the top of this file) ---
TColor32 BlendColor(TColor32 F, TColor32 B, uint32_t alpha);
// Blend F onto every pixel of a run, with F's own alpha.
void BlendSpanRaw(TColor32* dst, size_t count, TColor32 F);
// The transitions' fade: each of B, G, R: c += (alpha * (new - c)) >> 8; the fourth byte of dst
// is kept. alpha is 0..256.
void BlendFade(TColor32* dst, const TColor32* src, size_t count, int alpha);

}  // namespace ky
