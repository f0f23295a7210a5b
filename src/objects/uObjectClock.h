#pragma once
// How the objects of a scene receive their 5 ms ticks.
//
// Live show: one TObjectTicker thread per scene wakes every 5 ms and, in list order, gives each
// running object every tick that is due (an object started at tick t0 receives tick n at
// t0 + 5n). One thread for the scene instead of one per object: 101 objects would otherwise wake
// 20 200 times a second. Virtual clock (render, tests): no thread at all; the drawing thread
// gives each object its due ticks just before it draws, so frame t shows every object after all
// its ticks with t0 + 5n <= t, and two runs are identical.
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/uTicks.h"

namespace ky {

class TAnimObject;

class TObjectTicker {
 public:
  explicit TObjectTicker(const TTickSource& ticks);
  // Ends the thread; every object has detached by then (each holds the ticker).
  ~TObjectTicker();
  TObjectTicker(const TObjectTicker&) = delete;
  TObjectTicker& operator=(const TObjectTicker&) = delete;

  void Attach(TAnimObject* object);
  void Detach(TAnimObject* object);

 private:
  void Run();

  const TTickSource& FTicks;
  std::mutex FListLock;
  std::vector<TAnimObject*> FObjects;
  std::mutex FWakeLock;
  std::condition_variable FWake;
  bool FQuit = false;
  std::thread FThread;
};

struct TObjectClock {
  const TTickSource* Ticks = nullptr;
  // Null on a virtual clock: the ticks then run on the drawing thread.
  std::shared_ptr<TObjectTicker> Ticker;

  // The clock for the objects of one scene: a ticker thread unless ticks is virtual.
  static TObjectClock ForScene(const TTickSource& ticks);
};

}  // namespace ky
