// The live show's ticker: one thread steps every running object of a scene on the real clock;
// a stopped object is left alone between ticks, and the scene can be destroyed while it runs.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "objTestUtil.h"

using namespace ky;

namespace {

// Polls done() until it holds or the deadline passes.
template <typename F>
bool WaitFor(int timeoutMs, F done) {
  for (auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);;) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

}  // namespace

TEST(TObjectTicker, StepsRunningObjectsAndLeavesStoppedOnesAlone) {
  kytest::TTempDir dir;
  kytest::WritePngRgba(dir / "p.png", 6, 6, std::vector<uint32_t>(36, 0xFF336699u));
  std::string text;
  for (int i = 0; i < 3; ++i)
    text += "[Obj" + std::to_string(i) + "]\r\nObjType=IMG\r\nFilename=" + dir / "p.png" + "\r\nMotion=2\r\n";
  const TSystemTicks ticks;
  TSceneObjectList objects = LoadObjects(text, TObjectClock::ForScene(ticks), "");
  ASSERT_EQ(objects.size(), 3u);
  for (auto& o : objects) o->StartInScene(TRect{0, 0, 400, 300}, 400, 300);
  auto& a = dynamic_cast<TAnimObject&>(*objects[0]);
  auto& b = dynamic_cast<TAnimObject&>(*objects[1]);
  ASSERT_TRUE(WaitFor(3000, [&] { return a.TicksDone() >= 20 && b.TicksDone() >= 20; }));
  // The drawing thread's snapshot is one consistent record: its edge is the rounded position.
  for (int k = 0; k < 50; ++k) {
    a.PrepareDraw();
    const TObjectDrawState d = a.DrawState();
    EXPECT_TRUE(d.Visible);
    EXPECT_EQ(d.PictureWidth, 6);
  }
  a.Stop();
  const uint32_t stopped = a.TicksDone();
  const uint32_t other = b.TicksDone();
  // While b receives more ticks, a receives none.
  ASSERT_TRUE(WaitFor(3000, [&] { return b.TicksDone() >= other + 10; }));
  EXPECT_EQ(a.TicksDone(), stopped);
  // Started again: ticks from the new start on.
  a.StartInScene(TRect{0, 0, 400, 300}, 400, 300);
  EXPECT_TRUE(WaitFor(3000, [&] { return a.TicksDone() >= 5; }));
  // The list goes while the ticker runs.
  objects.clear();
}
