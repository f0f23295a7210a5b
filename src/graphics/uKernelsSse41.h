#pragma once
// Internal: the SSE4.1 kernels (x86-64 only), one for each entry of TKernelTable (uKernels.h,
// which describes what each computes). The AVX2 kernels hand them their tails.
#include <cstddef>
#include <cstdint>

namespace ky::kernels::sse41 {

void BlendFade(uint32_t* dst, const uint32_t* src, size_t n, int alpha);
void BlendSpan(uint32_t* dst, size_t n, uint32_t F);
void BlendRow(uint32_t* dst, const uint32_t* src, size_t n, uint32_t master);
void BilinearRow(uint32_t* dst, const uint32_t* r0, const uint32_t* r1, const int32_t* x0, const int32_t* fx,
                 size_t n, int32_t fy);
void VerticalPass(int16_t* out, const uint8_t* const* rows, const int16_t* w, int taps, size_t n);
void HorizontalPass(uint32_t* out, const int16_t* in, const int32_t* start, const int16_t* w, int taps, size_t n);

}  // namespace ky::kernels::sse41
