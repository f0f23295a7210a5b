#pragma once
// Internal: the hot pixel kernels, one table per kernel level (platform/uCpuFeatures.h): the
// plain reference kernels, the SSE4.1 ones, and the AVX2 ones (where written; the SSE4.1 ones
// elsewhere). Every table computes identical results; the tests hold each to that.
#include <cstddef>
#include <cstdint>

#include "platform/uCpuFeatures.h"

namespace ky::kernels {

constexpr int kIntermediateBits = 6;

struct TKernelTable {
  // c := (c * (256 - alpha) + new * alpha) >> 8 for B, G, R (which equals
  // c + ((alpha * (new - c)) >> 8) with an arithmetic shift); the fourth byte kept.
  void (*BlendFade)(uint32_t* dst, const uint32_t* src, size_t n, int alpha);
  // Blend of the constant colour F (with its own alpha) onto n pixels.
  void (*BlendSpan)(uint32_t* dst, size_t n, uint32_t F);
  // dmBlend: each source pixel blended with alpha round(A_F * master / 255).
  void (*BlendRow)(uint32_t* dst, const uint32_t* src, size_t n, uint32_t master);
  // One destination row of the 15-bit bilinear resize: columns x0[j] and x0[j] + 1 of rows r0
  // and r1 with column weights fx[j] (0..32767) and the row weight fy; alpha becomes 255.
  void (*BilinearRow)(uint32_t* dst, const uint32_t* r0, const uint32_t* r1, const int32_t* x0,
                      const int32_t* fx, size_t n, int32_t fy);
  // Vertical kernel pass: n channel values out[i] := (sum_k w[k] * rows[k][i] + round) >>
  // (14 - kIntermediateBits), saturated to 16 bits. The weights sum to 2^14; keeping fraction
  // bits and the sign between the passes keeps the ringing of sharp kernels exact.
  void (*VerticalPass)(int16_t* out, const uint8_t* const* rows, const int16_t* w, int taps, size_t n);
  // Horizontal kernel pass over pixels of four 16-bit channels from the vertical pass:
  // out[j] := clamp((sum_k w[j * taps + k] * in[start[j] + k] + round) >> (14 + kIntermediateBits))
  // per channel, packed as TColor32. taps is even.
  void (*HorizontalPass)(uint32_t* out, const int16_t* in, const int32_t* start, const int16_t* w, int taps,
                         size_t n);
};

const TKernelTable& ReferenceKernels();
// On processors without these instruction sets the tables hold the reference kernels.
const TKernelTable& Sse41Kernels();
const TKernelTable& Avx2Kernels();
// The table of a level; the caller makes sure the processor runs it.
const TKernelTable& KernelsFor(TKernelLevel level);
// The kernels in use: those of the widest level KYSAVER_DISABLE leaves on.
const TKernelTable& Kernels();

}  // namespace ky::kernels
