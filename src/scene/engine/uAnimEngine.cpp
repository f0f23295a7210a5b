#include "scene/engine/uAnimEngine.h"

#include <algorithm>
#include <cstring>

#include "platform/uNumbers.h"
#include "scene/engine/uClock.h"
#include "scene/records/uRegionCodes.h"
#include "scene/model/uKyProject.h"
#include "scene/weather/uRain.h"
#include "scene/weather/uSnow.h"
#include "scene/weather/uWeather.h"

namespace ky {

TAnimEngine::TAnimEngine(const TTickSource& ticks)
    : FTicks(ticks), FKernels(&WaterKernels(WidestKernelLevel())), FClock(std::make_unique<TClock>(ticks)) {
  wave::CosTable();
}

TAnimEngine::~TAnimEngine() = default;

TSnow* TAnimEngine::Snow() { return dynamic_cast<TSnow*>(FWeather.get()); }
TRain* TAnimEngine::Rain() { return dynamic_cast<TRain*>(FWeather.get()); }

void TAnimEngine::SetProject(TProject& project) {
  FProject = &project;
  FPicture = &project.Picture();
  FMask = &project.Mask();
  FWaveSets = &project.WaveSets();
  FWater.Sets = FWaveSets;
  FSpeedPercent = project.SpeedPercent();
}

bool TAnimEngine::HasObjects() const { return FProject && !FProject->Objects().empty(); }

bool TAnimEngine::NeedsOverlay() const { return FWeatherOn || HasObjects() || FShowClock; }

void TAnimEngine::SetWeather(bool on) {
  FWeatherOn = on;
  FWeather.reset();
  if (!on || !FProject) return;
  FWeather = MakeWeather(FProject->Weather(), FOverlay, FRandom);
  if (FWeather) FWeather->Start(FProject->Weather());
}

TBitmap32& TAnimEngine::GetOutput() { return NeedsOverlay() ? FOverlay : FFrame; }

void TAnimEngine::Prepare() {
  if (!FProject) return;
  FLastTick = FTicks.Now();
  FWater.Width = FPicture->Width();
  FWater.Height = FPicture->Height();
  FFrame.SetSize(FWater.Width, FWater.Height);
  FClock->HandColour = MakeColor32(255, 255, 255, 0);
  FClock->HandAlpha = 180;
  if (FShowClock) {
    const int side = Round(FWater.Width / 8.0);
    FClock->SetSize(side, side);
  }
  if (FProject->Weather().Kind > kWeatherNone || HasObjects() || FShowClock) FOverlay.SetSize(FWater.Width, FWater.Height);
  FRandom.SetSeed(FTicks.Now());
  FWater.Phase.fill(0);
  FHasReflection = std::any_of(FWaveSets->begin(), FWaveSets->end(),
                               [](const TWaveParam& w) { return w.Reflection; });
  FWater.Source = FPicture;
  if (FHasReflection) {
    FReflected.Assign(*FPicture);
    BuildReflection();
  }
  BuildRegionMap();
  BuildJitterTable();
  FindWaterRows();
  const TRect display{0, 0, FWater.Width, FWater.Height};
  for (auto& obj : FProject->Objects())
    obj->StartInScene(display, FProject->DesignWidth(), FProject->DesignHeight());
  SetWeather(FWeatherOn);
  // The frame becomes the plain picture right after this step, so its water is only worth
  // drawing when the overlay keeps a copy of it.
  StepFrame(NeedsOverlay());
  FFrame.Assign(*FPicture);
  FOverlayFresh = false;
  FOutputReset = true;
}

void TAnimEngine::ResetFrame() {
  if (!FPicture) return;
  FOverlayFresh = false;
  FOutputReset = true;
  FFrame.Assign(*FPicture);
  if (FHasReflection) BuildReflection();
}


void TAnimEngine::BuildRegionMap() {
  FWater.Map.Reset(FWater.Width, FWater.Height);
  // The map and the row tables rely on the mask having the picture's size; a scene where it
  // does not (only possible when loading failed half-way) is dry everywhere.
  if (FMask->Width() != FWater.Width || FMask->Height() != FWater.Height) {
    FWater.Map.MakeDry();
    return;
  }
  FKernels->BuildRegionMap(*FMask, FWater.Map);
}

void TAnimEngine::BuildReflection() {
  FWater.Source = FPicture;
  const int W = FWater.Width, H = FWater.Height;
  if (FMask->Width() != W || FMask->Height() != H || FReflected.Width() != W || FReflected.Height() != H) return;
  FKernels->BuildReflection(*FPicture, *FMask, *FWaveSets, FReflected);
  FWater.Source = &FReflected;
}

void TAnimEngine::BuildJitterTable() {
  for (int i = 0; i < kWaveSetCount; ++i) {
    const int32_t j = (*FWaveSets)[i].Jitter;
    std::vector<int32_t>& t = FWater.Jitter[i];
    t.assign(static_cast<size_t>(FWater.Width), 0);
    if (j > 0)
      for (int32_t& v : t) v = FRandom.Random(j);
    FWater.JitterZero[i] = std::all_of(t.begin(), t.end(), [](int32_t v) { return v == 0; });
  }
}

void TAnimEngine::Step() { StepFrame(true); }

void TAnimEngine::StepFrame(bool renderWater) {
  if (!FProject) return;
  const uint32_t now = FTicks.Now();
  const uint32_t dt = TickDiff(now, FLastTick);
  FLastTick = now;
  if (renderWater) RenderWater();
  AdvancePhases(dt);
  ++FSteps;
  const bool overlay = NeedsOverlay();
  FChangedAll = FOutputReset || overlay != FLastOverlay || (overlay && !FOverlayFresh);
  FOutputReset = false;
  FLastOverlay = overlay;
  FChanged.clear();
  // What the last step drew on the overlay is taken away again.
  if (overlay) FChanged = FDrawn;
  if (renderWater && FWaterBottom >= FWaterTop) FChanged.push_back(TRect{0, FWaterTop, FWater.Width, FWaterBottom + 1});
  if (overlay) RefreshOverlay();
  else FOverlayFresh = false;
  DrawObjects();
  if (FWeatherOn) DrawWeather(dt);
  if (FShowClock) DrawClock();
  FChanged.insert(FChanged.end(), FDrawn.begin(), FDrawn.end());
}

void TAnimEngine::FindWaterRows() {
  FWaterTop = FWater.Height;
  FWaterBottom = -1;
  for (int k = 0; k < kRegionWaveSets; ++k) {
    const int top = FWater.Map.TopRow(k), bottom = FWater.Map.BottomRow(k);
    if (bottom < top) continue;
    const std::vector<int32_t>& jitter = FWater.Jitter[static_cast<size_t>(k)];
    const int32_t lift = jitter.empty() ? 0 : *std::max_element(jitter.begin(), jitter.end());
    FWaterTop = std::min(FWaterTop, static_cast<int>(std::max<int64_t>(0, int64_t{top} - lift)));
    FWaterBottom = std::max(FWaterBottom, std::min(bottom, FWater.Height - 1));
  }
}

void TAnimEngine::RefreshOverlay() {
  const int W = FWater.Width, H = FWater.Height;
  // Same size keeps the pixels, so this only allocates when the overlay was never sized.
  const bool sized = FOverlay.Width() == W && FOverlay.Height() == H;
  FOverlay.SetSize(W, H);
  const bool partial = FOverlayRestore && FOverlayFresh && sized && FFrame.Width() == W && FFrame.Height() == H;
  if (W > 0 && H > 0) {
    const size_t rowBytes = sizeof(TColor32) * static_cast<size_t>(W);
    if (!partial) {
      std::memcpy(FOverlay.Bits(), FFrame.Bits(), rowBytes * H);
    } else {
      if (FWaterBottom >= FWaterTop)
        std::memcpy(FOverlay.ScanLine(FWaterTop), FFrame.ScanLine(FWaterTop), rowBytes * (FWaterBottom - FWaterTop + 1));
      for (const TRect& d : FDrawn) {
        const TRect r = IntersectRect(d, TRect{0, 0, W, H});
        if (r.IsEmpty()) continue;
        const size_t n = sizeof(TColor32) * static_cast<size_t>(r.Right - r.Left);
        for (int y = r.Top; y < r.Bottom; ++y)
          if (y < FWaterTop || y > FWaterBottom) std::memcpy(FOverlay.ScanLine(y) + r.Left, FFrame.ScanLine(y) + r.Left, n);
      }
    }
  }
  FDrawn.clear();
  FOverlayFresh = true;
}

void TAnimEngine::RenderWater() {
  if (FWater.Width <= 0 || FWater.Height <= 0) return;
  // A scene that changed size since Prepare (reloaded but not prepared again) is not drawn:
  // the row tables belong to the old size.
  auto sameSize = [&](const TBitmap32& b) { return b.Width() == FWater.Width && b.Height() == FWater.Height; };
  if (!sameSize(*FPicture) || !sameSize(*FWater.Source) || !sameSize(FFrame)) return;
  const auto& sets = *FWaveSets;
  for (int i = 0; i < kWaveSetCount; ++i) {
    const TWaveParam& w = sets[i];
    TRowWave& r = FWater.Row[i];
    const double f = static_cast<double>(w.Frequency) * wave::EffectiveCycle(w.Cycle) / 360;
    r.Amp = w.Amplitude;
    r.F = f;
    if (w.Perspective) {
      r.Amp = 0;
      const int span = FWater.Map.BottomRow(i) - FWater.Map.TopRow(i);
      if (span != 0) {
        r.DA = static_cast<double>(w.Amplitude) / span;
        r.DF = f / span;
      } else {
        r.DA = w.Amplitude;
        r.DF = f;
      }
    }
  }
  for (int s = 0; s < FWater.Height; ++s) {
    bool any = false;
    for (int i = 0; i < kWaveSetCount; ++i) {
      if (s < FWater.Map.TopRow(i) || s > FWater.Map.BottomRow(i)) continue;
      const TWaveParam& w = sets[i];
      TRowWave& r = FWater.Row[i];
      if (w.Perspective) {
        r.Amp += r.DA;
        r.F -= 0.8 * r.DF;
      }
      const int u = wave::RowArgument(FWater.Height, s, r.F, FWater.Phase[i]);
      r.Vd = wave::Displacement(u, w.Cycle, r.Amp);
      r.Hd = Round(wave::CosAt(u, 360) * r.Amp);
      any = true;
    }
    if (!any) continue;
    FKernels->RenderRow(FWater, FColumnWaves, FFrame, s);
  }
}

void TAnimEngine::AdvancePhases(uint32_t dt) {
  const auto& sets = *FWaveSets;
  for (int i = 0; i < kWaveSetCount; ++i) {
    const TWaveParam& w = sets[i];
    const int64_t sdt = int64_t{w.PhaseSpeed} * dt;
    const int step = Round(static_cast<double>(sdt) / 50 * FSpeedPercent / 100);
    // Phases are never reduced; wrap instead of overflowing after an absurdly long show.
    const uint32_t p = static_cast<uint32_t>(FWater.Phase[i]);
    const uint32_t d = static_cast<uint32_t>(step);
    FWater.Phase[i] = static_cast<int32_t>(wave::PhaseDecreases(w.Direction) ? p - d : p + d);
  }
}

void TAnimEngine::DrawObjects() {
  if (!FProject) return;
  for (auto& obj : FProject->Objects()) {
    TRect drawn{};
    if (DrawSceneObject(*obj, FOverlay, drawn)) FDrawn.push_back(drawn);
  }
}

bool DrawSceneObject(TSceneObject& obj, TBitmap32& target, TRect& drawn) {
  obj.PrepareDraw();
  const TObjectDrawState st = obj.DrawState();
  if (!st.Visible) return false;
  // Edges far outside any surface are held within a billion pixels, so a hostile position or
  // size cannot overflow the rectangle's width; what is drawn is unchanged (it is clipped).
  auto edge = [](double v) { return Round(std::clamp(v, -1e9, 1e9)); };
  const int left = edge(st.ScreenLeft), top = edge(st.ScreenTop);
  int right, bottom;
  if (st.Scaled) {
    right = edge(left + st.PictureWidth * st.ScaleX * st.WidthSize / 100);
    bottom = edge(top + st.PictureHeight * st.ScaleY * st.HeightSize / 100);
  } else {
    right = edge(static_cast<double>(left) + st.PictureWidth);
    bottom = edge(static_cast<double>(top) + st.PictureHeight);
  }
  TBitmap32* src = &obj.Front();
  if (st.Flipped) {
    TBitmap32& back = obj.Back();
    back.Assign(*src);
    back.FlipHorizontal();
    src = &back;
  }
  if (src->Empty()) return false;
  target.Draw(TRect{left, top, right, bottom}, TRect{0, 0, st.PictureWidth, st.PictureHeight}, *src);
  drawn = TRect{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
  return true;
}

void TAnimEngine::DrawWeather(uint32_t dt) {
  if (!FWeather) return;
  FWeather->Step(dt, FSpeedPercent, FProject->Weather());
  FWeather->Draw();
  const std::vector<TRect>& drawn = FWeather->DrawnArea();
  FDrawn.insert(FDrawn.end(), drawn.begin(), drawn.end());
}

void TAnimEngine::DrawClock() {
  TBitmap32& out = GetOutput();
  const TPoint p = FClock->GetPosition(FWater.Width, FWater.Height);
  FClock->CaptureBackground(out, p.X, p.Y);
  const TBitmap32& face = FClock->Render();
  out.Draw(p.X, p.Y, face);
  FDrawn.push_back(TRect{p.X, p.Y, p.X + face.Width(), p.Y + face.Height()});
}

}  // namespace ky
