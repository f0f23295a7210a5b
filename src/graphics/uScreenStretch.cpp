#include "graphics/uScreenStretch.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace ky {

namespace {

// Filters one source row across: out[x] := per channel (s[x0] wl + s[x0 + 1] wr + 32) div 64.
void FilterRowPlain(uint32_t* out, const TColor32* s, const int32_t* x0, const uint8_t* w, int n, int sw, int x = 0) {
  for (; x < n; ++x) {
    const uint32_t a = s[x0[x]], b = s[std::min(x0[x] + 1, sw - 1)];
    const uint32_t wl = w[static_cast<size_t>(x) * 8], wr = w[static_cast<size_t>(x) * 8 + 1];
    uint32_t v = 0;
    for (int sh = 0; sh < 32; sh += 8) v |= ((((a >> sh) & 0xFF) * wl + ((b >> sh) & 0xFF) * wr + 32) >> 6) << sh;
    out[x] = v;
  }
}

// out := (r0 (64 - fy) + r1 fy + 32) div 64 per channel, opaque.
void BlendRowsPlain(uint32_t* out, const uint32_t* r0, const uint32_t* r1, uint32_t fy, int n, int x = 0) {
  for (; x < n; ++x) {
    uint32_t v = 0xFF000000u;
    for (int sh = 0; sh < 24; sh += 8)
      v |= ((((r0[x] >> sh) & 0xFF) * (64 - fy) + ((r1[x] >> sh) & 0xFF) * fy + 32) >> 6) << sh;
    out[x] = v;
  }
}

void FilterRowReference(uint32_t* out, const TColor32* s, const int32_t* x0, const uint8_t* w, int n, int sw) {
  FilterRowPlain(out, s, x0, w, n, sw);
}
void BlendRowsReference(uint32_t* out, const uint32_t* r0, const uint32_t* r1, uint32_t fy, int n) {
  BlendRowsPlain(out, r0, r1, fy, n);
}

#if defined(__x86_64__)
// Each pair (left, right) is one 8-byte load (every x0 is at most the width - 2); its channels
// are interleaved so that one multiply-add gives left * wl + right * wr per channel.
__attribute__((target("ssse3"))) void FilterRowSsse3(uint32_t* out, const TColor32* s, const int32_t* x0,
                                                     const uint8_t* w, int n, int sw) {
  int x = 0;
  if (sw > 1) {
    const __m128i order = _mm_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15);
    const __m128i half = _mm_set1_epi16(32);
    auto two = [&](int i) {
      const __m128i a = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + x0[i]));
      const __m128i b = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + x0[i + 1]));
      const __m128i pairs = _mm_shuffle_epi8(_mm_unpacklo_epi64(a, b), order);
      const __m128i weights = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w + static_cast<size_t>(i) * 8));
      return _mm_srli_epi16(_mm_add_epi16(_mm_maddubs_epi16(pairs, weights), half), 6);
    };
    for (; x + 4 <= n; x += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(two(x), two(x + 2)));
  }
  FilterRowPlain(out, s, x0, w, n, sw, x);
}

__attribute__((target("ssse3"))) void BlendRowsSsse3(uint32_t* out, const uint32_t* r0, const uint32_t* r1,
                                                     uint32_t fy, int n) {
  int x = 0;
  const __m128i weights = _mm_set1_epi16(static_cast<int16_t>((fy << 8) | (64 - fy)));
  const __m128i half = _mm_set1_epi16(32), opaque = _mm_set1_epi32(static_cast<int32_t>(0xFF000000u));
  for (; x + 4 <= n; x += 4) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r0 + x));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r1 + x));
    const __m128i lo = _mm_srli_epi16(_mm_add_epi16(_mm_maddubs_epi16(_mm_unpacklo_epi8(a, b), weights), half), 6);
    const __m128i hi = _mm_srli_epi16(_mm_add_epi16(_mm_maddubs_epi16(_mm_unpackhi_epi8(a, b), weights), half), 6);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_or_si128(_mm_packus_epi16(lo, hi), opaque));
  }
  BlendRowsPlain(out, r0, r1, fy, n, x);
}

// Pixels i, i + 1 filtered in the low lane, i + 2, i + 3 in the high lane, as 16-bit channels.
__attribute__((target("avx2"))) inline __m256i FourAvx2(const TColor32* s, const int32_t* x0, const uint8_t* w, int i,
                                                        __m256i order, __m256i half) {
  const __m128i a = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + x0[i]));
  const __m128i b = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + x0[i + 1]));
  const __m128i c = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + x0[i + 2]));
  const __m128i d = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + x0[i + 3]));
  const __m256i pairs = _mm256_shuffle_epi8(_mm256_set_m128i(_mm_unpacklo_epi64(c, d), _mm_unpacklo_epi64(a, b)), order);
  const __m256i weights = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(w + static_cast<size_t>(i) * 8));
  return _mm256_srli_epi16(_mm256_add_epi16(_mm256_maddubs_epi16(pairs, weights), half), 6);
}

// The same eight pixels a step. Every operation stays inside its 128-bit lane except the final
// reordering of the filtered pixels.
__attribute__((target("avx2"))) void FilterRowAvx2(uint32_t* out, const TColor32* s, const int32_t* x0,
                                                   const uint8_t* w, int n, int sw) {
  int x = 0;
  if (sw > 1) {
    const __m256i order = _mm256_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15, 0, 4, 1, 5, 2, 6, 3,
                                           7, 8, 12, 9, 13, 10, 14, 11, 15);
    const __m256i half = _mm256_set1_epi16(32);
    for (; x + 8 <= n; x += 8) {
      // Lanes after the pack: (x, x+1, x+4, x+5) and (x+2, x+3, x+6, x+7).
      const __m256i packed = _mm256_packus_epi16(FourAvx2(s, x0, w, x, order, half), FourAvx2(s, x0, w, x + 4, order, half));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), _mm256_permute4x64_epi64(packed, _MM_SHUFFLE(3, 1, 2, 0)));
    }
  }
  FilterRowPlain(out, s, x0, w, n, sw, x);
}

__attribute__((target("avx2"))) void BlendRowsAvx2(uint32_t* out, const uint32_t* r0, const uint32_t* r1,
                                                   uint32_t fy, int n) {
  int x = 0;
  const __m256i weights = _mm256_set1_epi16(static_cast<int16_t>((fy << 8) | (64 - fy)));
  const __m256i half = _mm256_set1_epi16(32), opaque = _mm256_set1_epi32(static_cast<int32_t>(0xFF000000u));
  for (; x + 8 <= n; x += 8) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(r0 + x));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(r1 + x));
    const __m256i lo = _mm256_srli_epi16(_mm256_add_epi16(_mm256_maddubs_epi16(_mm256_unpacklo_epi8(a, b), weights), half), 6);
    const __m256i hi = _mm256_srli_epi16(_mm256_add_epi16(_mm256_maddubs_epi16(_mm256_unpackhi_epi8(a, b), weights), half), 6);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), _mm256_or_si256(_mm256_packus_epi16(lo, hi), opaque));
  }
  BlendRowsPlain(out, r0, r1, fy, n, x);
}
#endif

using TFilterRow = void (*)(uint32_t*, const TColor32*, const int32_t*, const uint8_t*, int, int);
using TBlendRows = void (*)(uint32_t*, const uint32_t*, const uint32_t*, uint32_t, int);
#if defined(__x86_64__)
constexpr TFilterRow FilterRowFns[] = {FilterRowReference, FilterRowSsse3, FilterRowAvx2};
constexpr TBlendRows BlendRowsFns[] = {BlendRowsReference, BlendRowsSsse3, BlendRowsAvx2};
#else
constexpr TFilterRow FilterRowFns[] = {FilterRowReference, FilterRowReference, FilterRowReference};
constexpr TBlendRows BlendRowsFns[] = {BlendRowsReference, BlendRowsReference, BlendRowsReference};
#endif

}  // namespace

namespace {

// For a stretch of n source indices over m destination ones: from[j], the first destination
// index reading source index j or a later one; past[j], the first reading only later ones (m
// where there is none). Both source indices a destination index reads rise with it, so one
// sweep fills them.
void BuildReading(int n, int m, std::vector<int32_t>& from, std::vector<int32_t>& past) {
  from.assign(static_cast<size_t>(n) + 1, m);
  past.assign(static_cast<size_t>(n) + 1, m);
  int f = 0, q = 0;
  for (int i = 0; i < m; ++i) {
    const int32_t p = TScreenStretch::SamplePosition(i, n, m);
    const int j0 = p >> 6, j1 = (p & 63) != 0 ? std::min(j0 + 1, n - 1) : j0;
    for (; f <= j1; ++f) from[static_cast<size_t>(f)] = i;
    for (; q < j0; ++q) past[static_cast<size_t>(q)] = i;
  }
}

}  // namespace

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
  FY0.resize(static_cast<size_t>(dh));
  FFy.resize(static_cast<size_t>(dh));
  for (int y = 0; y < dh; ++y) {
    const int32_t p = SamplePosition(y, sh, dh);
    FY0[static_cast<size_t>(y)] = p >> 6;
    FFy[static_cast<size_t>(y)] = static_cast<uint8_t>(p & 63);
  }
  BuildReading(sw, dw, FColFrom, FColPast);
  BuildReading(sh, dh, FRowFrom, FRowPast);
}

const uint32_t* TScreenStretch::FilteredRow(const TBitmap32& source, int y, int left, int right) {
  for (int i = 0; i < 2; ++i)
    if (FRowOf[i] == y) return FRows[i].data();
  // Rows are asked for in rising order, so the lower cached row is not needed again.
  const int slot = FRowOf[0] <= FRowOf[1] ? 0 : 1;
  FRowOf[slot] = y;
  uint32_t* out = FRows[slot].data();
  FilterRowFns[static_cast<int>(FLevel)](out + left, source.ScanLine(y), FX0.data() + left,
                                         FWeights.data() + static_cast<size_t>(left) * 8, right - left, FSw);
  return out;
}

void TScreenStretch::RowsReading(int sourceFirst, int sourceLast, int sourceHeight, int height, int& first, int& end) {
  first = height;
  end = 0;
  if (height <= 0 || sourceHeight <= 0 || sourceLast < sourceFirst) return;
  // Both the first and the second source row a destination row reads rise with it: the rows
  // reading the span are one run, found by halving.
  auto rows = [&](int y, int& y0, int& y1) {
    const int32_t p = SamplePosition(y, sourceHeight, height);
    y0 = p >> 6;
    y1 = (p & 63) != 0 ? std::min(y0 + 1, sourceHeight - 1) : y0;
  };
  int lo = 0, hi = height;  // the first row whose second source row is at or past sourceFirst
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    int y0, y1;
    rows(mid, y0, y1);
    if (y1 >= sourceFirst) hi = mid;
    else lo = mid + 1;
  }
  const int from = lo;
  hi = height;  // the first row whose first source row is past sourceLast
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    int y0, y1;
    rows(mid, y0, y1);
    if (y0 > sourceLast) hi = mid;
    else lo = mid + 1;
  }
  if (lo > from) {
    first = from;
    end = lo;
  }
}

TRect TScreenStretch::AreaReading(const TRect& source, int sourceWidth, int sourceHeight, int width, int height) {
  const TRect a = IntersectRect(source, TRect{0, 0, sourceWidth, sourceHeight});
  if (a.IsEmpty() || width <= 0 || height <= 0) return TRect{};
  Prepare(sourceWidth, sourceHeight, width, height);
  const int left = FColFrom[static_cast<size_t>(a.Left)], right = FColPast[static_cast<size_t>(a.Right - 1)];
  const int top = FRowFrom[static_cast<size_t>(a.Top)], bottom = FRowPast[static_cast<size_t>(a.Bottom - 1)];
  if (right <= left || bottom <= top) return TRect{};
  return TRect{left, top, right, bottom};
}

void TScreenStretch::DrawRect(const TBitmap32& source, uint32_t* target, int width, int height, int stride, int left,
                              int top, int right, int bottom) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, width);
  bottom = std::min(bottom, height);
  if (left >= right || top >= bottom) return;
  const size_t bytes = sizeof(uint32_t) * static_cast<size_t>(right - left);
  if (source.Empty()) {
    for (int y = top; y < bottom; ++y)
      std::fill_n(target + static_cast<ptrdiff_t>(y) * stride + left, right - left, 0xFF000000u);
    return;
  }
  Prepare(source.Width(), source.Height(), width, height);
  FRowOf[0] = FRowOf[1] = -1;  // the source's pixels may have changed, and other columns were filtered
  int lastY0 = -1;
  uint32_t lastFy = 0;
  for (int y = top; y < bottom; ++y) {
    uint32_t* out = target + static_cast<ptrdiff_t>(y) * stride;
    const int y0 = FY0[static_cast<size_t>(y)], y1 = std::min(y0 + 1, FSh - 1);
    const uint32_t fy = FFy[static_cast<size_t>(y)];
    if (y > top && y0 == lastY0 && fy == lastFy) {
      // The same sample row as the row above: the same pixels.
      std::memcpy(out + left, out - stride + left, bytes);
      continue;
    }
    lastY0 = y0;
    lastFy = fy;
    const uint32_t* r0 = FilteredRow(source, y0, left, right);
    const uint32_t* r1 = fy == 0 ? r0 : FilteredRow(source, y1, left, right);
    BlendRowsFns[static_cast<int>(FLevel)](out + left, r0 + left, r1 + left, fy, right - left);
  }
}

}  // namespace ky
