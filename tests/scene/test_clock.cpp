#include <gtest/gtest.h>

#include <ctime>

#include "platform/uTicks.h"
#include "scene/engine/uClock.h"

using namespace ky;

namespace {
constexpr int64_t kHour = 3600000, kMinute = 60000, kSecond = 1000;
bool Same(TPoint a, TPoint b) { return a.X == b.X && a.Y == b.Y; }
}  // namespace

TEST(TClock, WorkedExampleOfA128PixelClock) {
  TManualTicks ticks(0);
  TClock clock(ticks);
  clock.SetSize(128, 128);
  // r = 54, rMinor = 51, rMajor = 46.
  EXPECT_TRUE(Same(clock.Outer(15), TPoint{118, 64}));
  EXPECT_TRUE(Same(clock.Inner(15), TPoint{110, 64}));
  EXPECT_TRUE(Same(clock.Outer(60), TPoint{64, 10}));
  EXPECT_TRUE(Same(clock.Inner(60), TPoint{64, 18}));
  EXPECT_TRUE(Same(clock.Inner(30), TPoint{64, 110}));
  // i = 1 (6 deg): sin 6 = 0.1045, cos 6 = 0.9945: outer (64 + 6, 64 - 54), inner (64 + 5, 64 - 51).
  EXPECT_TRUE(Same(clock.Outer(1), TPoint{70, 10}));
  EXPECT_TRUE(Same(clock.Inner(1), TPoint{69, 13}));
  // Hands: Ls = 51, Lh = 32. At 3:30:00 the hour hand is at 105 deg: (64 + 31, 64 + 8).
  const TClock::THands half = clock.HandTips(3, 30, 0);
  EXPECT_TRUE(Same(half.Hour, TPoint{95, 72}));
  EXPECT_TRUE(Same(half.Minute, TPoint{64, 115}));
  EXPECT_TRUE(Same(half.Second, TPoint{64, 13}));
  const TClock::THands noon = clock.HandTips(12, 0, 0);
  EXPECT_TRUE(Same(noon.Hour, TPoint{64, 32}));
  EXPECT_TRUE(Same(noon.Minute, TPoint{64, 13}));
  EXPECT_TRUE(Same(noon.Second, TPoint{64, 13}));
}

TEST(TClock, PositionsInTheFourCorners) {
  TManualTicks ticks(0);
  TClock clock(ticks);
  clock.SetSize(128, 128);
  const struct {
    int position;
    TPoint at;
  } cases[] = {{0, {10, 10}}, {1, {886, 10}}, {2, {10, 630}}, {3, {886, 630}}, {4, {10, 10}}, {255, {10, 10}}};
  for (const auto& c : cases) {
    clock.Position = static_cast<uint8_t>(c.position);
    EXPECT_TRUE(Same(clock.GetPosition(1024, 768), c.at)) << c.position;
  }
}

TEST(TClock, TimeOfDayFromTheTicks) {
  TManualTicks ticks(5000);
  TClock clock(ticks);
  const struct {
    int64_t msOfDay;
    int h, m, s;
  } cases[] = {{0, 12, 0, 0},
               {12 * kHour, 12, 0, 0},
               {15 * kHour + 30 * kMinute, 3, 30, 0},
               {23 * kHour + 59 * kMinute + 59 * kSecond + 999, 11, 59, 59},
               {kHour + 2 * kMinute + 3 * kSecond, 1, 2, 3}};
  for (const auto& c : cases) {
    clock.SetDayOffset(c.msOfDay - ticks.TimeOfDayMs());
    int h, m, s;
    clock.TimeOfDay(h, m, s);
    EXPECT_EQ(h, c.h) << c.msOfDay;
    EXPECT_EQ(m, c.m) << c.msOfDay;
    EXPECT_EQ(s, c.s) << c.msOfDay;
  }
  // The ticks move the hands.
  clock.SetDayOffset(-ticks.TimeOfDayMs());
  ticks.Advance(61 * kSecond);
  int h, m, s;
  clock.TimeOfDay(h, m, s);
  EXPECT_EQ(m, 1);
  EXPECT_EQ(s, 1);
}

namespace {
// A live tick source as a suspended machine sees it: the monotonic ticks stand still while the
// wall clock moves on.
class TWallClockTicks final : public TTickSource {
 public:
  uint32_t Now() const override { return 1000; }
  int64_t TimeOfDayMs() const override { return Day; }
  int64_t Day = 0;
};
}  // namespace

TEST(TClock, EveryFrameReadsTheTimeOfDayOfItsTickSource) {
  // 8:00:00, then a sleep of 1 h 30 min 15.9 s without a tick, then a step of the wall clock
  // back across midnight (a daylight-saving change or a set clock): each read shows the time
  // the source gives, to the second.
  TWallClockTicks ticks;
  TClock clock(ticks);
  const struct {
    int64_t day;
    int h, m, s;
  } cases[] = {{8 * kHour, 8, 0, 0},
               {9 * kHour + 30 * kMinute + 15 * kSecond + 900, 9, 30, 15},
               {23 * kHour + 59 * kMinute + 59 * kSecond + 999, 11, 59, 59},
               {kHour + 999, 1, 0, 0}};
  for (const auto& c : cases) {
    ticks.Day = c.day;
    int h, m, s;
    clock.TimeOfDay(h, m, s);
    EXPECT_EQ(h, c.h) << c.day;
    EXPECT_EQ(m, c.m) << c.day;
    EXPECT_EQ(s, c.s) << c.day;
  }
}

TEST(TClock, AVirtualClockStartsAtAFixedTimeAndMovesWithItsTicks) {
  // 10:08:30 at tick 0 whatever the machine's time, so renders on the virtual clock repeat.
  const struct {
    uint32_t tick;
    int h, m, s;
  } cases[] = {{0, 10, 8, 30}, {999, 10, 8, 30}, {1000, 10, 8, 31}, {90 * 1000, 10, 10, 0},
               {2 * 3600 * 1000, 12, 8, 30}, {14 * 3600 * 1000, 12, 8, 30}};
  for (const auto& c : cases) {
    TManualTicks ticks(c.tick);
    TClock clock(ticks);
    int h, m, s;
    clock.TimeOfDay(h, m, s);
    EXPECT_EQ(h, c.h) << c.tick;
    EXPECT_EQ(m, c.m) << c.tick;
    EXPECT_EQ(s, c.s) << c.tick;
  }
}

TEST(TClock, TheLiveTimeOfDayIsTheLocalWallClock) {
  // Read between two readings of the C library's local time: it lies between them (unless
  // midnight passes in between, when the reading is simply taken again).
  for (int attempt = 0; attempt < 3; ++attempt) {
    // The same clock the reading uses: time() follows a coarse clock that may lag it by a tick.
    auto localSeconds = [] {
      timespec ts{};
      clock_gettime(CLOCK_REALTIME, &ts);
      const std::time_t now = ts.tv_sec;
      std::tm local{};
      localtime_r(&now, &local);
      return int64_t{local.tm_hour} * 3600 + local.tm_min * 60 + local.tm_sec;
    };
    const int64_t before = localSeconds();
    const int64_t ms = TSystemTicks().TimeOfDayMs();
    const int64_t after = localSeconds();
    if (after < before) continue;
    EXPECT_GE(ms, before * 1000);
    EXPECT_LT(ms, (after + 1) * 1000);
    return;
  }
  FAIL() << "midnight passed three times";
}

TEST(TClock, RenderAtNoonDrawsTheHandsStraightUp) {
  TManualTicks ticks(0);
  TClock clock(ticks);
  clock.SetDayOffset(12 * kHour - ticks.TimeOfDayMs());
  clock.SetSize(128, 128);
  TBitmap32 frame(300, 200);
  frame.Clear(0xFF000000);
  clock.CaptureBackground(frame, 20, 30);
  const TBitmap32& face = clock.Render();
  // Between the hub and the tick marks only the hands are drawn: straight up, nothing to the
  // right, left or below.
  EXPECT_GT(GreenComponent(face.Pixel(64, 40)), 150);
  EXPECT_GT(GreenComponent(face.Pixel(64, 25)), 150);  // minute and second hands reach higher
  for (const auto& [x, y] : {std::pair{90, 64}, {38, 64}, {64, 90}, {80, 48}})
    EXPECT_EQ(face.Pixel(x, y) & 0xFFFFFF, 0u) << x << "," << y;
  // The hub is the hand colour, ringed with grey 0x707070.
  EXPECT_EQ(face.Pixel(64, 64) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(face.Pixel(60, 64) & 0xFFFFFF, 0x707070u);
  // A tick mark at three o'clock: between Outer(15) = (118, 64) and Inner(15) = (110, 64).
  EXPECT_GT(GreenComponent(face.Pixel(114, 64)), 100);
}

TEST(TClock, BackgroundIsCopiedAndTinyClocksDoNotFail) {
  TManualTicks ticks(0);
  TClock clock(ticks);
  clock.SetSize(10, 10);  // face radius -5: the marks fall on the far side of the centre
  TBitmap32 frame(80, 60);
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 80; ++x) frame.SetPixel(x, y, MakeColor32(x, y, 7));
  clock.CaptureBackground(frame, 75, 3);  // partly outside the frame
  EXPECT_EQ(clock.Surface().Pixel(0, 0), MakeColor32(75, 3, 7));
  EXPECT_EQ(clock.Surface().Pixel(4, 9), MakeColor32(79, 12, 7));
  EXPECT_EQ(clock.Surface().Pixel(5, 0) & 0xFFFFFF, 0u);
  EXPECT_NO_THROW(clock.Render());
}

// A face drawn again from its cache must be the face a fresh clock draws: for the same time over
// the same ground, a new ground, a second later, and other hands.
TEST(TClock, AFaceDrawnAgainEqualsAFreshOne) {
  auto ground = [](uint8_t tint) {
    TBitmap32 b(100, 100);
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 100; ++x) b.SetPixel(x, y, MakeColor32(x * 2, y * 2, tint));
    return b;
  };
  auto same = [](const TBitmap32& a, const TBitmap32& b) {
    for (int y = 0; y < a.Height(); ++y)
      for (int x = 0; x < a.Width(); ++x)
        if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
    return a.Width() == b.Width() && a.Height() == b.Height();
  };
  TManualTicks ticks(0);
  TClock kept(ticks);
  kept.SetSize(100, 100);
  struct TCase {
    uint8_t tint;
    uint32_t advance;
    int alpha;
  };
  // The first frame, the same again, another ground, a second on, half a second on (the same
  // second), other hands' alpha.
  const TCase cases[] = {{10, 0, 180}, {10, 0, 180}, {200, 0, 180}, {200, 1000, 180}, {200, 500, 180}, {200, 0, 90}};
  for (const TCase& c : cases) {
    ticks.Advance(c.advance);
    const TBitmap32 g = ground(c.tint);
    kept.HandAlpha = c.alpha;
    kept.CaptureBackground(g, 0, 0);
    TBitmap32 got;
    got.Assign(kept.Render());
    TClock fresh(ticks);
    fresh.SetSize(100, 100);
    fresh.HandAlpha = c.alpha;
    fresh.CaptureBackground(g, 0, 0);
    EXPECT_TRUE(same(got, fresh.Render())) << int(c.tint) << " +" << c.advance << " alpha " << c.alpha;
  }
}
