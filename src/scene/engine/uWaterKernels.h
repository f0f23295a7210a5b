#pragma once
// Internal: the water kernels, one table per kernel level. The reference table applies the rules
// pixel by pixel and is the one the others must match; the fast tables work a run of one wave set
// at a time, with their vector helpers (uWaterSimd.h) at SSE4.1 or AVX2 width.
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "graphics/uBitmap32.h"
#include "platform/uCpuFeatures.h"
#include "scene/engine/uRegionMap.h"
#include "scene/records/uSceneRecords.h"

namespace ky {

using TWaveSets = std::array<TWaveParam, kWaveSetCount>;

// Per wave set, what a row needs.
struct TRowWave {
  double Amp = 0, F = 0, DA = 0, DF = 0;
  int Vd = 0, Hd = 0;
};

// The water of one scene as a frame is drawn: the kernels read it, the engine keeps it.
struct TWaterState {
  int Width = 0;
  int Height = 0;
  const TWaveSets* Sets = nullptr;
  const TBitmap32* Source = nullptr;  // the picture, or its reflected copy
  TRegionMap Map;
  std::array<int32_t, kWaveSetCount> Phase{};
  std::array<TRowWave, kWaveSetCount> Row{};
  std::array<std::vector<int32_t>, kWaveSetCount> Jitter;
  std::array<bool, kWaveSetCount> JitterZero{};
};

// Per wave set, what its column waves need at one amplitude and cycle: the displacement of every
// cosine index (and their range), and the cosine index (e mod Cycle) mod 360 of every reduced
// argument e (empty when the table would be too large). Kept between frames by the fast kernels.
struct TColumnWave {
  double Amp = std::numeric_limits<double>::quiet_NaN();
  std::array<int32_t, 360> Vd{};
  int VdMin = 0, VdMax = 0;
  int32_t Cycle = 0;
  std::vector<int32_t> Index;
  // Offset[e] := Vd[Index[e]] * Width: the source offset of each reduced argument, for Amp and
  // Width (rebuilt only when a whole frame keeps one amplitude).
  double OffsetAmp = std::numeric_limits<double>::quiet_NaN();
  int OffsetWidth = 0;
  std::vector<ptrdiff_t> Offset;
};
using TColumnWaves = std::array<TColumnWave, kWaveSetCount>;

struct TWaterKernelTable {
  TKernelLevel Level;
  // The region map of a mask of the map's size (Reset already done).
  void (*BuildRegionMap)(const TBitmap32& mask, TRegionMap& map);
  // Mirrors the picture above each reflecting region into it; reflected starts as a copy of
  // picture and all three have one size.
  void (*BuildReflection)(const TBitmap32& picture, const TBitmap32& mask, const TWaveSets& sets,
                          TBitmap32& reflected);
  // Draws the water of row s into frame (jitter may move it to other rows).
  void (*RenderRow)(const TWaterState& water, TColumnWaves& columns, TBitmap32& frame, int s);
};

// The table of a level; a level the build has no kernels for gives the nearest narrower one.
const TWaterKernelTable& WaterKernels(TKernelLevel level);

inline int ClampInt(int64_t v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : static_cast<int>(v)); }

namespace water_reference {
void BuildRegionMap(const TBitmap32& mask, TRegionMap& map);
void BuildReflection(const TBitmap32& picture, const TBitmap32& mask, const TWaveSets& sets, TBitmap32& reflected);
void RenderRow(const TWaterState& water, TColumnWaves& columns, TBitmap32& frame, int s);
}  // namespace water_reference

struct TWaterSimd;
namespace water_fast {
void BuildRegionMap(const TBitmap32& mask, TRegionMap& map);
void BuildReflection(const TBitmap32& picture, const TBitmap32& mask, const TWaveSets& sets, TBitmap32& reflected);
void RenderRow(const TWaterSimd& simd, const TWaterState& water, TColumnWaves& columns, TBitmap32& frame, int s);
}  // namespace water_fast

}  // namespace ky
