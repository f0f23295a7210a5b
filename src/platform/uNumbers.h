#pragma once
// Number conventions shared by the whole program.
//  - Round: to the nearest integer, halves to the even neighbour (banker's rounding).
//  - div/mod: C++'s own truncation towards zero.
//  - MulDiv: a * b / c with a 64-bit intermediate, halves away from zero; c == 0 gives -1.
#include <cmath>
#include <cstdint>
#include <limits>

namespace ky {

inline int64_t Round64(double v) {
  // nearbyint honours the current rounding mode, which the program never changes from
  // round-to-nearest-even.
  return static_cast<int64_t>(std::nearbyint(v));
}

inline int Round(double v) {
  const double r = std::nearbyint(v);
  if (!(r >= static_cast<double>(std::numeric_limits<int>::min()))) return std::numeric_limits<int>::min();
  if (r > static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
  return static_cast<int>(r);
}

inline int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const int64_t p = static_cast<int64_t>(a) * b;
  int64_t q = p / c;
  const int64_t r = p % c;
  // Round the exact quotient p / c half away from zero.
  if (r != 0) {
    const uint64_t twice = static_cast<uint64_t>(r < 0 ? -r : r) * 2u;
    const uint64_t den = static_cast<uint64_t>(c < 0 ? -static_cast<int64_t>(c) : c);
    if (twice >= den) q += ((p < 0) != (c < 0)) ? -1 : 1;
  }
  if (q > std::numeric_limits<int>::max() || q < std::numeric_limits<int>::min()) return -1;
  return static_cast<int>(q);
}

}  // namespace ky
