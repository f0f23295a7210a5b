#pragma once
// TAnimEngine: turns one loaded scene into a moving picture. Every frame it recomputes a cosine
// wave per wave set and row and redraws the water pixels from displaced source pixels, then
// composes the objects, rain or snow and the clock on an overlay.
//
// Calling order per scene: SetProject, SetWeather(false), Prepare, SetWeather(kind > 0); then
// Step and GetOutput once per frame.
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "graphics/uBitmap32.h"
#include "platform/uRandom.h"
#include "platform/uTicks.h"
#include "scene/file/uSceneRecords.h"

namespace ky {

class TProject;
class TClock;
class TRain;
class TSnow;

// The formulas of one wave, shared with the tests. Angles are whole degrees.
namespace wave {
// cos(n degrees) for n = 0..360.
const std::array<double, 361>& CosTable();
// |u mod cycle| mod 360 for a positive cycle (the truncated remainder's magnitude is
// |u| mod cycle): the index into CosTable.
inline uint32_t CosIndex(int64_t u, int32_t cycle) {
  const uint64_t a = u < 0 ? 0 - static_cast<uint64_t>(u) : static_cast<uint64_t>(u);
  if (cycle == 360) return static_cast<uint32_t>(a % 360u);
  return static_cast<uint32_t>((a % static_cast<uint64_t>(cycle)) % 360u);
}
// CosTable[CosIndex(u, cycle)], with a cycle of 0 or less taken as 360.
double CosAt(int64_t u, int32_t cycle);
// The cycle a wave set is computed with: 360 for a cycle that is 0 or negative.
inline int32_t EffectiveCycle(int32_t cycle) { return cycle > 0 ? cycle : 360; }
// Round((height - s) * f * 360 / height + phase): the row argument of row s.
int RowArgument(int height, int s, double f, int32_t phase);
// Round(x * f / 2 * (height - s / 2) / height + phase): the argument of column x in row s.
int ColumnArgument(int height, int s, int x, double f, int32_t phase);
// Round(CosAt(u, cycle) * amp).
int Displacement(int u, int32_t cycle, double amp);
}  // namespace wave

class TAnimEngine {
 public:
  // The engine, its weather and its clock read the time from ticks.
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

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  int32_t Phase(int set) const { return FPhase.at(static_cast<size_t>(set)); }
  int TopRow(int set) const { return FTopRow.at(static_cast<size_t>(set)); }
  int BottomRow(int set) const { return FBottomRow.at(static_cast<size_t>(set)); }
  // Wave set index 0-5 of a pixel, or -1 for dry land.
  int RegionAt(int x, int y) const { return FRegionMap[static_cast<size_t>(y) * FWidth + x]; }
  int JitterAt(int set, int x) const { return FJitter[static_cast<size_t>(set)][static_cast<size_t>(x)]; }
  bool HasReflection() const { return FHasReflection; }
  bool WeatherOn() const { return FWeatherOn; }
  const TBitmap32& FrameSurface() const { return FFrame; }
  const TBitmap32& OverlaySurface() const { return FOverlay; }
  const TBitmap32& ReflectedPicture() const { return FReflected; }
  TSnow* Snow() { return FSnow.get(); }
  TRain* Rain() { return FRain.get(); }
  TRandom& Random() { return FRandom; }
  // Renders, and builds the region map and the reflection, with the plain per-pixel rules
  // instead of the fast kernels (for tests). Takes effect from the next Prepare for the map.
  void SetReferenceKernel(bool on) { FReferenceKernel = on; }
  // Allows the AVX2 forms of the fast kernel where the processor has them (for tests).
  void SetWideVectors(bool on);
  bool WideVectors() const { return FWideVectors; }

 private:
  bool NeedsOverlay() const;
  bool HasObjects() const;
  void BuildRegionMap();
  void BuildRegionMapReference();
  void BuildReflection();
  void BuildJitterTable();
  // One Step; without renderWater the water frame is left as it is.
  void StepFrame(bool renderWater);
  void RenderWater();
  // The plain per-pixel rule, kept as the reference the fast kernel must match.
  void RenderRowReference(int s);
  void RenderRowFast(int s);
  void RenderRunUniform(int s, int k, int x0, int x1);
  void RenderRunColumns(int s, int k, int x0, int x1);
  // Whether row y is region k from x0 to x1 - 1 (true for an empty range); rows y0 .. y1.
  bool RegionCovers(int y, int x0, int x1, int k) const;
  bool RowsCover(int y0, int y1, int x0, int x1, int k) const;
  void AdvancePhases(uint32_t dt);
  void DrawObjects();
  void DrawWeather(uint32_t dt);
  void DrawClock();

  // Per wave set, what a row needs.
  struct TRowWave {
    double Amp = 0, F = 0, DA = 0, DF = 0;
    int Vd = 0, Hd = 0;
  };

  const TTickSource& FTicks;
  TRandom FRandom;
  int FWidth = 0;
  int FHeight = 0;
  std::array<int32_t, kWaveSetCount> FPhase{};
  TProject* FProject = nullptr;
  const TBitmap32* FPicture = nullptr;
  const TBitmap32* FMask = nullptr;
  const TBitmap32* FSource = nullptr;  // Picture, or ReflectedPicture once a reflection is built
  std::array<TWaveParam, kWaveSetCount>* FWaveSets = nullptr;
  TBitmap32 FReflected;
  TBitmap32 FFrame;
  TBitmap32 FOverlay;
  int FSpeedPercent = 100;
  // Per pixel a wave set index or -1, row after row. Frame-sized, and written whole by every
  // Prepare, so it lives in huge pages like the surfaces (one first-touch fault per 2 MiB
  // rather than per 4 KiB); its contents are undefined until then.
  class TRegionGrid {
   public:
    void Resize(size_t count);
    int16_t* data() { return FData.get(); }
    const int16_t* data() const { return FData.get(); }
    int16_t& operator[](size_t i) { return FData[i]; }
    int16_t operator[](size_t i) const { return FData[i]; }

   private:
    struct TFreeDeleter {
      void operator()(int16_t* p) const noexcept;
    };
    std::unique_ptr<int16_t[], TFreeDeleter> FData;
    size_t FCapacity = 0;
  };
  TRegionGrid FRegionMap;
  std::array<std::vector<int32_t>, kWaveSetCount> FJitter;
  std::array<int, kWaveSetCount> FTopRow{};
  std::array<int, kWaveSetCount> FBottomRow{};
  std::array<TRowWave, kWaveSetCount> FRow{};
  std::array<bool, kWaveSetCount> FJitterZero{};
  // Runs of one wave set within a row, found once per scene: row y holds the runs
  // FRuns[FRowRuns[y]] .. FRuns[FRowRuns[y + 1] - 1].
  struct TRun {
    int X0, X1;
    int K;
  };
  std::vector<TRun> FRuns;
  std::vector<size_t> FRowRuns;
  // Per wave set, what its column waves need at one amplitude and cycle: the displacement of
  // every cosine index (and their range), and the cosine index (e mod Cycle) mod 360 of every
  // reduced argument e (empty when the table would be too large).
  struct TColumnWave {
    double Amp = std::numeric_limits<double>::quiet_NaN();
    std::array<int32_t, 360> Vd{};
    int VdMin = 0, VdMax = 0;
    int32_t Cycle = 0;
    std::vector<int32_t> Index;
    // Offset[e] := Vd[Index[e]] * Width: the source offset of each reduced argument, for Amp
    // and Width (rebuilt only when a whole frame keeps one amplitude).
    double OffsetAmp = std::numeric_limits<double>::quiet_NaN();
    int OffsetWidth = 0;
    std::vector<ptrdiff_t> Offset;
  };
  std::array<TColumnWave, kWaveSetCount> FColumnWaves;
  const TColumnWave& ColumnWave(int k, double amp, int32_t cycle);
  const std::vector<ptrdiff_t>& ColumnOffsets(int k);
  void RenderColumnsGeneral(int s, int k, int x0, int x1, const TColumnWave& cw);
  bool FReferenceKernel = false;
  bool FWideVectors = false;
  std::unique_ptr<TSnow> FSnow;
  std::unique_ptr<TRain> FRain;
  bool FWeatherOn = false;
  bool FHasReflection = false;
  uint32_t FLastTick = 0;
  std::unique_ptr<TClock> FClock;
  bool FShowClock = false;
};

}  // namespace ky
