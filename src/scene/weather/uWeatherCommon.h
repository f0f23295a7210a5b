#pragma once
// What rain and snow share: the speed table and the clamps of the weather inputs.
#include <algorithm>
#include <array>
#include <cstdint>

namespace ky {

// Speed in percent for the positions 0..20 of the user's or the weather's speed setting.
constexpr std::array<int, 21> kSpeedTable = {10,  20,  30,  45,  50,  60,  70,  75,  80,  90, 100,
                                             120, 140, 160, 180, 200, 220, 240, 360, 480, 500};

// An index outside the table takes its nearest end.
inline int SpeedTableAt(int index) { return kSpeedTable[static_cast<size_t>(std::clamp(index, 0, 20))]; }
// Opacities are tenths; above 10 the alphas would wrap around.
inline int ClampOpacity(int tenths) { return std::clamp(tenths, 0, 10); }

constexpr int kMaxParticles = 1000;

}  // namespace ky
