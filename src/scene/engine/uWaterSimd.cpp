// The vector helpers of the fast water kernels. Each level has its own functions: the baseline
// ones are built for the processors every build supports (SSE4.1 on x86-64), the AVX2 ones with
// the avx2 target, so that the level in use is a choice of table, not of the processor alone.
#include "scene/engine/uWaterSimd.h"

#include <cmath>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace ky {

namespace {

// The bodies the plain loops of each level share; always inlined, so each level's function
// vectorises them at its own width.
__attribute__((always_inline)) inline void MaskedCopyBody(TColor32* __restrict dst, const TColor32* __restrict src,
                                                          const int16_t* __restrict region, int k, int n) {
  const auto kk = static_cast<int16_t>(k);
  // Every pixel is stored so the loop vectorises.
  for (int i = 0; i < n; ++i) dst[i] = region[i] == kk ? src[i] : dst[i];
}

__attribute__((always_inline)) inline void MaskedCopy2Body(TColor32* __restrict dst, const TColor32* __restrict src,
                                                           const int16_t* __restrict regionA,
                                                           const int16_t* __restrict regionB, int k, int n) {
  const auto kk = static_cast<int16_t>(k);
  for (int i = 0; i < n; ++i) dst[i] = ((regionA[i] == kk) & (regionB[i] == kk)) ? src[i] : dst[i];
}

void MaskedCopy(TColor32* dst, const TColor32* src, const int16_t* region, int k, int n) {
  MaskedCopyBody(dst, src, region, k, n);
}

void MaskedCopy2(TColor32* dst, const TColor32* src, const int16_t* regionA, const int16_t* regionB, int k, int n) {
  MaskedCopy2Body(dst, src, regionA, regionB, k, n);
}

// Columns i .. n - 1 of ColumnIndices, one at a time.
uint64_t ColumnIndicesTail(int i, int n, double base, double dir, double slope, double phase, double cycle,
                           double invCycle, int* __restrict idx, uint64_t* __restrict redo) {
  uint64_t any = 0;
  for (; i < n; ++i) {
    const double t = (base + dir * i) * slope + phase;
    const double r = std::nearbyint(t);
    if (std::fabs(t - r) >= 0.5 - 1e-6 || std::fabs(t) >= 1e8) {
      redo[i >> 6] |= uint64_t{1} << (i & 63);
      any = 1;
      idx[i] = 0;
      continue;
    }
    const double a = std::fabs(r);
    const double m = a - cycle * static_cast<int>((a + 0.5) * invCycle);
    idx[i] = static_cast<int>(m - 360.0 * static_cast<int>((m + 0.5) * (1.0 / 360)));
  }
  return any;
}

bool ColumnIndices(int n, double base, double dir, double slope, double phase, double cycle, double invCycle,
                   int* __restrict idx, uint64_t* __restrict redo) {
  int i = 0;
  for (int w = 0; w < kColumnChunk / 64; ++w) redo[w] = 0;
  uint64_t any = 0;
#if defined(__SSE4_1__)
  const __m128d signMask = _mm_set1_pd(-0.0);
  const __m128d tieLimit = _mm_set1_pd(0.5 - 1e-6), bigLimit = _mm_set1_pd(1e8);
  const __m128d vSlope = _mm_set1_pd(slope), vPhase = _mm_set1_pd(phase), vHalf = _mm_set1_pd(0.5);
  const __m128d vCycle = _mm_set1_pd(cycle), vInvCycle = _mm_set1_pd(invCycle);
  const __m128d v360 = _mm_set1_pd(360.0), vInv360 = _mm_set1_pd(1.0 / 360);
  const __m128d step = _mm_set1_pd(2 * dir);
  __m128d x = _mm_set_pd(base + dir, base);
  for (; i + 2 <= n; i += 2, x = _mm_add_pd(x, step)) {
    const __m128d t = _mm_add_pd(_mm_mul_pd(x, vSlope), vPhase);
    const __m128d r = _mm_round_pd(t, _MM_FROUND_CUR_DIRECTION | _MM_FROUND_NO_EXC);
    const __m128d at = _mm_andnot_pd(signMask, t);
    const __m128d e = _mm_andnot_pd(signMask, _mm_sub_pd(t, r));
    const auto bits = static_cast<uint64_t>(
        _mm_movemask_pd(_mm_or_pd(_mm_cmpge_pd(e, tieLimit), _mm_cmpge_pd(at, bigLimit))));
    redo[i >> 6] |= bits << (i & 63);
    any |= bits;
    const __m128d a = _mm_and_pd(_mm_andnot_pd(signMask, r), _mm_cmplt_pd(at, bigLimit));
    const __m128d q = _mm_cvtepi32_pd(_mm_cvttpd_epi32(_mm_mul_pd(_mm_add_pd(a, vHalf), vInvCycle)));
    const __m128d m = _mm_sub_pd(a, _mm_mul_pd(vCycle, q));
    const __m128d q2 = _mm_cvtepi32_pd(_mm_cvttpd_epi32(_mm_mul_pd(_mm_add_pd(m, vHalf), vInv360)));
    const __m128d d = _mm_sub_pd(m, _mm_mul_pd(v360, q2));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(idx + i), _mm_cvttpd_epi32(d));
  }
#endif
  any |= ColumnIndicesTail(i, n, base, dir, slope, phase, cycle, invCycle, idx, redo);
  return any != 0;
}

#if defined(__x86_64__)
// The same four columns at a time (AVX2 machines).
__attribute__((target("avx2"))) bool ColumnIndicesAvx2(int n, double base, double dir, double slope,
                                                        double phase, double cycle, double invCycle,
                                                        int* __restrict idx, uint64_t* __restrict redo) {
  int i = 0;
  for (int w = 0; w < kColumnChunk / 64; ++w) redo[w] = 0;
  uint64_t any = 0;
  const __m256d signMask = _mm256_set1_pd(-0.0);
  const __m256d tieLimit = _mm256_set1_pd(0.5 - 1e-6), bigLimit = _mm256_set1_pd(1e8);
  const __m256d vSlope = _mm256_set1_pd(slope), vPhase = _mm256_set1_pd(phase), vHalf = _mm256_set1_pd(0.5);
  const __m256d vCycle = _mm256_set1_pd(cycle), vInvCycle = _mm256_set1_pd(invCycle);
  const __m256d v360 = _mm256_set1_pd(360.0), vInv360 = _mm256_set1_pd(1.0 / 360);
  const __m256d step = _mm256_set1_pd(4 * dir);
  __m256d x = _mm256_set_pd(base + 3 * dir, base + 2 * dir, base + dir, base);
  for (; i + 4 <= n; i += 4, x = _mm256_add_pd(x, step)) {
    const __m256d t = _mm256_add_pd(_mm256_mul_pd(x, vSlope), vPhase);
    const __m256d r = _mm256_round_pd(t, _MM_FROUND_CUR_DIRECTION | _MM_FROUND_NO_EXC);
    const __m256d at = _mm256_andnot_pd(signMask, t);
    const __m256d e = _mm256_andnot_pd(signMask, _mm256_sub_pd(t, r));
    const auto bits = static_cast<uint64_t>(_mm256_movemask_pd(
        _mm256_or_pd(_mm256_cmp_pd(e, tieLimit, _CMP_GE_OQ), _mm256_cmp_pd(at, bigLimit, _CMP_GE_OQ))));
    redo[i >> 6] |= bits << (i & 63);
    any |= bits;
    const __m256d a = _mm256_and_pd(_mm256_andnot_pd(signMask, r), _mm256_cmp_pd(at, bigLimit, _CMP_LT_OQ));
    const __m256d q = _mm256_cvtepi32_pd(_mm256_cvttpd_epi32(_mm256_mul_pd(_mm256_add_pd(a, vHalf), vInvCycle)));
    const __m256d m = _mm256_sub_pd(a, _mm256_mul_pd(vCycle, q));
    const __m256d q2 = _mm256_cvtepi32_pd(_mm256_cvttpd_epi32(_mm256_mul_pd(_mm256_add_pd(m, vHalf), vInv360)));
    const __m256d d = _mm256_sub_pd(m, _mm256_mul_pd(v360, q2));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(idx + i), _mm256_cvttpd_epi32(d));
  }
  any |= ColumnIndicesTail(i, n, base, dir, slope, phase, cycle, invCycle, idx, redo);
  return any != 0;
}

#endif

// In ReducedArguments t runs in 32.32 fixed point, one addition per column, carrying half a unit so that the upper
// half is t rounded. Over a chunk the fixed point drifts from t by under 1e-7, so columns not
// flagged round as t does.
struct TFixedLine {
  int64_t First, Step;  // t of the first column + 1/2, and the step, times 2^32
  TFixedLine(double base, double dir, double slope, double offset)
      : First(std::llround((base * slope + offset) * 4294967296.0) + (int64_t{1} << 31)),
        Step(std::llround(dir * slope * 4294967296.0)) {}
};
// A fraction this close to a half (in 2^-32 units) is a possible tie: 1e-6 * 2^32.
constexpr int32_t kTieUnits = 4295;

uint64_t ReducedArgumentsTail(int i, int n, const TFixedLine& line, int32_t* __restrict e, uint64_t* __restrict redo) {
  uint64_t any = 0;
  for (; i < n; ++i) {
    const int64_t t = line.First + line.Step * i;
    e[i] = static_cast<int32_t>(t >> 32);
    const auto frac = static_cast<int32_t>(static_cast<uint32_t>(t));
    if (frac > -kTieUnits && frac < kTieUnits) {
      redo[i >> 6] |= uint64_t{1} << (i & 63);
      any = 1;
    }
  }
  return any;
}

bool ReducedArguments(int n, double base, double dir, double slope, double offset, int32_t* __restrict e,
                      uint64_t* __restrict redo) {
  for (int w = 0; w < kColumnChunk / 64; ++w) redo[w] = 0;
  const TFixedLine line(base, dir, slope, offset);
  int i = 0;
  uint64_t any = 0;
#if defined(__SSE4_1__)
  // Columns 0, 1 in a, 2, 3 in b, so the halves pick out in order.
  __m128i a = _mm_set_epi64x(line.First + line.Step, line.First);
  __m128i b = _mm_add_epi64(a, _mm_set1_epi64x(2 * line.Step));
  const __m128i step = _mm_set1_epi64x(4 * line.Step), limit = _mm_set1_epi32(kTieUnits);
  for (; i + 64 <= n; i += 64) {
    uint64_t word = 0;
    for (int j = 0; j < 64; j += 4) {
      const __m128 fa = _mm_castsi128_ps(a), fb = _mm_castsi128_ps(b);
      const __m128i whole = _mm_castps_si128(_mm_shuffle_ps(fa, fb, _MM_SHUFFLE(3, 1, 3, 1)));
      const __m128i frac = _mm_castps_si128(_mm_shuffle_ps(fa, fb, _MM_SHUFFLE(2, 0, 2, 0)));
      const __m128i tie = _mm_cmpgt_epi32(limit, _mm_abs_epi32(frac));
      word |= static_cast<uint64_t>(_mm_movemask_ps(_mm_castsi128_ps(tie))) << j;
      _mm_storeu_si128(reinterpret_cast<__m128i*>(e + i + j), whole);
      a = _mm_add_epi64(a, step);
      b = _mm_add_epi64(b, step);
    }
    redo[i >> 6] = word;
    any |= word;
  }
#endif
  any |= ReducedArgumentsTail(i, n, line, e, redo);
  return any != 0;
}

#if defined(__x86_64__)
__attribute__((target("avx2"))) bool ReducedArgumentsAvx2(int n, double base, double dir, double slope,
                                                          double offset, int32_t* __restrict e,
                                                          uint64_t* __restrict redo) {
  for (int w = 0; w < kColumnChunk / 64; ++w) redo[w] = 0;
  const TFixedLine line(base, dir, slope, offset);
  int i = 0;
  uint64_t any = 0;
  // Columns 0, 1, 4, 5 in a and 2, 3, 6, 7 in b, so that the halves pick out in order.
  const int64_t f = line.First, d = line.Step;
  __m256i a = _mm256_set_epi64x(f + 5 * d, f + 4 * d, f + d, f);
  __m256i b = _mm256_add_epi64(a, _mm256_set1_epi64x(2 * d));
  const __m256i step = _mm256_set1_epi64x(8 * d), limit = _mm256_set1_epi32(kTieUnits);
  for (; i + 64 <= n; i += 64) {
    uint64_t word = 0;
    for (int j = 0; j < 64; j += 8) {
      const __m256 fa = _mm256_castsi256_ps(a), fb = _mm256_castsi256_ps(b);
      const __m256i whole = _mm256_castps_si256(_mm256_shuffle_ps(fa, fb, _MM_SHUFFLE(3, 1, 3, 1)));
      const __m256i frac = _mm256_castps_si256(_mm256_shuffle_ps(fa, fb, _MM_SHUFFLE(2, 0, 2, 0)));
      const __m256i tie = _mm256_cmpgt_epi32(limit, _mm256_abs_epi32(frac));
      word |= static_cast<uint64_t>(_mm256_movemask_ps(_mm256_castsi256_ps(tie))) << j;
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(e + i + j), whole);
      a = _mm256_add_epi64(a, step);
      b = _mm256_add_epi64(b, step);
    }
    redo[i >> 6] = word;
    any |= word;
  }
  any |= ReducedArgumentsTail(i, n, line, e, redo);
  return any != 0;
}
#endif

#if defined(__x86_64__)
__attribute__((target("avx2"))) void MaskedCopyAvx2(TColor32* dst, const TColor32* src, const int16_t* region, int k,
                                                    int n) {
  MaskedCopyBody(dst, src, region, k, n);
}

__attribute__((target("avx2"))) void MaskedCopy2Avx2(TColor32* dst, const TColor32* src, const int16_t* regionA,
                                                     const int16_t* regionB, int k, int n) {
  MaskedCopy2Body(dst, src, regionA, regionB, k, n);
}
#endif

}  // namespace

const TWaterSimd& WaterSimdSse41() {
  static constexpr TWaterSimd table{ColumnIndices, ReducedArguments, MaskedCopy, MaskedCopy2};
  return table;
}

const TWaterSimd& WaterSimdAvx2() {
#if defined(__x86_64__)
  static constexpr TWaterSimd table{ColumnIndicesAvx2, ReducedArgumentsAvx2, MaskedCopyAvx2, MaskedCopy2Avx2};
  return table;
#else
  return WaterSimdSse41();
#endif
}

}  // namespace ky
