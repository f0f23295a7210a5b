#pragma once
// Internal: the AVX2 kernels (x86-64 only), for the entries of TKernelTable (uKernels.h) where
// the wider vectors pay; the AVX2 table takes the SSE4.1 kernels for the others. Only to be
// called where the processor has AVX2.
#include <cstddef>
#include <cstdint>

namespace ky::kernels::avx2 {

void BlendFade(uint32_t* dst, const uint32_t* src, size_t n, int alpha);
void BilinearRow(uint32_t* dst, const uint32_t* r0, const uint32_t* r1, const int32_t* x0, const int32_t* fx,
                 size_t n, int32_t fy);
void VerticalPass(int16_t* out, const uint8_t* const* rows, const int16_t* w, int taps, size_t n);
void HorizontalPass(uint32_t* out, const int16_t* in, const int32_t* start, const int16_t* w, int taps, size_t n);

}  // namespace ky::kernels::avx2
