#include "scene/records/uRegionCodes.h"

#include <cstdint>

#if defined(__SSE4_1__)
#include <immintrin.h>
#endif

namespace ky {

namespace {
constexpr TColor32 kRegionColours[kRegionCodeCount] = {0x000000, 0x0000FF, 0xFF00FF, 0xFF0000,
                                                       0xFFFF00, 0x00FF00, 0x00FFFF};
}  // namespace

TColor32 RegionColour(int code) {
  return code > 0 && code < kRegionCodeCount ? kRegionColours[code] : kRegionColours[0];
}

namespace {
// The six region colours have every channel 0 or 0xFF, each a different choice of the three.
// So a pixel's code is decided by which channels are 0xFF, once every channel is 0 or 0xFF:
// entry r * 4 + g * 2 + b (one bit per full channel) of this table.
struct TCodeByChannels {
  uint8_t Code[8] = {};
  constexpr TCodeByChannels() {
    for (int code = 1; code < kRegionCodeCount; ++code) {
      const TColor32 c = kRegionColours[code];
      Code[((c >> 21) & 4) | ((c >> 14) & 2) | ((c >> 7) & 1)] = static_cast<uint8_t>(code);
    }
  }
};
constexpr TCodeByChannels kCodeByChannels;

constexpr bool ColoursAreDistinctChoicesOfFullChannels() {
  bool used[8] = {};
  for (int code = 0; code < kRegionCodeCount; ++code) {
    const TColor32 c = kRegionColours[code];
    for (int s = 0; s < 24; s += 8)
      if (((c >> s) & 0xFF) != 0 && ((c >> s) & 0xFF) != 0xFF) return false;
    const uint32_t index = ((c >> 21) & 4) | ((c >> 14) & 2) | ((c >> 7) & 1);
    if (used[index] || index == 7) return false;
    used[index] = true;
  }
  return true;
}
static_assert(ColoursAreDistinctChoicesOfFullChannels(), "the code table needs 0/0xFF channels, one pattern a code");
}  // namespace

int RegionCodeOf(TColor32 pixel) {
  const TColor32 rgb = pixel & 0x00FFFFFFu;
  const TColor32 top = rgb & 0x00808080u;
  // Each channel becomes 0xFF where its top bit is set; a pixel equal to that has only 0 and
  // 0xFF channels.
  const TColor32 full = (top >> 7) * 0xFFu;
  const uint32_t index = ((rgb >> 21) & 4) | ((rgb >> 14) & 2) | ((rgb >> 7) & 1);
  return full == rgb ? kCodeByChannels.Code[index] : 0;
}

int EqualPixelRunEnd(const TColor32* row, int x, int n) {
  const TColor32 v = row[x];
  int e = x + 1;
#if defined(__SSE4_1__)
  const __m128i vv = _mm_set1_epi32(static_cast<int>(v));
  auto same4 = [&](int at) {
    return _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + at)), vv);
  };
  // Sixteen at a time while all match, then four at a time to find where the run ends.
  for (; e + 16 <= n; e += 16) {
    const __m128i all = _mm_and_si128(_mm_and_si128(same4(e), same4(e + 4)), _mm_and_si128(same4(e + 8), same4(e + 12)));
    if (_mm_movemask_ps(_mm_castsi128_ps(all)) != 0xF) break;
  }
  for (; e + 4 <= n; e += 4) {
    const int same = _mm_movemask_ps(_mm_castsi128_ps(same4(e)));
    if (same != 0xF) return e + __builtin_ctz(static_cast<unsigned>(~same));
  }
#endif
  while (e < n && row[e] == v) ++e;
  return e;
}

}  // namespace ky
