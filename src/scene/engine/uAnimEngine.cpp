#include "scene/engine/uAnimEngine.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "platform/uMemory.h"
#include "platform/uNumbers.h"
#include "scene/engine/uClock.h"
#include "scene/model/uRegionCodes.h"
#include "scene/model/uKyProject.h"
#include "scene/weather/uRain.h"
#include "scene/weather/uSnow.h"

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

// Column-wave arguments are worked out this many at a time.
constexpr int kColumnChunk = 256;
constexpr int kPrefetchRows = 4;

inline int ClampInt(int64_t v, int lo, int hi) {
  return v < lo ? lo : (v > hi ? hi : static_cast<int>(v));
}
}  // namespace

TAnimEngine::TAnimEngine(const TTickSource& ticks)
    : FTicks(ticks), FClock(std::make_unique<TClock>(ticks)) {
  wave::CosTable();
#if defined(__x86_64__)
  FWideVectors = __builtin_cpu_supports("avx2");
#endif
}

TAnimEngine::~TAnimEngine() = default;

void TAnimEngine::SetWideVectors(bool on) {
#if defined(__x86_64__)
  FWideVectors = on && __builtin_cpu_supports("avx2");
#else
  FWideVectors = false;
#endif
}

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
  // The frame becomes the plain picture right after this step, so its water is only worth
  // drawing when the overlay keeps a copy of it.
  StepFrame(NeedsOverlay());
  FFrame.Assign(*FPicture);
}

void TAnimEngine::ResetFrame() {
  if (!FPicture) return;
  FFrame.Assign(*FPicture);
  if (FHasReflection) BuildReflection();
}

void TAnimEngine::TRegionGrid::TFreeDeleter::operator()(int16_t* p) const noexcept { std::free(p); }

void TAnimEngine::TRegionGrid::Resize(size_t count) {
  if (count <= FCapacity) return;
  FData.reset();
  FCapacity = 0;
  void* p = AllocateLarge(count * sizeof(int16_t));
  if (p == nullptr) throw std::bad_alloc();
  FData.reset(static_cast<int16_t*>(p));
  FCapacity = count;
}

void TAnimEngine::BuildRegionMap() {
  FTopRow.fill(50000);
  FBottomRow.fill(0);
  FRuns.clear();
  FRowRuns.assign(static_cast<size_t>(FHeight) + 1, 0);
  // The map and the row tables rely on the mask having the picture's size; a scene where it
  // does not (only possible when loading failed half-way) is dry everywhere.
  if (FMask->Width() != FWidth || FMask->Height() != FHeight) {
    FRegionMap.Resize(static_cast<size_t>(FWidth) * FHeight);
    std::fill_n(FRegionMap.data(), static_cast<size_t>(FWidth) * FHeight, int16_t{-1});
    return;
  }
  FRegionMap.Resize(static_cast<size_t>(FWidth) * FHeight);
  if (FReferenceKernel) {
    BuildRegionMapReference();
    return;
  }
  for (int y = 0; y < FHeight; ++y) {
    const TColor32* m = FMask->ScanLine(y);
    int16_t* r = &FRegionMap[static_cast<size_t>(y) * FWidth];
    const size_t rowStart = FRuns.size();
    FRowRuns[y] = rowStart;
    uint32_t seen = 0;  // bit c: code c occurs in this row
    for (int x = 0; x < FWidth;) {
      const int end = EqualPixelRunEnd(m, x, FWidth);
      const int code = RegionCodeOf(m[x]);
      std::fill(r + x, r + end, static_cast<int16_t>(code - 1));
      seen |= 1u << code;
      // Neighbouring mask colours of one code make one run.
      if (code > 0) {
        if (FRuns.size() > rowStart && FRuns.back().K == code - 1 && FRuns.back().X1 == x)
          FRuns.back().X1 = end;
        else
          FRuns.push_back(TRun{x, end, code - 1});
      }
      x = end;
    }
    for (int code = 1; code < kRegionCodeCount; ++code)
      if (seen & (1u << code)) {
        FTopRow[code - 1] = std::min(FTopRow[code - 1], y);
        FBottomRow[code - 1] = std::max(FBottomRow[code - 1], y);
      }
  }
  FRowRuns[FHeight] = FRuns.size();
}

void TAnimEngine::BuildRegionMapReference() {
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
  for (int y = 0; y < FHeight; ++y) {
    FRowRuns[y] = FRuns.size();
    const int16_t* r = &FRegionMap[static_cast<size_t>(y) * FWidth];
    for (int x = 0; x < FWidth;) {
      const int k = r[x];
      int end = x + 1;
      while (end < FWidth && r[end] == k) ++end;
      if (k >= 0) FRuns.push_back(TRun{x, end, k});
      x = end;
    }
  }
  FRowRuns[FHeight] = FRuns.size();
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
    if (FReferenceKernel) {
      for (int x = 0; x < FWidth; ++x) {
        const int code = RegionCodeOf(m[x]);
        if (code == 0 || !(*FWaveSets)[code - 1].Reflection) continue;
        if (firstRow[code] == -1) firstRow[code] = y;
        // The mirror line lies just above the region's topmost row, the same in every column.
        const int mirror = 2 * firstRow[code] - y - 1;
        if (mirror >= 0) dst[x] = FPicture->Pixel(x, mirror);
      }
      continue;
    }
    // The same rule a run of one mask colour at a time: the run shares its code and so its
    // mirror row.
    for (int x = 0; x < FWidth;) {
      const int end = EqualPixelRunEnd(m, x, FWidth);
      const int code = RegionCodeOf(m[x]);
      if (code != 0 && (*FWaveSets)[code - 1].Reflection) {
        if (firstRow[code] == -1) firstRow[code] = y;
        const int mirror = 2 * firstRow[code] - y - 1;
        if (mirror >= 0)
          std::memcpy(dst + x, FPicture->ScanLine(mirror) + x, sizeof(TColor32) * static_cast<size_t>(end - x));
      }
      x = end;
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
    FJitterZero[i] = std::all_of(t.begin(), t.end(), [](int32_t v) { return v == 0; });
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
  // A scene that changed size since Prepare (reloaded but not prepared again) is not drawn:
  // the row tables belong to the old size.
  auto sameSize = [&](const TBitmap32& b) { return b.Width() == FWidth && b.Height() == FHeight; };
  if (!sameSize(*FPicture) || !sameSize(*FSource) || !sameSize(FFrame)) return;
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
    if (!any) continue;
    if (FReferenceKernel)
      RenderRowReference(s);
    else
      RenderRowFast(s);
  }
}

void TAnimEngine::RenderRowReference(int s) {
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

// The fast kernel splits each row into runs of one wave set. Rows of a set whose every pixel
// moves alike (row waves or still water, without jitter) become masked copies between two rows;
// column waves compute their argument with a multiplication instead of the division and fall
// back to the exact formula wherever the two could round differently.
void TAnimEngine::RenderRowFast(int s) {
  const int W = FWidth;
  const auto& sets = *FWaveSets;
  for (size_t r = FRowRuns[s]; r < FRowRuns[s + 1]; ++r) {
    const int x = FRuns[r].X0, end = FRuns[r].X1, k = FRuns[r].K;
    const TWaveParam& w = sets[k];
    const TColumnMode mode = ColumnModeOf(w.Direction);
    if (FJitterZero[k] && (!w.Animated || mode == cmRow)) {
      RenderRunUniform(s, k, x, end);
    } else if (w.Animated && mode != cmRow) {
      RenderRunColumns(s, k, x, end);
    } else {
      // Jitter: per-column rows; the reference rule restricted to this run.
      const int16_t* region = FRegionMap.data();
      const TColor32* source = FSource->Bits();
      TColor32* frame = FFrame.Bits();
      const int H = FHeight;
      const bool useJitter = JitterMovesDestination(w.Direction);
      const int32_t* jt = FJitter[k].data();
      for (int c = x; c < end; ++c) {
        const int j = useJitter ? jt[c] : 0;
        const int64_t src = w.Animated ? int64_t{s} + FRow[k].Vd - j : int64_t{s} - jt[c];
        const int srcRow = ClampInt(src, 0, H - 1);
        const int dstRow = ClampInt(int64_t{s} - j, 0, H - 1);
        const int srcCol = w.HorzShift ? ClampInt(int64_t{c} - FRow[k].Hd, 0, W - 1) : c;
        if (region[static_cast<size_t>(dstRow) * W + srcCol] == k &&
            region[static_cast<size_t>(srcRow) * W + srcCol] == k)
          frame[static_cast<size_t>(dstRow) * W + c] = source[static_cast<size_t>(srcRow) * W + srcCol];
      }
    }
  }
}

namespace {
// dst[x] := src[x] where region[x] == k; every pixel is stored so the loop vectorises.
__attribute__((target_clones("avx2", "default"))) void MaskedCopy(TColor32* __restrict dst,
                                                                   const TColor32* __restrict src,
                                                                   const int16_t* __restrict region, int k, int n) {
  const auto kk = static_cast<int16_t>(k);
  for (int i = 0; i < n; ++i) dst[i] = region[i] == kk ? src[i] : dst[i];
}


// The cosine indices of n (at most kColumnChunk) columns at base, base + dir, ...:
// t = x * slope + phase rounded to u, then |u| mod cycle mod 360. Columns whose t lies within
// 1e-6 of a half-way point or is huge get their bit set in redo; the caller must compute
// those with the exact formula. Returns whether any bit is set.
// Columns i0 .. n - 1 of ColumnIndices, one at a time.
uint64_t ColumnIndicesTail(int i, int n, double base, double dir, double slope, double phase, double cycle,
                           double invCycle, int* __restrict idx, uint64_t* __restrict redo) {
  uint64_t any = 0;
  for (; i < n; ++i) {
    const double t = (base + dir * i) * slope + phase;
    const double r = std::nearbyint(t);
    if (std::fabs(t - r) >= 0.5 - 1e-6 || std::fabs(t) >= 1e8) {
      redo[i >> 6] |= uint64_t{1} << (i & 63);
      any = 1;
      idx[i] = 0;
      continue;
    }
    const double a = std::fabs(r);
    const double m = a - cycle * static_cast<int>((a + 0.5) * invCycle);
    idx[i] = static_cast<int>(m - 360.0 * static_cast<int>((m + 0.5) * (1.0 / 360)));
  }
  return any;
}

bool ColumnIndices(int n, double base, double dir, double slope, double phase, double cycle, double invCycle,
                   int* __restrict idx, uint64_t* __restrict redo) {
  int i = 0;
  for (int w = 0; w < kColumnChunk / 64; ++w) redo[w] = 0;
  uint64_t any = 0;
#if defined(__SSE4_1__)
  const __m128d signMask = _mm_set1_pd(-0.0);
  const __m128d tieLimit = _mm_set1_pd(0.5 - 1e-6), bigLimit = _mm_set1_pd(1e8);
  const __m128d vSlope = _mm_set1_pd(slope), vPhase = _mm_set1_pd(phase), vHalf = _mm_set1_pd(0.5);
  const __m128d vCycle = _mm_set1_pd(cycle), vInvCycle = _mm_set1_pd(invCycle);
  const __m128d v360 = _mm_set1_pd(360.0), vInv360 = _mm_set1_pd(1.0 / 360);
  const __m128d step = _mm_set1_pd(2 * dir);
  __m128d x = _mm_set_pd(base + dir, base);
  for (; i + 2 <= n; i += 2, x = _mm_add_pd(x, step)) {
    const __m128d t = _mm_add_pd(_mm_mul_pd(x, vSlope), vPhase);
    const __m128d r = _mm_round_pd(t, _MM_FROUND_CUR_DIRECTION | _MM_FROUND_NO_EXC);
    const __m128d at = _mm_andnot_pd(signMask, t);
    const __m128d e = _mm_andnot_pd(signMask, _mm_sub_pd(t, r));
    const auto bits = static_cast<uint64_t>(
        _mm_movemask_pd(_mm_or_pd(_mm_cmpge_pd(e, tieLimit), _mm_cmpge_pd(at, bigLimit))));
    redo[i >> 6] |= bits << (i & 63);
    any |= bits;
    const __m128d a = _mm_and_pd(_mm_andnot_pd(signMask, r), _mm_cmplt_pd(at, bigLimit));
    const __m128d q = _mm_cvtepi32_pd(_mm_cvttpd_epi32(_mm_mul_pd(_mm_add_pd(a, vHalf), vInvCycle)));
    const __m128d m = _mm_sub_pd(a, _mm_mul_pd(vCycle, q));
    const __m128d q2 = _mm_cvtepi32_pd(_mm_cvttpd_epi32(_mm_mul_pd(_mm_add_pd(m, vHalf), vInv360)));
    const __m128d d = _mm_sub_pd(m, _mm_mul_pd(v360, q2));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(idx + i), _mm_cvttpd_epi32(d));
  }
#endif
  any |= ColumnIndicesTail(i, n, base, dir, slope, phase, cycle, invCycle, idx, redo);
  return any != 0;
}

#if defined(__x86_64__)
// The same four columns at a time (AVX2 machines).
__attribute__((target("avx2"))) bool ColumnIndicesAvx2(int n, double base, double dir, double slope,
                                                        double phase, double cycle, double invCycle,
                                                        int* __restrict idx, uint64_t* __restrict redo) {
  int i = 0;
  for (int w = 0; w < kColumnChunk / 64; ++w) redo[w] = 0;
  uint64_t any = 0;
  const __m256d signMask = _mm256_set1_pd(-0.0);
  const __m256d tieLimit = _mm256_set1_pd(0.5 - 1e-6), bigLimit = _mm256_set1_pd(1e8);
  const __m256d vSlope = _mm256_set1_pd(slope), vPhase = _mm256_set1_pd(phase), vHalf = _mm256_set1_pd(0.5);
  const __m256d vCycle = _mm256_set1_pd(cycle), vInvCycle = _mm256_set1_pd(invCycle);
  const __m256d v360 = _mm256_set1_pd(360.0), vInv360 = _mm256_set1_pd(1.0 / 360);
  const __m256d step = _mm256_set1_pd(4 * dir);
  __m256d x = _mm256_set_pd(base + 3 * dir, base + 2 * dir, base + dir, base);
  for (; i + 4 <= n; i += 4, x = _mm256_add_pd(x, step)) {
    const __m256d t = _mm256_add_pd(_mm256_mul_pd(x, vSlope), vPhase);
    const __m256d r = _mm256_round_pd(t, _MM_FROUND_CUR_DIRECTION | _MM_FROUND_NO_EXC);
    const __m256d at = _mm256_andnot_pd(signMask, t);
    const __m256d e = _mm256_andnot_pd(signMask, _mm256_sub_pd(t, r));
    const auto bits = static_cast<uint64_t>(_mm256_movemask_pd(
        _mm256_or_pd(_mm256_cmp_pd(e, tieLimit, _CMP_GE_OQ), _mm256_cmp_pd(at, bigLimit, _CMP_GE_OQ))));
    redo[i >> 6] |= bits << (i & 63);
    any |= bits;
    const __m256d a = _mm256_and_pd(_mm256_andnot_pd(signMask, r), _mm256_cmp_pd(at, bigLimit, _CMP_LT_OQ));
    const __m256d q = _mm256_cvtepi32_pd(_mm256_cvttpd_epi32(_mm256_mul_pd(_mm256_add_pd(a, vHalf), vInvCycle)));
    const __m256d m = _mm256_sub_pd(a, _mm256_mul_pd(vCycle, q));
    const __m256d q2 = _mm256_cvtepi32_pd(_mm256_cvttpd_epi32(_mm256_mul_pd(_mm256_add_pd(m, vHalf), vInv360)));
    const __m256d d = _mm256_sub_pd(m, _mm256_mul_pd(v360, q2));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(idx + i), _mm256_cvttpd_epi32(d));
  }
  any |= ColumnIndicesTail(i, n, base, dir, slope, phase, cycle, invCycle, idx, redo);
  return any != 0;
}

#endif

// The column arguments of n (at most kColumnChunk) columns at base, base + dir, ...:
// e[i] := t rounded, t = (base + dir * i) * slope + offset, with the bit of column i set in redo
// where t lies within 1e-6 of a half-way point (those columns need the exact formula). Returns
// whether any bit is set. The caller keeps 1 <= t < 2^30.
//
// t runs in 32.32 fixed point, one addition per column, carrying half a unit so that the upper
// half is t rounded. Over a chunk the fixed point drifts from t by under 1e-7, so columns not
// flagged round as t does.
struct TFixedLine {
  int64_t First, Step;  // t of the first column + 1/2, and the step, times 2^32
  TFixedLine(double base, double dir, double slope, double offset)
      : First(std::llround((base * slope + offset) * 4294967296.0) + (int64_t{1} << 31)),
        Step(std::llround(dir * slope * 4294967296.0)) {}
};
// A fraction this close to a half (in 2^-32 units) is a possible tie: 1e-6 * 2^32.
constexpr int32_t kTieUnits = 4295;

uint64_t ReducedArgumentsTail(int i, int n, const TFixedLine& line, int32_t* __restrict e, uint64_t* __restrict redo) {
  uint64_t any = 0;
  for (; i < n; ++i) {
    const int64_t t = line.First + line.Step * i;
    e[i] = static_cast<int32_t>(t >> 32);
    const auto frac = static_cast<int32_t>(static_cast<uint32_t>(t));
    if (frac > -kTieUnits && frac < kTieUnits) {
      redo[i >> 6] |= uint64_t{1} << (i & 63);
      any = 1;
    }
  }
  return any;
}

bool ReducedArguments(int n, double base, double dir, double slope, double offset, int32_t* __restrict e,
                      uint64_t* __restrict redo) {
  for (int w = 0; w < kColumnChunk / 64; ++w) redo[w] = 0;
  const TFixedLine line(base, dir, slope, offset);
  int i = 0;
  uint64_t any = 0;
#if defined(__SSE4_1__)
  // Columns 0, 1 in a, 2, 3 in b, so the halves pick out in order.
  __m128i a = _mm_set_epi64x(line.First + line.Step, line.First);
  __m128i b = _mm_add_epi64(a, _mm_set1_epi64x(2 * line.Step));
  const __m128i step = _mm_set1_epi64x(4 * line.Step), limit = _mm_set1_epi32(kTieUnits);
  for (; i + 64 <= n; i += 64) {
    uint64_t word = 0;
    for (int j = 0; j < 64; j += 4) {
      const __m128 fa = _mm_castsi128_ps(a), fb = _mm_castsi128_ps(b);
      const __m128i whole = _mm_castps_si128(_mm_shuffle_ps(fa, fb, _MM_SHUFFLE(3, 1, 3, 1)));
      const __m128i frac = _mm_castps_si128(_mm_shuffle_ps(fa, fb, _MM_SHUFFLE(2, 0, 2, 0)));
      const __m128i tie = _mm_cmpgt_epi32(limit, _mm_abs_epi32(frac));
      word |= static_cast<uint64_t>(_mm_movemask_ps(_mm_castsi128_ps(tie))) << j;
      _mm_storeu_si128(reinterpret_cast<__m128i*>(e + i + j), whole);
      a = _mm_add_epi64(a, step);
      b = _mm_add_epi64(b, step);
    }
    redo[i >> 6] = word;
    any |= word;
  }
#endif
  any |= ReducedArgumentsTail(i, n, line, e, redo);
  return any != 0;
}

#if defined(__x86_64__)
__attribute__((target("avx2"))) bool ReducedArgumentsAvx2(int n, double base, double dir, double slope,
                                                          double offset, int32_t* __restrict e,
                                                          uint64_t* __restrict redo) {
  for (int w = 0; w < kColumnChunk / 64; ++w) redo[w] = 0;
  const TFixedLine line(base, dir, slope, offset);
  int i = 0;
  uint64_t any = 0;
  // Columns 0, 1, 4, 5 in a and 2, 3, 6, 7 in b, so that the halves pick out in order.
  const int64_t f = line.First, d = line.Step;
  __m256i a = _mm256_set_epi64x(f + 5 * d, f + 4 * d, f + d, f);
  __m256i b = _mm256_add_epi64(a, _mm256_set1_epi64x(2 * d));
  const __m256i step = _mm256_set1_epi64x(8 * d), limit = _mm256_set1_epi32(kTieUnits);
  for (; i + 64 <= n; i += 64) {
    uint64_t word = 0;
    for (int j = 0; j < 64; j += 8) {
      const __m256 fa = _mm256_castsi256_ps(a), fb = _mm256_castsi256_ps(b);
      const __m256i whole = _mm256_castps_si256(_mm256_shuffle_ps(fa, fb, _MM_SHUFFLE(3, 1, 3, 1)));
      const __m256i frac = _mm256_castps_si256(_mm256_shuffle_ps(fa, fb, _MM_SHUFFLE(2, 0, 2, 0)));
      const __m256i tie = _mm256_cmpgt_epi32(limit, _mm256_abs_epi32(frac));
      word |= static_cast<uint64_t>(_mm256_movemask_ps(_mm256_castsi256_ps(tie))) << j;
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(e + i + j), whole);
      a = _mm256_add_epi64(a, step);
      b = _mm256_add_epi64(b, step);
    }
    redo[i >> 6] = word;
    any |= word;
  }
  any |= ReducedArgumentsTail(i, n, line, e, redo);
  return any != 0;
}
#endif

// dst[x] := src[x] where both regions are k.
__attribute__((target_clones("avx2", "default"))) void MaskedCopy2(TColor32* __restrict dst,
                                                                    const TColor32* __restrict src,
                                                                    const int16_t* __restrict regionA,
                                                                    const int16_t* __restrict regionB, int k, int n) {
  const auto kk = static_cast<int16_t>(k);
  for (int i = 0; i < n; ++i) dst[i] = (regionA[i] == kk) & (regionB[i] == kk) ? src[i] : dst[i];
}
}  // namespace

bool TAnimEngine::RegionCovers(int y, int x0, int x1, int k) const {
  if (x0 >= x1) return true;
  const TRun* first = FRuns.data() + FRowRuns[y];
  const TRun* last = FRuns.data() + FRowRuns[y + 1];
  // The last run starting at or before x0; runs are maximal, so it alone can cover x0 .. x1.
  const TRun* r = std::upper_bound(first, last, x0, [](int x, const TRun& run) { return x < run.X0; });
  if (r == first) return false;
  --r;
  return r->K == k && r->X1 >= x1;
}

bool TAnimEngine::RowsCover(int y0, int y1, int x0, int x1, int k) const {
  for (int y = y0; y <= y1; ++y)
    if (!RegionCovers(y, x0, x1, k)) return false;
  return true;
}

void TAnimEngine::RenderRunUniform(int s, int k, int x0, int x1) {
  const TWaveParam& w = (*FWaveSets)[k];
  const int W = FWidth, H = FHeight;
  const int r = ClampInt(int64_t{s} + (w.Animated ? FRow[k].Vd : 0), 0, H - 1);
  const int16_t* regS = FRegionMap.data() + static_cast<size_t>(s) * W;
  const int16_t* regR = FRegionMap.data() + static_cast<size_t>(r) * W;
  const TColor32* src = FSource->Bits() + static_cast<size_t>(r) * W;
  TColor32* dst = FFrame.Bits() + static_cast<size_t>(s) * W;
  if (!w.HorzShift) {
    // The run lies in region k of row s, so only the source row needs checking; where it is
    // region k all along, every pixel is copied.
    if (RegionCovers(r, x0, x1, k))
      std::memcpy(dst + x0, src + x0, sizeof(TColor32) * static_cast<size_t>(x1 - x0));
    else
      MaskedCopy(dst + x0, src + x0, regR + x0, k, x1 - x0);
    return;
  }
  const int64_t hd = FRow[k].Hd;
  // Columns whose source x - hd lies inside the picture form one shifted block.
  const int a = static_cast<int>(std::clamp<int64_t>(hd, x0, x1));
  const int b = static_cast<int>(std::clamp<int64_t>(W - 1 + hd + 1, a, x1));
  auto one = [&](int x) {
    const int sc = ClampInt(x - hd, 0, W - 1);
    if (regS[sc] == k && regR[sc] == k) dst[x] = src[sc];
  };
  for (int x = x0; x < a; ++x) one(x);
  if (b > a) {
    const int off = static_cast<int>(a - hd);
    if (RegionCovers(s, off, off + (b - a), k) && RegionCovers(r, off, off + (b - a), k))
      std::memcpy(dst + a, src + off, sizeof(TColor32) * static_cast<size_t>(b - a));
    else
      MaskedCopy2(dst + a, src + off, regS + off, regR + off, k, b - a);
  }
  for (int x = b; x < x1; ++x) one(x);
}

const TAnimEngine::TColumnWave& TAnimEngine::ColumnWave(int k, double amp, int32_t cycle) {
  TColumnWave& c = FColumnWaves[k];
  if (!(c.Amp == amp)) {
    const double* cosT = wave::CosTable().data();
    c.Amp = amp;
    c.VdMin = c.VdMax = Round(cosT[0] * amp);
    for (int i = 0; i < 360; ++i) {
      const int vd = Round(cosT[i] * amp);
      c.Vd[i] = vd;
      c.VdMin = std::min(c.VdMin, vd);
      c.VdMax = std::max(c.VdMax, vd);
    }
  }
  // Reduced arguments stay below one cycle plus the rise over one chunk (the slope is at most
  // |F| / 2); a chunk beyond the table takes the general path.
  const double f = std::fabs(static_cast<double>((*FWaveSets)[k].Frequency) * cycle / 360);
  const double span = cycle + f / 2 * kColumnChunk + 8;
  const bool fits = span < 1 << 16;
  if (c.Cycle != cycle || (fits && static_cast<double>(c.Index.size()) < span)) {
    c.Cycle = cycle;
    c.Index.clear();
    if (fits) {
      c.Index.resize(static_cast<size_t>(span));
      for (size_t e = 0; e < c.Index.size(); ++e) c.Index[e] = static_cast<int32_t>((e % cycle) % 360);
    }
  }
  return c;
}

// Column waves. Each column x has its own argument u = Round(x f / 2 (H - s / 2) / H + phase)
// and so its own source row s + vd, vd = Round(cos((|u| mod C) mod 360) amp).
//
// Without sideways shift, a chunk of columns whose arguments all have one sign takes the table
// path: |u| = sign * u, and subtracting a multiple n C of the cycle from sign * phase leaves
// e = Round(sign * x f / 2 (H - s / 2) / H + sign * phase - n C) small and positive with
// e mod C = |u| mod C, so a table gives the cosine index of e without a division. Only
// columns near a half-way point need the exact formula. Where the source rows need no
// clamping and lie in region k all along the run (the body of a water region), the copies
// need no checks either.
void TAnimEngine::RenderRunColumns(int s, int k, int x0, int x1) {
  const TWaveParam& w = (*FWaveSets)[k];
  const TRowWave& row = FRow[k];
  const int W = FWidth, H = FHeight;
  const int32_t cycle = wave::EffectiveCycle(w.Cycle);
  const TColumnWave& cw = ColumnWave(k, row.Amp, cycle);
  if (w.HorzShift || cw.Index.empty()) {
    RenderColumnsGeneral(s, k, x0, x1, cw);
    return;
  }
  const bool clamp = int64_t{s} + cw.VdMin < 0 || int64_t{s} + cw.VdMax > H - 1;
  const bool check = !RowsCover(ClampInt(int64_t{s} + cw.VdMin, 0, H - 1), ClampInt(int64_t{s} + cw.VdMax, 0, H - 1),
                                x0, x1, k);
  const int32_t phase = FPhase[k];
  const double f = row.F;
  const double q = H - s / 2.0;
  const double slope = f / 2 * q / H;  // see RenderColumnsGeneral
  const bool mirrored = ColumnModeOf(w.Direction) == cmMirrored;
  const double c = cycle;
  const double table = static_cast<double>(cw.Index.size());
  const TColor32* source = FSource->Bits();
  const TColor32* sourceRow = source + static_cast<size_t>(s) * W;
  const int16_t* region = FRegionMap.data();
  TColor32* dst = FFrame.Bits() + static_cast<size_t>(s) * W;
  const int32_t* index = cw.Index.data();
  const int32_t* vd = cw.Vd.data();
  // With one amplitude for the whole frame (no perspective) one table gives the offsets.
  const ptrdiff_t* offset = w.Perspective || clamp || check ? nullptr : ColumnOffsets(k).data();
  // Otherwise: where each cosine index's source row starts (clamped near the edges of the
  // picture), and near the edges of the region the check on every copy.
  int32_t rowAt[360];
  if (offset == nullptr)
    for (int i = 0; i < 360; ++i) rowAt[i] = ClampInt(int64_t{s} + vd[i], 0, H - 1) * W;
  int32_t e[kColumnChunk];
  uint64_t redo[kColumnChunk / 64];
  for (int c0 = x0; c0 < x1; c0 += kColumnChunk) {
    const int n = std::min(kColumnChunk, x1 - c0);
    const double base = mirrored ? W - 1 - c0 : c0;
    const double dir = mirrored ? -1.0 : 1.0;
    // The arguments at both ends; in between they lie on the line through them.
    const double tA = base * slope + phase, tB = (base + dir * (n - 1)) * slope + phase;
    const double sign = std::min(tA, tB) >= 1 ? 1.0 : (std::max(tA, tB) <= -1 ? -1.0 : 0.0);
    const double lo = std::min(sign * tA, sign * tB), hi = std::max(sign * tA, sign * tB);
    const double nc = std::floor((lo - 1) / c) * c;
    if (sign == 0 || !(std::fabs(tA) < 1e8 && std::fabs(tB) < 1e8) || !(hi - nc + 2 < table)) {
      RenderColumnsGeneral(s, k, c0, c0 + n, cw);
      continue;
    }
    const TColor32* src = sourceRow + c0;
    TColor32* d = dst + c0;
#if defined(__x86_64__)
    const bool redoAny = FWideVectors ? ReducedArgumentsAvx2(n, base, dir, sign * slope, sign * phase - nc, e, redo)
                                      : ReducedArguments(n, base, dir, sign * slope, sign * phase - nc, e, redo);
#else
    const bool redoAny = ReducedArguments(n, base, dir, sign * slope, sign * phase - nc, e, redo);
#endif
    // The cosine index of column i, and its copy.
    auto copy = [&](int i, uint32_t ci) {
      if (offset == nullptr) {
        const int64_t o = int64_t{rowAt[ci]} + c0 + i;
        if (!check || region[o] == k) d[i] = source[o];
      } else {
        d[i] = src[int64_t{vd[ci]} * W + i];
      }
    };
    // Columns in redo are copied with their nearest argument below and then again with the
    // exact one; where the region check then fails, the pixel must keep what it had.
    TColor32 kept[kColumnChunk];
    if (redoAny && check)
      for (int word = 0; word < kColumnChunk / 64; ++word)
        for (uint64_t bits = redo[word]; bits != 0; bits &= bits - 1) {
          const int i = word * 64 + __builtin_ctzll(bits);
          kept[i] = d[i];
        }
    if (offset != nullptr) {
      // Every source row s + vd is inside the picture and region k: plain copies. The rows a
      // few rows below the lowest one read here are the ones the next rows read first;
      // fetching one now hides most of the misses (each row is read in scattered order).
      if (s + cw.VdMax + kPrefetchRows < H)
        for (int i = 0; i < n; i += 16) __builtin_prefetch(src + ptrdiff_t{cw.VdMax + kPrefetchRows} * W + i);
      // Gathers are slower than these plain loads on the processors at hand. Eight columns
      // a step, each load addressed from one base, keep the loop to its loads and stores.
      int i = 0;
      for (; i + 8 <= n; i += 8) {
        const TColor32* p = src + i;
        const int32_t* ei = e + i;
        TColor32* di = d + i;
        di[0] = p[offset[ei[0]]];
        di[1] = (p + 1)[offset[ei[1]]];
        di[2] = (p + 2)[offset[ei[2]]];
        di[3] = (p + 3)[offset[ei[3]]];
        di[4] = (p + 4)[offset[ei[4]]];
        di[5] = (p + 5)[offset[ei[5]]];
        di[6] = (p + 6)[offset[ei[6]]];
        di[7] = (p + 7)[offset[ei[7]]];
      }
      for (; i < n; ++i) d[i] = (src + i)[offset[e[i]]];
    } else if (!check) {
      // The same through the cosine index, for an amplitude of this row only.
      const TColor32* base = source + c0;
      int i = 0;
      for (; i + 4 <= n; i += 4) {
        const TColor32* p = base + i;
        const int32_t* ei = e + i;
        TColor32* di = d + i;
        di[0] = p[rowAt[index[ei[0]]]];
        di[1] = (p + 1)[rowAt[index[ei[1]]]];
        di[2] = (p + 2)[rowAt[index[ei[2]]]];
        di[3] = (p + 3)[rowAt[index[ei[3]]]];
      }
      for (; i < n; ++i) d[i] = (base + i)[rowAt[index[e[i]]]];
    } else {
      for (int i = 0; i < n; ++i) copy(i, static_cast<uint32_t>(index[e[i]]));
    }
    if (redoAny) {
      for (int word = 0; word < kColumnChunk / 64; ++word)
        for (uint64_t bits = redo[word]; bits != 0; bits &= bits - 1) {
          const int i = word * 64 + __builtin_ctzll(bits);
          const int xx = mirrored ? W - 1 - (c0 + i) : c0 + i;
          if (check) d[i] = kept[i];
          copy(i, wave::CosIndex(Round(xx * f / 2 * q / H + phase), cycle));
        }
    }
  }
}

const std::vector<ptrdiff_t>& TAnimEngine::ColumnOffsets(int k) {
  TColumnWave& c = FColumnWaves[k];
  if (!(c.OffsetAmp == c.Amp) || c.OffsetWidth != FWidth || c.Offset.size() != c.Index.size()) {
    c.OffsetAmp = c.Amp;
    c.OffsetWidth = FWidth;
    c.Offset.resize(c.Index.size());
    for (size_t e = 0; e < c.Index.size(); ++e) c.Offset[e] = ptrdiff_t{c.Vd[static_cast<size_t>(c.Index[e])]} * FWidth;
  }
  return c.Offset;
}

void TAnimEngine::RenderColumnsGeneral(int s, int k, int x0, int x1, const TColumnWave& cw) {
  const TWaveParam& w = (*FWaveSets)[k];
  const TRowWave& row = FRow[k];
  const int W = FWidth, H = FHeight;
  const int32_t cycle = wave::EffectiveCycle(w.Cycle);
  const int32_t phase = FPhase[k];
  const double f = row.F;
  const double q = H - s / 2.0;
  // x * f / 2 * q / H with the division folded into one factor: close to the exact value but
  // not always equal in the last bits, so values near a half-way point are redone exactly.
  const double slope = f / 2 * q / H;
  const bool mirrored = ColumnModeOf(w.Direction) == cmMirrored;
  // Where the source row of every cosine index starts, for this row.
  // The region map holds at most 64 M pixels, so offsets fit 32 bits.
  int32_t rowAt[360];
  for (int i = 0; i < 360; ++i) rowAt[i] = ClampInt(int64_t{s} + cw.Vd[i], 0, H - 1) * W;
  const int16_t* region = FRegionMap.data();
  const int16_t* regS = region + static_cast<size_t>(s) * W;
  const TColor32* source = FSource->Bits();
  TColor32* dst = FFrame.Bits() + static_cast<size_t>(s) * W;
  const bool shift = w.HorzShift;
  const int64_t hd = row.Hd;
  const double c = cycle;
  const double invCycle = 1.0 / c;
  int idx[kColumnChunk];
  uint64_t redo[kColumnChunk / 64];
  for (int c0 = x0; c0 < x1; c0 += kColumnChunk) {
    const int n = std::min(kColumnChunk, x1 - c0);
    // Pass 1: the cosine index of every column, and whether any column needs the exact
    // formula. |u| mod C mod 360 is done in doubles: for a whole a >= 0, (a + 0.5) / C is never
    // close to a whole number, so the rounded quotient truncates like the exact one.
    const double base = mirrored ? W - 1 - c0 : c0;
    const double dir = mirrored ? -1.0 : 1.0;
#if defined(__x86_64__)
    const bool redoAny = FWideVectors ? ColumnIndicesAvx2(n, base, dir, slope, phase, c, invCycle, idx, redo)
                                      : ColumnIndices(n, base, dir, slope, phase, c, invCycle, idx, redo);
#else
    const bool redoAny = ColumnIndices(n, base, dir, slope, phase, c, invCycle, idx, redo);
#endif
    if (redoAny) {
      for (int word = 0; word < kColumnChunk / 64; ++word)
        for (uint64_t bits = redo[word]; bits != 0; bits &= bits - 1) {
          const int i = word * 64 + __builtin_ctzll(bits);
          const int xx = mirrored ? W - 1 - (c0 + i) : c0 + i;
          idx[i] = static_cast<int>(wave::CosIndex(Round(xx * f / 2 * q / H + phase), cycle));
        }
    }
    // Pass 2: displaced copies.
    if (!shift) {
      // Gathers are slower than these plain loads on the processors at hand.
      for (int i = 0; i < n; ++i) {
        const int64_t o = int64_t{rowAt[idx[i]]} + c0 + i;
        if (region[o] == k) dst[c0 + i] = source[o];
      }
    } else {
      for (int i = 0; i < n; ++i) {
        const int x = c0 + i;
        const int sc = ClampInt(x - hd, 0, W - 1);
        const int64_t o = int64_t{rowAt[idx[i]]} + sc;
        if (regS[sc] == k && region[o] == k) dst[x] = source[o];
      }
    }
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
