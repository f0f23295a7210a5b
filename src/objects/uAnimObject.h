#pragma once
// TAnimObject: one animated object of a scene: its authored keys, its timeline (first
// appearance, display time, fades, redisplay) and its motion, advanced one 5 ms tick at a time.
//
// Threads: Step runs on whoever ticks the object (the scene's ticker thread in the live show,
// the drawing thread on a virtual clock); Start, Stop, Initialize and the drawing run on the
// drawing thread. FLock guards the moving state; the drawing reads it once per frame through
// PrepareDraw, which copies one consistent record (TObjectDrawState plus the alpha of Front).
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "graphics/uBitmap32.h"
#include "graphics/uGeometry.h"
#include "objects/uObjectClock.h"
#include "platform/uIniFile.h"
#include "platform/uRandom.h"
#include "scene/model/uSceneObject.h"

namespace ky {

// Bits of OffScreenSides.
enum : uint8_t { kSideTop = 1, kSideBottom = 2, kSideLeft = 4, kSideRight = 8 };

// One tick of motion and timeline happens every kObjectTickMs milliseconds.
constexpr uint32_t kObjectTickMs = 5;

// An integer as object sections write them: decimal, or hexadecimal after "0x"/"0X" (or "$");
// anything else gives def.
int32_t ReadObjectInteger(const TIniFile& ini, const std::string& section, const char* key, int32_t def);

class TAnimObject : public TSceneObject {
 public:
  explicit TAnimObject(TObjectClock clock);
  ~TAnimObject() override;
  TAnimObject(const TAnimObject&) = delete;
  TAnimObject& operator=(const TAnimObject&) = delete;

  // --- the operations of the object model ---
  // The timeline, Bounds and the start position (subclasses load their picture first).
  virtual void Initialize();
  // Pauses the ticks (between two ticks); a paused object keeps its state.
  virtual void Stop();
  // The object's keys as INI text of section "Obj" + Index.
  virtual std::string SaveToText();
  // Reads the base keys of section "Obj" + Index from the whole object text.
  virtual void LoadProperties(const std::string& objectText);
  // Stop, Initialize, then ticks from the current tick on.
  void Start();
  // One tick; current is the millisecond tick it belongs to.
  void Step(uint32_t current);
  void ResetPosition();
  void SetX(double x);
  void SetY(double y);
  int ScreenLeft() const;
  int ScreenTop() const;

  // --- TSceneObject ---
  void StartInScene(const TRect& displayRect, int sceneWidth, int sceneHeight) override;
  void PrepareDraw() override;
  TObjectDrawState DrawState() const override { return FDrawn; }
  TBitmap32& Front() override { return FFront; }
  TBitmap32& Back() override { return FBack; }

  // Runs every tick due by now (t0 + 5n <= now) while the object runs. Called by the ticker of
  // the live show, or by PrepareDraw on a virtual clock. live: drop a backlog longer than a
  // second (a suspended machine) instead of replaying it.
  void CatchUp(uint32_t now, bool live);
  bool Running() const { return FRunning; }
  // Ticks received since the last Start.
  uint32_t TicksDone() const { return FTicksDone; }

  // --- authored properties (public: the list, the tools and the tests read them) ---
  int Index = 0;
  int Width = 0, Height = 0;
  bool Scaled = true;
  TRect MoveArea;
  int WidthSize = 100, HeightSize = 100;
  int Speed = 100;
  uint8_t InitialPos = 0, InitialDir = 0, PosLeftType = 0, PosTopType = 0;
  int PosLeft = 100, PosTop = 100;
  uint8_t ObjFacing = 1;
  int Opacity = 10;
  int DisplaySec = 0;
  uint8_t DisplayDurationType = 0;
  int DisplayDurationSec = 60;
  int DIsplayDurationCycle = 10;
  uint8_t Motion = 0;
  int MotionSpeed = 10;
  uint8_t MotionAreaType = 0;
  bool DirFlip = false;
  bool Redisplay = true;
  int RedisplayDelay = 30;
  int RedisplayTimes = 0;
  bool ResetPos = true;
  bool RestrictArea = true;
  uint8_t OffScreenSides = kSideTop | kSideBottom | kSideLeft | kSideRight;
  uint8_t AppearEffect = 0;
  int AppearEffectDur = 2;
  uint8_t DisappearEffect = 0;
  int DisappearEffectDur = 2;

  // --- state (read by tests between ticks, on the ticking thread) ---
  double X = 0, Y = 0;
  int32_t StepCount = 0;
  double PathX = 0, PathY = 0;
  int32_t DirX = 1, DirY = 1;
  int32_t WanderRangeX = 500, WanderRangeY = 1000;
  int SceneWidth = 0, SceneHeight = 0;
  double ScaleX = 1, ScaleY = 1;
  TRect Bounds;
  TRect DisplayRect;
  int PictureWidth = 0, PictureHeight = 0;
  bool Flipped = false;
  bool Visible = false;
  double WanderX = 0, WanderY = 0;
  int32_t WanderDirX = 0, WanderDirY = 0;
  int32_t WanderCount = 0, WanderLimit = 0;
  uint32_t StartTick = 0;
  bool Finished = false;  // the object will never be shown again (no redisplay)
  int32_t WrapDirX = 1, WrapDirY = 1;
  bool OffScreen = false;
  int32_t Delay = 0;
  int ScreenX = 0, ScreenY = 0;
  // The master alpha the timeline gives Front (fades change it); applied on the drawing thread.
  uint32_t FrontAlpha = 255;

  TRandom& Random() { return FRandom; }
  const TObjectClock& Clock() const { return FClock; }

 protected:
  // The master alpha of an Opacity in tenths (clamped to 0-10).
  uint32_t OpacityAlpha() const;
  // Drawing-thread work of a subclass before the snapshot is taken (GIF frame paints).
  virtual void PrepareFrame(uint32_t now) {}
  // The snapshot the drawing and the pixel callbacks of this frame use.
  const TObjectDrawState& Drawn() const { return FDrawn; }
  int DrawnScreenX() const { return FDrawnScreenX; }
  int DrawnScreenY() const { return FDrawnScreenY; }

  TIniFile Store;
  TBitmap32 FFront, FBack;

 private:
  void StepPaths();
  void PickStartPositions();
  bool LeavingX(double x, int dir) const;
  bool LeavingY(double y, int dir) const;
  void SetFadeAlpha(int64_t numerator, int durSec);

  TObjectClock FClock;
  TRandom FRandom;
  mutable std::mutex FLock;
  bool FRunning = false;
  uint32_t FTickBase = 0;   // t0: the tick of the last Start
  uint32_t FTicksDone = 0;  // n: ticks received since then
  std::shared_ptr<TObjectTicker> FTicker;
  TObjectDrawState FDrawn;
  int FDrawnScreenX = 0, FDrawnScreenY = 0;
};

}  // namespace ky
