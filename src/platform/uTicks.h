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

// A tick source that the engine, the weather and the clock read, so that a show can run on a
// virtual clock. The real one reads GetTickCount32.
class TTickSource {
 public:
  virtual ~TTickSource() = default;
  virtual uint32_t Now() const = 0;
};

class TSystemTicks final : public TTickSource {
 public:
  uint32_t Now() const override { return GetTickCount32(); }
};

// A clock that only moves when told to.
class TManualTicks final : public TTickSource {
 public:
  explicit TManualTicks(uint32_t start = 0) : FNow(start) {}
  uint32_t Now() const override { return FNow; }
  void Set(uint32_t t) { FNow = t; }
  void Advance(uint32_t ms) { FNow += ms; }

 private:
  uint32_t FNow;
};

}  // namespace ky
