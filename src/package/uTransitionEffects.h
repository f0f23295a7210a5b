#pragma once
// Transition effects are named by number in a saver's settings ("Transition=1,5,...") and in the
// effect table that draws them; both run from 1 to this count.
namespace ky {

constexpr int kTransitionEffectCount = 169;

}  // namespace ky
