#include "scene/uAnimEngine.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/uNumbers.h"
#include "scene/uClock.h"
#include "scene/uFileIO.h"
#include "scene/uKyProject.h"
#include "scene/uRain.h"
#include "scene/uSnow.h"

namespace ky {

namespace wave {

const std::array<double, 361>& CosTable() {
  static const std::array<double, 361> table = [] {
    std::array<double, 361> t{};
    for (int n = 0; n <= 360; ++n) t[n] = std::cos(n * M_PI / 180.0);
    return t;
  }();
  return table;
}

double CosAt(int64_t u, int32_t cycle) { return CosTable()[CosIndex(u, EffectiveCycle(cycle))]; }

int RowArgument(int height, int s, double f, int32_t phase) {
  return Round((height - s) * f * 360 / height + phase);
}

int ColumnArgument(int height, int s, int x, double f, int32_t phase) {
  return Round(x * f / 2 * (height - s / 2.0) / height + phase);
}

int Displacement(int u, int32_t cycle, double amp) { return Round(CosAt(u, cycle) * amp); }

}  // namespace wave

namespace {
enum TColumnMode : uint8_t { cmRow, cmColumn, cmMirrored };

// Directions 3 and 4 follow the column, 2 and 5 the mirrored column, all others the row.
TColumnMode ColumnModeOf(int32_t d) {
  if (d == 3 || d == 4) return cmColumn;
  if (d == 2 || d == 5) return cmMirrored;
  return cmRow;
}
bool PhaseDecreases(int32_t d) { return d == 0 || d == 4 || d == 5; }
bool JitterMovesDestination(int32_t d) { return d < 2; }

inline int ClampInt(int64_t v, int lo, int hi) {
  return v < lo ? lo : (v > hi ? hi : static_cast<int>(v));
}
}  // namespace

TAnimEngine::TAnimEngine(const TTickSource& ticks)
    : FTicks(ticks), FClock(std::make_unique<TClock>(ticks)) {
  wave::CosTable();
}

TAnimEngine::~TAnimEngine() = default;

void TAnimEngine::SetProject(TProject& project) {
  FProject = &project;
  FPicture = &project.Picture();
  FMask = &project.Mask();
  FWaveSets = &project.WaveSets();
  FSpeedPercent = project.SpeedPercent();
}

bool TAnimEngine::HasObjects() const { return FProject && !FProject->Objects().empty(); }

bool TAnimEngine::NeedsOverlay() const { return FWeatherOn || HasObjects() || FShowClock; }

void TAnimEngine::SetWeather(bool on) {
  FWeatherOn = on;
  FSnow.reset();
  FRain.reset();
  if (!on || !FProject) return;
  const TWeatherParam& w = FProject->Weather();
  if (w.Kind == 1) {
    FSnow = std::make_unique<TSnow>(FOverlay, FRandom);
    FSnow->SetCount(w.Count);
    FSnow->Init();
  } else if (w.Kind == 2) {
    FRain = std::make_unique<TRain>(FOverlay, FRandom);
    FRain->SetCount(w.Count);
    FRain->Init();
  }
}

TBitmap32& TAnimEngine::GetOutput() { return NeedsOverlay() ? FOverlay : FFrame; }

void TAnimEngine::Prepare() {
  if (!FProject) return;
  FLastTick = FTicks.Now();
  FWidth = FPicture->Width();
  FHeight = FPicture->Height();
  FFrame.SetSize(FWidth, FHeight);
  FClock->HandColour = MakeColor32(255, 255, 255, 0);
  FClock->HandAlpha = 180;
  if (FShowClock) {
    const int side = Round(FWidth / 8.0);
    FClock->SetSize(side, side);
  }
  if (FProject->Weather().Kind > 0 || HasObjects() || FShowClock) FOverlay.SetSize(FWidth, FHeight);
  FRandom.SetSeed(FTicks.Now());
  FPhase.fill(0);
  FHasReflection = std::any_of(FWaveSets->begin(), FWaveSets->end(),
                               [](const TWaveParam& w) { return w.Reflection; });
  FSource = FPicture;
  if (FHasReflection) {
    FReflected.Assign(*FPicture);
    BuildReflection();
  }
  BuildRegionMap();
  BuildJitterTable();
  const TRect display{0, 0, FWidth, FHeight};
  for (auto& obj : FProject->Objects())
    obj->StartInScene(display, FProject->DesignWidth(), FProject->DesignHeight());
  SetWeather(FWeatherOn);
  Step();
  FFrame.Assign(*FPicture);
}

void TAnimEngine::ResetFrame() {
  if (!FPicture) return;
  FFrame.Assign(*FPicture);
  if (FHasReflection) BuildReflection();
}

void TAnimEngine::BuildRegionMap() {
  FTopRow.fill(50000);
  FBottomRow.fill(0);
  FRegionMap.assign(static_cast<size_t>(FWidth) * FHeight, -1);
  // The map and the row tables rely on the mask having the picture's size; a scene where it
  // does not (only possible when loading failed half-way) is dry everywhere.
  if (FMask->Width() != FWidth || FMask->Height() != FHeight) return;
  for (int y = 0; y < FHeight; ++y) {
    const TColor32* m = FMask->ScanLine(y);
    int16_t* r = &FRegionMap[static_cast<size_t>(y) * FWidth];
    for (int x = 0; x < FWidth; ++x) {
      const int code = RegionCodeOf(m[x]);
      if (code > 0) {
        FTopRow[code - 1] = std::min(FTopRow[code - 1], y);
        FBottomRow[code - 1] = std::max(FBottomRow[code - 1], y);
      }
      r[x] = static_cast<int16_t>(code - 1);
    }
  }
}

void TAnimEngine::BuildReflection() {
  FSource = FPicture;
  if (FMask->Width() != FWidth || FMask->Height() != FHeight || FReflected.Width() != FWidth ||
      FReflected.Height() != FHeight)
    return;
  std::array<int, kRegionCodeCount> firstRow;
  firstRow.fill(-1);
  for (int y = 0; y < FHeight; ++y) {
    const TColor32* m = FMask->ScanLine(y);
    TColor32* dst = FReflected.ScanLine(y);
    for (int x = 0; x < FWidth; ++x) {
      const int code = RegionCodeOf(m[x]);
      if (code == 0 || !(*FWaveSets)[code - 1].Reflection) continue;
      if (firstRow[code] == -1) firstRow[code] = y;
      // The mirror line lies just above the region's topmost row, the same in every column.
      const int mirror = 2 * firstRow[code] - y - 1;
      if (mirror >= 0) dst[x] = FPicture->Pixel(x, mirror);
    }
  }
  FSource = &FReflected;
}

void TAnimEngine::BuildJitterTable() {
  for (int i = 0; i < kWaveSetCount; ++i) {
    const int32_t j = (*FWaveSets)[i].Jitter;
    std::vector<int32_t>& t = FJitter[i];
    t.assign(static_cast<size_t>(FWidth), 0);
    if (j > 0)
      for (int32_t& v : t) v = FRandom.Random(j);
  }
}

void TAnimEngine::Step() {
  if (!FProject) return;
  const uint32_t now = FTicks.Now();
  const uint32_t dt = TickDiff(now, FLastTick);
  FLastTick = now;
  RenderWater();
  AdvancePhases(dt);
  if (NeedsOverlay()) {
    // Same size keeps the pixels, so this only allocates when the overlay was never sized.
    FOverlay.SetSize(FWidth, FHeight);
    if (FWidth > 0 && FHeight > 0)
      std::memcpy(FOverlay.Bits(), FFrame.Bits(), sizeof(TColor32) * static_cast<size_t>(FWidth) * FHeight);
  }
  DrawObjects();
  if (FWeatherOn) DrawWeather(dt);
  if (FShowClock) DrawClock();
}

void TAnimEngine::RenderWater() {
  if (FWidth <= 0 || FHeight <= 0) return;
  const auto& sets = *FWaveSets;
  for (int i = 0; i < kWaveSetCount; ++i) {
    const TWaveParam& w = sets[i];
    TRowWave& r = FRow[i];
    const double f = static_cast<double>(w.Frequency) * wave::EffectiveCycle(w.Cycle) / 360;
    r.Amp = w.Amplitude;
    r.F = f;
    if (w.Perspective) {
      r.Amp = 0;
      const int span = FBottomRow[i] - FTopRow[i];
      if (span != 0) {
        r.DA = static_cast<double>(w.Amplitude) / span;
        r.DF = f / span;
      } else {
        r.DA = w.Amplitude;
        r.DF = f;
      }
    }
  }
  for (int s = 0; s < FHeight; ++s) {
    bool any = false;
    for (int i = 0; i < kWaveSetCount; ++i) {
      if (s < FTopRow[i] || s > FBottomRow[i]) continue;
      const TWaveParam& w = sets[i];
      TRowWave& r = FRow[i];
      if (w.Perspective) {
        r.Amp += r.DA;
        r.F -= 0.8 * r.DF;
      }
      const int u = wave::RowArgument(FHeight, s, r.F, FPhase[i]);
      r.Vd = wave::Displacement(u, w.Cycle, r.Amp);
      r.Hd = Round(wave::CosAt(u, 360) * r.Amp);
      any = true;
    }
    if (any) RenderRow(s);
  }
}

void TAnimEngine::RenderRow(int s) {
  const auto& sets = *FWaveSets;
  // What each wave set needs for this row, gathered once.
  struct TSetRow {
    int Vd, Hd;
    int32_t Cycle;
    int32_t Phase;
    double F, Amp;
    uint8_t Mode;
    bool UseJitter, Animated, HorzShift;
    const int32_t* Jitter;
  };
  TSetRow set[6];
  for (int k = 0; k < 6; ++k) {
    const TWaveParam& w = sets[k];
    set[k] = TSetRow{FRow[k].Vd, FRow[k].Hd, wave::EffectiveCycle(w.Cycle), FPhase[k], FRow[k].F,
                     FRow[k].Amp, ColumnModeOf(w.Direction), JitterMovesDestination(w.Direction),
                     w.Animated, w.HorzShift, FJitter[k].data()};
  }
  const int W = FWidth, H = FHeight;
  const int16_t* region = FRegionMap.data();
  const int16_t* regionRow = region + static_cast<size_t>(s) * W;
  const TColor32* source = FSource->Bits();
  TColor32* frame = FFrame.Bits();
  const double q = H - s / 2.0;
  for (int x = 0; x < W; ++x) {
    const int k = regionRow[x];
    if (k < 0) continue;
    const TSetRow& t = set[k];
    const int j = t.UseJitter ? t.Jitter[x] : 0;
    int64_t src;
    if (t.Animated) {
      int vd = t.Vd;
      if (t.Mode != cmRow) {
        const int xx = t.Mode == cmColumn ? x : W - 1 - x;
        const int u = Round(xx * t.F / 2 * q / H + t.Phase);
        vd = Round(wave::CosTable()[wave::CosIndex(u, t.Cycle)] * t.Amp);
      }
      src = int64_t{s} + vd - j;
    } else {
      src = int64_t{s} - t.Jitter[x];
    }
    const int srcRow = ClampInt(src, 0, H - 1);
    const int dstRow = ClampInt(int64_t{s} - j, 0, H - 1);
    const int srcCol = t.HorzShift ? ClampInt(int64_t{x} - t.Hd, 0, W - 1) : x;
    // A displaced pixel never leaves its own region.
    if (region[static_cast<size_t>(dstRow) * W + srcCol] == k && region[static_cast<size_t>(srcRow) * W + srcCol] == k)
      frame[static_cast<size_t>(dstRow) * W + x] = source[static_cast<size_t>(srcRow) * W + srcCol];
  }
}

void TAnimEngine::AdvancePhases(uint32_t dt) {
  const auto& sets = *FWaveSets;
  for (int i = 0; i < kWaveSetCount; ++i) {
    const TWaveParam& w = sets[i];
    const int64_t sdt = int64_t{w.PhaseSpeed} * dt;
    const int step = Round(static_cast<double>(sdt) / 50 * FSpeedPercent / 100);
    // Phases are never reduced; wrap instead of overflowing after an absurdly long show.
    const uint32_t p = static_cast<uint32_t>(FPhase[i]);
    const uint32_t d = static_cast<uint32_t>(step);
    FPhase[i] = static_cast<int32_t>(PhaseDecreases(w.Direction) ? p - d : p + d);
  }
}

void TAnimEngine::DrawObjects() {
  if (!FProject) return;
  for (auto& obj : FProject->Objects()) {
    const TObjectDrawState st = obj->DrawState();
    if (!st.Visible) continue;
    const int left = st.ScreenLeft, top = st.ScreenTop;
    int right, bottom;
    if (st.Scaled) {
      right = Round(left + st.PictureWidth * st.ScaleX * st.WidthSize / 100);
      bottom = Round(top + st.PictureHeight * st.ScaleY * st.HeightSize / 100);
    } else {
      right = left + st.PictureWidth;
      bottom = top + st.PictureHeight;
    }
    TBitmap32* src = &obj->Front();
    if (st.Flipped) {
      TBitmap32& back = obj->Back();
      back.Assign(*src);
      back.FlipHorizontal();
      src = &back;
    }
    if (src->Empty()) continue;
    FOverlay.Draw(TRect{left, top, right, bottom}, TRect{0, 0, st.PictureWidth, st.PictureHeight}, *src);
  }
}

void TAnimEngine::DrawWeather(uint32_t dt) {
  const TWeatherParam& w = FProject->Weather();
  if (w.Kind == 1 && FSnow) {
    FSnow->SetInputs(dt, FSpeedPercent, w.SpeedIndex, w.Opacity, w.SizeOrAngle);
    FSnow->Update();
  } else if (w.Kind == 2 && FRain) {
    FRain->SetInputs(dt, FSpeedPercent, w.SpeedIndex, 180.0 - w.SizeOrAngle, w.DropLength, w.Opacity);
    FRain->Update();
  }
}

void TAnimEngine::DrawClock() {
  TBitmap32& out = GetOutput();
  const TPoint p = FClock->GetPosition(FWidth, FHeight);
  FClock->CaptureBackground(out, p.X, p.Y);
  out.Draw(p.X, p.Y, FClock->Render());
}

}  // namespace ky
