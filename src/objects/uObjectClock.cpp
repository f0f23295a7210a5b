#include "objects/uObjectClock.h"

#include <algorithm>
#include <chrono>

#include "objects/uAnimObject.h"

namespace ky {

TObjectTicker::TObjectTicker(const TTickSource& ticks) : FTicks(ticks), FThread([this] { Run(); }) {}

TObjectTicker::~TObjectTicker() {
  {
    std::lock_guard<std::mutex> g(FWakeLock);
    FQuit = true;
  }
  FWake.notify_all();
  if (FThread.joinable()) FThread.join();
}

void TObjectTicker::Attach(TAnimObject* object) {
  std::lock_guard<std::mutex> g(FListLock);
  FObjects.push_back(object);
}

void TObjectTicker::Detach(TAnimObject* object) {
  std::lock_guard<std::mutex> g(FListLock);
  FObjects.erase(std::remove(FObjects.begin(), FObjects.end(), object), FObjects.end());
}

void TObjectTicker::Run() {
  auto next = std::chrono::steady_clock::now();
  for (;;) {
    {
      std::lock_guard<std::mutex> g(FListLock);
      const uint32_t now = FTicks.Now();
      for (TAnimObject* o : FObjects) o->CatchUp(now, /*live=*/true);
    }
    next += std::chrono::milliseconds(kObjectTickMs);
    const auto now = std::chrono::steady_clock::now();
    // After a stall, wait one whole tick rather than running a burst of empty rounds.
    if (next < now) next = now + std::chrono::milliseconds(kObjectTickMs);
    std::unique_lock<std::mutex> lock(FWakeLock);
    if (FWake.wait_until(lock, next, [this] { return FQuit; })) return;
  }
}

TObjectClock TObjectClock::ForScene(const TTickSource& ticks) {
  TObjectClock c;
  c.Ticks = &ticks;
  if (!ticks.Virtual()) c.Ticker = std::make_shared<TObjectTicker>(ticks);
  return c;
}

}  // namespace ky
