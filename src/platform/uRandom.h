#pragma once
// The program's one random generator: a 32-bit linear congruential generator.
// seed := seed * 134775813 + 1 (mod 2^32); a number below n is the high 32 bits of seed * n.
#include <cstdint>

namespace ky {

class TRandom {
 public:
  explicit TRandom(uint32_t seed = 0) : FSeed(seed) {}

  uint32_t Seed() const { return FSeed; }
  void SetSeed(uint32_t seed) { FSeed = seed; }

  // A number in 0 .. n-1; 0 when n <= 0.
  int Random(int n) {
    Next();
    if (n <= 0) return 0;
    return static_cast<int>((static_cast<uint64_t>(FSeed) * static_cast<uint32_t>(n)) >> 32);
  }

 private:
  void Next() { FSeed = FSeed * 134775813u + 1u; }
  uint32_t FSeed;
};

}  // namespace ky
