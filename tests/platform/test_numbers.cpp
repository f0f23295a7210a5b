#include <gtest/gtest.h>

#include <climits>

#include "platform/uNumbers.h"
#include "platform/uRandom.h"
#include "platform/uTicks.h"

using namespace ky;

TEST(Round, HalvesGoToTheEvenNeighbour) {
  const struct { double v; int r; } cases[] = {
      {0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2}, {2.4999, 2}, {2.5001, 3}, {7.0, 7}};
  for (const auto& c : cases) EXPECT_EQ(Round(c.v), c.r) << c.v;
}

TEST(MulDiv, RoundsHalvesAwayFromZeroWith64BitIntermediate) {
  const struct { int a, b, c, r; } cases[] = {
      {5, 1, 2, 3},   {-5, 1, 2, -3}, {5, -1, 2, -3}, {7, 1, 2, 4},  {4, 1, 3, 1},  {5, 1, 3, 2},
      {-5, 1, 3, -2}, {1, 1, 0, -1},  {1 << 30, 8, 16, 1 << 29},     {INT_MAX, 2, 1, -1},
      {1920, 50, 100, 960}, {1080, 33, 100, 356}};
  for (const auto& c : cases) EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.r) << c.a << "*" << c.b << "/" << c.c;
}

TEST(Random, FollowsTheLinearCongruentialRule) {
  TRandom r(0);
  EXPECT_EQ(r.Random(100), static_cast<int>((uint64_t{1} * 100) >> 32));  // seed becomes 1
  EXPECT_EQ(r.Seed(), 1u);
  r.Random(10);
  EXPECT_EQ(r.Seed(), 134775814u);
  TRandom big(0xFFFFFFFFu);
  // seed = 0xFFFFFFFF * 134775813 + 1 mod 2^32 = 2^32 - 134775812
  const int v = big.Random(1000);
  EXPECT_EQ(big.Seed(), 4294967296ull - 134775812ull);
  EXPECT_EQ(v, static_cast<int>((uint64_t{big.Seed()} * 1000) >> 32));
  EXPECT_EQ(r.Random(0), 0);
}

TEST(Ticks, DifferencesSurviveTheWrap) {
  EXPECT_EQ(TickDiff(5u, 0xFFFFFFFBu), 10u);
  EXPECT_TRUE(TickReached(5u, 0xFFFFFFFBu));
  EXPECT_FALSE(TickReached(0xFFFFFFFBu, 5u));
  TManualTicks t(0xFFFFFFF0u);
  t.Advance(0x20);
  EXPECT_EQ(t.Now(), 0x10u);
}
