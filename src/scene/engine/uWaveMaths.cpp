#include "scene/engine/uWaveMaths.h"

#include <cmath>

namespace ky::wave {

const std::array<double, 361>& CosTable() {
  static const std::array<double, 361> table = [] {
    std::array<double, 361> t{};
    for (int n = 0; n <= 360; ++n) t[n] = std::cos(n * M_PI / 180.0);
    return t;
  }();
  return table;
}

double CosAt(int64_t u, int32_t cycle) { return CosTable()[CosIndex(u, EffectiveCycle(cycle))]; }

int RowArgument(int height, int s, double f, int32_t phase) {
  return Round((height - s) * f * 360 / height + phase);
}

int Displacement(int u, int32_t cycle, double amp) { return Round(CosAt(u, cycle) * amp); }

}  // namespace ky::wave
