#pragma once
// Internal: the vector helpers of the fast water kernels, one set per kernel level that has them.
#include <cstdint>

#include "graphics/uBitmap32.h"

namespace ky {

// Column-wave arguments are worked out this many at a time.
constexpr int kColumnChunk = 256;

struct TWaterSimd {
  // The cosine indices of n (at most kColumnChunk) columns at base, base + dir, ...:
  // t = x * slope + phase rounded to u, then |u| mod cycle mod 360. Columns whose t lies within
  // 1e-6 of a half-way point or is huge get their bit set in redo; the caller must compute those
  // with the exact formula. Returns whether any bit is set.
  bool (*ColumnIndices)(int n, double base, double dir, double slope, double phase, double cycle, double invCycle,
                        int* idx, uint64_t* redo);
  // The column arguments of n (at most kColumnChunk) columns at base, base + dir, ...:
  // e[i] := t rounded, t = (base + dir * i) * slope + offset, with the bit of column i set in
  // redo where t lies within 1e-6 of a half-way point (those columns need the exact formula).
  // Returns whether any bit is set. The caller keeps 1 <= t < 2^30.
  bool (*ReducedArguments)(int n, double base, double dir, double slope, double offset, int32_t* e, uint64_t* redo);
  // dst[x] := src[x] where region[x] == k.
  void (*MaskedCopy)(TColor32* dst, const TColor32* src, const int16_t* region, int k, int n);
  // dst[x] := src[x] where both regions are k.
  void (*MaskedCopy2)(TColor32* dst, const TColor32* src, const int16_t* regionA, const int16_t* regionB, int k,
                      int n);
};

// The helpers built for the baseline processor (SSE4.1 on x86-64), and the AVX2 ones (the
// baseline ones where the build has none).
const TWaterSimd& WaterSimdSse41();
const TWaterSimd& WaterSimdAvx2();

}  // namespace ky
