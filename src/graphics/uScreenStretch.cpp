#include "graphics/uScreenStretch.h"

#include <algorithm>
#include <cstring>

#if defined(__SSSE3__)
#include <tmmintrin.h>
#endif

namespace ky {

int32_t TScreenStretch::SamplePosition(int i, int n, int m) {
  const int64_t num = ((int64_t{2} * i + 1) * n - m) * 64, d = int64_t{2} * m;
  const int64_t p = num >= 0 ? num / d : -((-num + d - 1) / d);  // rounding down
  return static_cast<int32_t>(std::clamp<int64_t>(p, 0, int64_t{n - 1} * 64));
}

void TScreenStretch::Prepare(int sw, int sh, int dw, int dh) {
  if (sw == FSw && sh == FSh && dw == FDw && dh == FDh) return;
  FSw = sw;
  FSh = sh;
  FDw = dw;
  FDh = dh;
  FX0.resize(static_cast<size_t>(dw));
  FWeights.resize(static_cast<size_t>(dw) * 8);
  for (int x = 0; x < dw; ++x) {
    const int32_t p = SamplePosition(x, sw, dw);
    int x0 = p >> 6, right = p & 63;
    // At the right edge x1 = x0: the same pixel as all of the pair one column to the left.
    if (x0 == sw - 1 && sw > 1) {
      x0 = sw - 2;
      right = 64;
    }
    FX0[x] = x0;
    for (int c = 0; c < 4; ++c) {
      FWeights[static_cast<size_t>(x) * 8 + 2 * c] = static_cast<uint8_t>(64 - right);
      FWeights[static_cast<size_t>(x) * 8 + 2 * c + 1] = static_cast<uint8_t>(right);
    }
  }
  for (auto& r : FRows) r.assign(static_cast<size_t>(dw) + 4, 0);
}

const uint32_t* TScreenStretch::FilteredRow(const TBitmap32& source, int y) {
  for (int i = 0; i < 2; ++i)
    if (FRowOf[i] == y) return FRows[i].data();
  // Rows are asked for in rising order, so the lower cached row is not needed again.
  const int slot = FRowOf[0] <= FRowOf[1] ? 0 : 1;
  FRowOf[slot] = y;
  uint32_t* out = FRows[slot].data();
  const TColor32* s = source.ScanLine(y);
  const int32_t* x0 = FX0.data();
  const uint8_t* w = FWeights.data();
  int x = 0;
  if (FSw > 1) {
#if defined(__SSSE3__)
    // Each pair (left, right) is one 8-byte load; its channels are interleaved so that one
    // multiply-add gives left * wl + right * wr per channel.
    const __m128i order = _mm_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15);
    const __m128i half = _mm_set1_epi16(32);
    auto two = [&](int i) {
      const __m128i a = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + x0[i]));
      const __m128i b = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + x0[i + 1]));
      const __m128i pairs = _mm_shuffle_epi8(_mm_unpacklo_epi64(a, b), order);
      const __m128i weights = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w + static_cast<size_t>(i) * 8));
      return _mm_srli_epi16(_mm_add_epi16(_mm_maddubs_epi16(pairs, weights), half), 6);
    };
    for (; x + 4 <= FDw; x += 4)
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(two(x), two(x + 2)));
#endif
  }
  for (; x < FDw; ++x) {
    const uint32_t a = s[x0[x]], b = s[std::min(x0[x] + 1, FSw - 1)];
    const uint32_t wl = w[static_cast<size_t>(x) * 8], wr = w[static_cast<size_t>(x) * 8 + 1];
    uint32_t v = 0;
    for (int sh = 0; sh < 32; sh += 8) v |= ((((a >> sh) & 0xFF) * wl + ((b >> sh) & 0xFF) * wr + 32) >> 6) << sh;
    out[x] = v;
  }
  return out;
}

namespace {

// out := (r0 (64 - fy) + r1 fy + 32) div 64 per channel, opaque.
void BlendRows(uint32_t* out, const uint32_t* r0, const uint32_t* r1, uint32_t fy, int n) {
  int x = 0;
#if defined(__SSSE3__)
  const __m128i weights = _mm_set1_epi16(static_cast<int16_t>(((fy) << 8) | (64 - fy)));
  const __m128i half = _mm_set1_epi16(32), opaque = _mm_set1_epi32(static_cast<int32_t>(0xFF000000u));
  for (; x + 4 <= n; x += 4) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r0 + x));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r1 + x));
    const __m128i lo = _mm_srli_epi16(_mm_add_epi16(_mm_maddubs_epi16(_mm_unpacklo_epi8(a, b), weights), half), 6);
    const __m128i hi = _mm_srli_epi16(_mm_add_epi16(_mm_maddubs_epi16(_mm_unpackhi_epi8(a, b), weights), half), 6);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_or_si128(_mm_packus_epi16(lo, hi), opaque));
  }
#endif
  for (; x < n; ++x) {
    uint32_t v = 0xFF000000u;
    for (int sh = 0; sh < 24; sh += 8)
      v |= ((((r0[x] >> sh) & 0xFF) * (64 - fy) + ((r1[x] >> sh) & 0xFF) * fy + 32) >> 6) << sh;
    out[x] = v;
  }
}

}  // namespace

void TScreenStretch::Draw(const TBitmap32& source, uint32_t* target, int width, int height, int stride) {
  if (width <= 0 || height <= 0) return;
  if (source.Empty()) {
    for (int y = 0; y < height; ++y) std::fill_n(target + static_cast<ptrdiff_t>(y) * stride, width, 0xFF000000u);
    return;
  }
  Prepare(source.Width(), source.Height(), width, height);
  FRowOf[0] = FRowOf[1] = -1;  // the source's pixels may have changed since the last frame
  int lastY0 = -1;
  uint32_t lastFy = 0;
  for (int y = 0; y < height; ++y) {
    uint32_t* out = target + static_cast<ptrdiff_t>(y) * stride;
    const int32_t p = SamplePosition(y, FSh, height);
    const int y0 = p >> 6, y1 = std::min(y0 + 1, FSh - 1);
    const auto fy = static_cast<uint32_t>(p & 63);
    if (y > 0 && y0 == lastY0 && fy == lastFy) {
      // The same sample row as the row above: the same pixels.
      std::memcpy(out, out - stride, sizeof(uint32_t) * static_cast<size_t>(width));
      continue;
    }
    lastY0 = y0;
    lastFy = fy;
    const uint32_t* r0 = FilteredRow(source, y0);
    const uint32_t* r1 = fy == 0 ? r0 : FilteredRow(source, y1);
    BlendRows(out, r0, r1, fy, width);
  }
}

}  // namespace ky
