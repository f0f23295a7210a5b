#pragma once
// TAnimEngine: turns one loaded scene into a moving picture. Every frame it recomputes a cosine
// wave per wave set and row and redraws the water pixels from displaced source pixels (through
// the water kernels of one level), then composes the objects, rain or snow and the clock on an
// overlay.
//
// Calling order per scene: SetProject, SetWeather(false), Prepare, SetWeather(kind > 0); then
// Step and GetOutput once per frame.
#include <array>
#include <cstdint>
#include <memory>

#include "graphics/uBitmap32.h"
#include "platform/uCpuFeatures.h"
#include "platform/uRandom.h"
#include "platform/uTicks.h"
#include "scene/engine/uWaterKernels.h"
#include "scene/engine/uWaveMaths.h"
#include "scene/model/uSceneObject.h"
#include "scene/records/uSceneRecords.h"

namespace ky {

class TProject;
class TClock;
class TRain;
class TSnow;
class TWeather;

// One object as a frame shows it: its snapshot taken (PrepareDraw), its picture stretched onto
// target into the rectangle of its screen place and size, mirrored through Back when flipped.
// False when it draws nothing; else drawn is the rectangle it covers.
bool DrawSceneObject(TSceneObject& obj, TBitmap32& target, TRect& drawn);

class TAnimEngine {
 public:
  // The engine, its weather and its clock read the time from ticks. The water kernels are those
  // of WidestKernelLevel().
  explicit TAnimEngine(const TTickSource& ticks);
  ~TAnimEngine();
  TAnimEngine(const TAnimEngine&) = delete;
  TAnimEngine& operator=(const TAnimEngine&) = delete;

  // Binds a scene; nothing is computed. The project must outlive the binding.
  void SetProject(TProject& project);
  // Frees any weather effect; when on, creates snow or rain for the scene's weather kind.
  void SetWeather(bool on);
  void Prepare();
  void Step();
  // The overlay when weather, objects or the clock are on; the water frame otherwise.
  TBitmap32& GetOutput();
  // Back to the plain picture (and the reflection rebuilt).
  void ResetFrame();

  void SetShowClock(bool on) { FShowClock = on; }
  bool ShowClock() const { return FShowClock; }
  TClock& Clock() { return *FClock; }

  // Draws with the water kernels of this level (the tests run every level the processor runs);
  // the region map and the reflection follow from the next Prepare.
  void SetKernelLevel(TKernelLevel level) { FKernels = &WaterKernels(level); }
  TKernelLevel KernelLevel() const { return FKernels->Level; }

  int Width() const { return FWater.Width; }
  int Height() const { return FWater.Height; }
  int32_t Phase(int set) const { return FWater.Phase.at(static_cast<size_t>(set)); }
  int TopRow(int set) const { return FWater.Map.TopRow(set); }
  int BottomRow(int set) const { return FWater.Map.BottomRow(set); }
  // Wave set index 0-5 of a pixel, or -1 for dry land.
  int RegionAt(int x, int y) const { return FWater.Map.At(x, y); }
  int JitterAt(int set, int x) const {
    return FWater.Jitter[static_cast<size_t>(set)][static_cast<size_t>(x)];
  }
  bool HasReflection() const { return FHasReflection; }
  bool WeatherOn() const { return FWeatherOn; }
  const TBitmap32& FrameSurface() const { return FFrame; }
  const TBitmap32& OverlaySurface() const { return FOverlay; }
  const TBitmap32& ReflectedPicture() const { return FReflected; }
  TSnow* Snow();
  TRain* Rain();
  TRandom& Random() { return FRandom; }

  // Where the output may differ from what it was after the previous Step: the rectangles of
  // Changed(), or all of it when ChangedAll() (the first step of a scene, after ResetFrame, or
  // when the output became another surface).
  bool ChangedAll() const { return FChangedAll; }
  const std::vector<TRect>& Changed() const { return FChanged; }
  // Steps taken so far (so a caller can tell whether it saw the step before).
  uint64_t Steps() const { return FSteps; }

  // The overlay is brought back to the water frame each step by copying only the rows the water
  // may change and the places drawn on it the step before (true, the default), or by copying
  // the whole frame (false; the tests compare the two).
  void SetOverlayRestore(bool partial) {
    FOverlayRestore = partial;
    FOverlayFresh = false;
  }

 private:
  bool NeedsOverlay() const;
  bool HasObjects() const;
  void BuildRegionMap();
  void BuildReflection();
  void BuildJitterTable();
  // One Step; without renderWater the water frame is left as it is.
  void StepFrame(bool renderWater);
  void RenderWater();
  void AdvancePhases(uint32_t dt);
  void DrawObjects();
  void DrawWeather(uint32_t dt);
  void DrawClock();
  // FOverlay := FFrame, by the cheapest copy that gives it.
  void RefreshOverlay();
  // The rows RenderWater may write: the wave sets' rows, and above them as far as a jitter
  // moves a destination pixel.
  void FindWaterRows();

  const TTickSource& FTicks;
  const TWaterKernelTable* FKernels;
  TRandom FRandom;
  TProject* FProject = nullptr;
  const TBitmap32* FPicture = nullptr;
  const TBitmap32* FMask = nullptr;
  TWaveSets* FWaveSets = nullptr;
  TWaterState FWater;
  TColumnWaves FColumnWaves;
  TBitmap32 FReflected;
  TBitmap32 FFrame;
  TBitmap32 FOverlay;
  int FSpeedPercent = 100;
  std::unique_ptr<TWeather> FWeather;
  bool FWeatherOn = false;
  bool FHasReflection = false;
  uint32_t FLastTick = 0;
  std::unique_ptr<TClock> FClock;
  bool FShowClock = false;
  // The overlay equals the frame except inside FDrawn (drawn on it by the last step).
  bool FOverlayFresh = false;
  bool FOverlayRestore = true;
  std::vector<TRect> FDrawn;
  int FWaterTop = 0, FWaterBottom = -1;
  std::vector<TRect> FChanged;
  uint64_t FSteps = 0;
  bool FChangedAll = true;
  bool FOutputReset = true;   // the frame went back to the picture since the last step
  bool FLastOverlay = false;  // the last step's output was the overlay
};

}  // namespace ky
