#include "uTicks.h"

#include <algorithm>
#include <cerrno>
#include <ctime>

namespace ky {

uint32_t GetTickCount32() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  const uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

int64_t LocalTimeOfDayMs() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  std::tm local{};
  const time_t secs = ts.tv_sec;
  localtime_r(&secs, &local);
  const int64_t seconds = int64_t{local.tm_hour} * 3600 + local.tm_min * 60 + local.tm_sec;
  // A leap second (tm_sec 60) is held at the day's last millisecond rather than wrapping.
  return std::min<int64_t>(seconds * 1000 + ts.tv_nsec / 1000000, kMsPerDay - 1);
}

void SleepMs(uint32_t ms) {
  timespec req{static_cast<time_t>(ms / 1000u), static_cast<long>(ms % 1000u) * 1000000L};
  timespec rem{};
  while (nanosleep(&req, &rem) != 0 && errno == EINTR) req = rem;
}

}  // namespace ky
