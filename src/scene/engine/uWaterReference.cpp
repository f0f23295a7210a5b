// The reference water kernels: the rules applied one pixel at a time, written for clarity. The
// fast kernels (uWaterFast.cpp) must give the same pixels.
#include <algorithm>

#include "scene/engine/uWaterKernels.h"
#include "scene/engine/uWaveMaths.h"
#include "scene/records/uRegionCodes.h"

namespace ky::water_reference {

void BuildRegionMap(const TBitmap32& mask, TRegionMap& map) {
  const int W = map.Width(), H = map.Height();
  for (int y = 0; y < H; ++y) {
    const TColor32* m = mask.ScanLine(y);
    int16_t* r = map.Row(y);
    for (int x = 0; x < W; ++x) {
      const int code = RegionCodeOf(m[x]);
      if (code > 0) map.NoteRow(code - 1, y);
      r[x] = static_cast<int16_t>(code - 1);
    }
  }
  for (int y = 0; y < H; ++y) {
    map.BeginRow(y);
    const int16_t* r = map.Row(y);
    for (int x = 0; x < W;) {
      const int k = r[x];
      int end = x + 1;
      while (end < W && r[end] == k) ++end;
      if (k >= 0) map.AddRun(x, end, k);
      x = end;
    }
  }
  map.Finish();
}

void BuildReflection(const TBitmap32& picture, const TBitmap32& mask, const TWaveSets& sets, TBitmap32& reflected) {
  std::array<int, kRegionCodeCount> firstRow;
  firstRow.fill(-1);
  for (int y = 0; y < picture.Height(); ++y) {
    const TColor32* m = mask.ScanLine(y);
    TColor32* dst = reflected.ScanLine(y);
    for (int x = 0; x < picture.Width(); ++x) {
      const int code = RegionCodeOf(m[x]);
      if (code == 0 || !sets[static_cast<size_t>(code - 1)].Reflection) continue;
      if (firstRow[code] == -1) firstRow[code] = y;
      // The mirror line lies just above the region's topmost row, the same in every column.
      const int mirror = 2 * firstRow[code] - y - 1;
      if (mirror >= 0) dst[x] = picture.Pixel(x, mirror);
    }
  }
}

void RenderRow(const TWaterState& water, TColumnWaves&, TBitmap32& frame, int s) {
  const TWaveSets& sets = *water.Sets;
  // What each wave set with a region needs for this row, gathered once.
  struct TSetRow {
    int Vd, Hd;
    int32_t Cycle;
    int32_t Phase;
    double F, Amp;
    wave::TColumnMode Mode;
    bool UseJitter, Animated, HorzShift;
    const int32_t* Jitter;
  };
  TSetRow set[kRegionWaveSets];
  for (int k = 0; k < kRegionWaveSets; ++k) {
    const TWaveParam& w = sets[k];
    const TRowWave& row = water.Row[k];
    set[k] = TSetRow{row.Vd,         row.Hd,
                     wave::EffectiveCycle(w.Cycle),
                     water.Phase[k], row.F,
                     row.Amp,        wave::ColumnModeOf(w.Direction),
                     wave::JitterMovesDestination(w.Direction),
                     w.Animated,     w.HorzShift,
                     water.Jitter[k].data()};
  }
  const int W = water.Width, H = water.Height;
  const int16_t* region = water.Map.Data();
  const int16_t* regionRow = water.Map.Row(s);
  const TColor32* source = water.Source->Bits();
  TColor32* out = frame.Bits();
  for (int x = 0; x < W; ++x) {
    const int k = regionRow[x];
    if (k < 0) continue;
    const TSetRow& t = set[k];
    const int j = t.UseJitter ? t.Jitter[x] : 0;
    int64_t src;
    if (t.Animated) {
      int vd = t.Vd;
      if (t.Mode != wave::cmRow) {
        const int u = wave::ColumnArgument(H, s, wave::ArgumentColumn(t.Mode, W, x), t.F, t.Phase);
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
      out[static_cast<size_t>(dstRow) * W + x] = source[static_cast<size_t>(srcRow) * W + srcCol];
  }
}

}  // namespace ky::water_reference
