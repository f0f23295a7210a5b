#include "scene/engine/uWaterKernels.h"

#include "scene/engine/uWaterSimd.h"

namespace ky {

namespace {
void RenderRowSse41(const TWaterState& water, TColumnWaves& columns, TBitmap32& frame, int s) {
  water_fast::RenderRow(WaterSimdSse41(), water, columns, frame, s);
}
void RenderRowAvx2(const TWaterState& water, TColumnWaves& columns, TBitmap32& frame, int s) {
  water_fast::RenderRow(WaterSimdAvx2(), water, columns, frame, s);
}

constexpr TWaterKernelTable kReference{TKernelLevel::Reference, water_reference::BuildRegionMap,
                                       water_reference::BuildReflection, water_reference::RenderRow};
constexpr TWaterKernelTable kSse41{TKernelLevel::Sse41, water_fast::BuildRegionMap, water_fast::BuildReflection,
                                   RenderRowSse41};
constexpr TWaterKernelTable kAvx2{TKernelLevel::Avx2, water_fast::BuildRegionMap, water_fast::BuildReflection,
                                  RenderRowAvx2};
}  // namespace

const TWaterKernelTable& WaterKernels(TKernelLevel level) {
  switch (level) {
    case TKernelLevel::Reference: return kReference;
    case TKernelLevel::Sse41: return kSse41;
    case TKernelLevel::Avx2: return kAvx2;
  }
  return kReference;
}

}  // namespace ky
