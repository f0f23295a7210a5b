#pragma once
// The formulas of one wave, shared by the water kernels and the tests. Angles are whole degrees.
#include <array>
#include <cstdint>

#include "platform/uNumbers.h"

namespace ky::wave {

// cos(n degrees) for n = 0..360.
const std::array<double, 361>& CosTable();
// |u mod cycle| mod 360 for a positive cycle (the truncated remainder's magnitude is
// |u| mod cycle): the index into CosTable.
inline uint32_t CosIndex(int64_t u, int32_t cycle) {
  const uint64_t a = u < 0 ? 0 - static_cast<uint64_t>(u) : static_cast<uint64_t>(u);
  if (cycle == 360) return static_cast<uint32_t>(a % 360u);
  return static_cast<uint32_t>((a % static_cast<uint64_t>(cycle)) % 360u);
}
// CosTable[CosIndex(u, cycle)], with a cycle of 0 or less taken as 360.
double CosAt(int64_t u, int32_t cycle);
// The cycle a wave set is computed with: 360 for a cycle that is 0 or negative.
inline int32_t EffectiveCycle(int32_t cycle) { return cycle > 0 ? cycle : 360; }
// Round((height - s) * f * 360 / height + phase): the row argument of row s.
int RowArgument(int height, int s, double f, int32_t phase);
// Round(x * f / 2 * (height - s / 2) / height + phase): the argument of column x in row s. Every
// kernel computes a column's exact argument here, so they round alike.
inline int ColumnArgument(int height, int s, int x, double f, int32_t phase) {
  return Round(x * f / 2 * (height - s / 2.0) / height + phase);
}
// Round(CosAt(u, cycle) * amp).
int Displacement(int u, int32_t cycle, double amp);

// What a wave set's direction code means.
enum TColumnMode : uint8_t { cmRow, cmColumn, cmMirrored };
// Directions 3 and 4 follow the column, 2 and 5 the mirrored column, all others the row.
inline TColumnMode ColumnModeOf(int32_t direction) {
  if (direction == 3 || direction == 4) return cmColumn;
  if (direction == 2 || direction == 5) return cmMirrored;
  return cmRow;
}
// The column whose argument column x of a width-wide picture takes in this mode.
inline int ArgumentColumn(TColumnMode mode, int width, int x) { return mode == cmMirrored ? width - 1 - x : x; }
// Directions 0, 4 and 5 run the phase backwards.
inline bool PhaseDecreases(int32_t direction) { return direction == 0 || direction == 4 || direction == 5; }
// Directions 0 and 1 move the destination pixel by the jitter too, the others only the source.
inline bool JitterMovesDestination(int32_t direction) { return direction < 2; }

}  // namespace ky::wave
