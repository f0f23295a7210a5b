#pragma once
// Millisecond ticks as a 32-bit unsigned count that wraps after about 49.7 days.
#include <cstdint>

namespace ky {

// The monotonic clock in milliseconds, truncated to 32 bits.
uint32_t GetTickCount32();

// later - earlier, correct across one wrap of the counter.
inline uint32_t TickDiff(uint32_t later, uint32_t earlier) { return later - earlier; }

// true when tick a lies at or after tick b (within half the counter's range).
inline bool TickReached(uint32_t a, uint32_t b) { return static_cast<int32_t>(a - b) >= 0; }

void SleepMs(uint32_t ms);

constexpr int64_t kMsPerDay = 86400000;

// The local wall-clock time of day in milliseconds (0 .. kMsPerDay - 1), read now: it follows
// suspends, clock steps and daylight-saving changes.
int64_t LocalTimeOfDayMs();

// A tick source that the engine, the weather and the clock read, so that a show can run on a
// virtual clock. The real one reads GetTickCount32 and the local wall clock.
class TTickSource {
 public:
  virtual ~TTickSource() = default;
  virtual uint32_t Now() const = 0;
  // The time of day the clock overlay shows, in milliseconds since midnight.
  virtual int64_t TimeOfDayMs() const = 0;
  // true for a clock that only moves when told to: whatever follows it then runs without threads.
  virtual bool Virtual() const { return false; }
};

class TSystemTicks final : public TTickSource {
 public:
  uint32_t Now() const override { return GetTickCount32(); }
  int64_t TimeOfDayMs() const override { return LocalTimeOfDayMs(); }
};

// A clock that only moves when told to. Its time of day is a fixed one at tick 0 plus the ticks,
// so renders on it are the same on every run.
class TManualTicks final : public TTickSource {
 public:
  // 10:08:30 at tick 0: every hand stands apart from the others.
  static constexpr int64_t kStartTimeOfDay = (10 * 3600 + 8 * 60 + 30) * int64_t{1000};

  explicit TManualTicks(uint32_t start = 0) : FNow(start) {}
  uint32_t Now() const override { return FNow; }
  int64_t TimeOfDayMs() const override { return (kStartTimeOfDay + FNow) % kMsPerDay; }
  bool Virtual() const override { return true; }
  void Set(uint32_t t) { FNow = t; }
  void Advance(uint32_t ms) { FNow += ms; }

 private:
  uint32_t FNow;
};

}  // namespace ky
