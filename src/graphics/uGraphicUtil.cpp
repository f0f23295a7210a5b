#include "graphics/uGraphicUtil.h"

#include <algorithm>
#include <vector>

#include "graphics/uKernels.h"

namespace ky {

namespace {

void CopyOpaque(const TBitmap32& source, TBitmap32& dest) {
  for (int y = 0; y < dest.Height(); ++y) {
    const TColor32* s = source.ScanLine(y);
    TColor32* d = dest.ScanLine(y);
    for (int x = 0; x < dest.Width(); ++x) d[x] = s[x] | 0xFF000000u;
  }
}

void NearestOpaque(const TBitmap32& source, TBitmap32& dest) {
  const int64_t W = source.Width(), H = source.Height(), W2 = dest.Width(), H2 = dest.Height();
  std::vector<int> sx(static_cast<size_t>(W2));
  for (int64_t j = 0; j < W2; ++j) sx[j] = static_cast<int>(((2 * j + 1) * W) / (2 * W2));
  for (int64_t i = 0; i < H2; ++i) {
    const TColor32* s = source.ScanLine(static_cast<int>(((2 * i + 1) * H) / (2 * H2)));
    TColor32* d = dest.ScanLine(static_cast<int>(i));
    for (int64_t j = 0; j < W2; ++j) d[j] = s[sx[j]] | 0xFF000000u;
  }
}

}  // namespace

void ResizeBilinear(const TBitmap32& source, TBitmap32& dest) { ResizeBilinear(source, dest, kernels::Kernels()); }

void ResizeBilinear(const TBitmap32& source, TBitmap32& dest, const kernels::TKernelTable& k) {
  const int W = source.Width(), H = source.Height(), W2 = dest.Width(), H2 = dest.Height();
  if (source.Empty() || dest.Empty()) return;
  if (W == W2 && H == H2) {
    CopyOpaque(source, dest);
    return;
  }
  if (W == 1) {
    NearestOpaque(source, dest);
    return;
  }
  // 15-bit fixed point: destination (j, i) samples the source at (j (W - 1) / W', i (H - 1) / H').
  const int64_t xstep = (int64_t{W - 1} * 32768) / W2;
  const int64_t ystep = (int64_t{H - 1} * 32768) / H2;
  std::vector<int32_t> x0(static_cast<size_t>(W2)), fx(static_cast<size_t>(W2));
  for (int j = 0; j < W2; ++j) {
    const int64_t p = j * xstep;
    x0[j] = static_cast<int32_t>(p >> 15);
    fx[j] = static_cast<int32_t>(p & 32767);
  }
  for (int i = 0; i < H2; ++i) {
    const int64_t p = i * ystep;
    const int y0 = static_cast<int>(p >> 15);
    const int32_t fy = static_cast<int32_t>(p & 32767);
    // A source one row high has fy = 0 everywhere: its second row has weight 0 and is the
    // first row again rather than a row past the end.
    const int y1 = std::min(y0 + 1, H - 1);
    k.BilinearRow(dest.ScanLine(i), source.ScanLine(y0), source.ScanLine(y1), x0.data(), fx.data(),
                  static_cast<size_t>(W2), fy);
  }
}

void Greyscale(TBitmap32& bitmap) {
  TColor32* p = bitmap.Bits();
  const size_t n = static_cast<size_t>(bitmap.Width()) * static_cast<size_t>(bitmap.Height());
  for (size_t i = 0; i < n; ++i) {
    const uint32_t c = p[i];
    const uint32_t g = (((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) + (c & 0xFF)) / 3;
    p[i] = (c & 0xFF000000u) | (g << 16) | (g << 8) | g;
  }
}

TColor32 MixColour(TColor32 colour1, TColor32 colour2, int percent) {
  auto mix = [percent](int c1, int c2) {
    // 64-bit: percent comes from callers and is not bounded by the formula.
    const int64_t v = 255 - ((int64_t{255 - c1} * percent + int64_t{255 - c2} * 100) / 100);
    return static_cast<int>(std::clamp<int64_t>(v, 0, 255));
  };
  return MakeColor32(mix(RedComponent(colour1), RedComponent(colour2)),
                     mix(GreenComponent(colour1), GreenComponent(colour2)),
                     mix(BlueComponent(colour1), BlueComponent(colour2)), 255);
}

void StretchLanczos(TBitmap32& source, TBitmap32& dest) { StretchLanczos(source, dest, kernels::Kernels()); }

void StretchLanczos(TBitmap32& source, TBitmap32& dest, const kernels::TKernelTable& k) {
  source.SetStretchFilter(sfLanczos);
  dest.SetStretchFilter(sfLanczos);
  dest.Draw(dest.BoundsRect(), source.BoundsRect(), source, k);
}

void SetBitmapSize(TBitmap32& bitmap, int width, int height, TPixelFormat) { bitmap.SetSize(width, height); }

}  // namespace ky
