// The fast water kernels. Each row is split into runs of one wave set. Rows of a set whose every
// pixel moves alike (row waves or still water, without jitter) become masked copies between two
// rows; column waves compute their argument with a multiplication instead of the division and
// fall back to the exact formula wherever the two could round differently. The vector helpers
// come from the level's TWaterSimd.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "scene/engine/uWaterKernels.h"
#include "scene/engine/uWaterSimd.h"
#include "scene/engine/uWaveMaths.h"
#include "scene/records/uRegionCodes.h"

namespace ky::water_fast {

namespace {
constexpr int kPrefetchRows = 4;
}  // namespace

void BuildRegionMap(const TBitmap32& mask, TRegionMap& map) {
  const int W = map.Width(), H = map.Height();
  for (int y = 0; y < H; ++y) {
    const TColor32* m = mask.ScanLine(y);
    int16_t* r = map.Row(y);
    map.BeginRow(y);
    uint32_t seen = 0;  // bit c: code c occurs in this row
    for (int x = 0; x < W;) {
      const int end = EqualPixelRunEnd(m, x, W);
      const int code = RegionCodeOf(m[x]);
      std::fill(r + x, r + end, static_cast<int16_t>(code - 1));
      seen |= 1u << code;
      // Neighbouring mask colours of one code make one run.
      if (code > 0) map.AddRun(x, end, code - 1);
      x = end;
    }
    for (int code = 1; code < kRegionCodeCount; ++code)
      if (seen & (1u << code)) map.NoteRow(code - 1, y);
  }
  map.Finish();
}

void BuildReflection(const TBitmap32& picture, const TBitmap32& mask, const TWaveSets& sets, TBitmap32& reflected) {
  const int W = picture.Width();
  std::array<int, kRegionCodeCount> firstRow;
  firstRow.fill(-1);
  for (int y = 0; y < picture.Height(); ++y) {
    const TColor32* m = mask.ScanLine(y);
    TColor32* dst = reflected.ScanLine(y);
    // The reference rule a run of one mask colour at a time: the run shares its code and so its
    // mirror row.
    for (int x = 0; x < W;) {
      const int end = EqualPixelRunEnd(m, x, W);
      const int code = RegionCodeOf(m[x]);
      if (code != 0 && sets[static_cast<size_t>(code - 1)].Reflection) {
        if (firstRow[code] == -1) firstRow[code] = y;
        const int mirror = 2 * firstRow[code] - y - 1;
        if (mirror >= 0)
          std::memcpy(dst + x, picture.ScanLine(mirror) + x, sizeof(TColor32) * static_cast<size_t>(end - x));
      }
      x = end;
    }
  }
}

namespace {

// Where the source row of every cosine index starts for row s of a W x H picture: s + Vd[i]
// clamped to the picture, times W. The region map holds at most 64 M pixels, so offsets fit 32
// bits. A perspective wave builds this for every row, so where no row needs clamping the loop
// has no branches or 64-bit steps.
void FillRowStarts(int s, const TColumnWave& cw, int W, int H, int32_t* rowAt) {
  const int32_t* vd = cw.Vd.data();
  if (int64_t{s} + cw.VdMin >= 0 && int64_t{s} + cw.VdMax <= H - 1)
    for (int i = 0; i < 360; ++i) rowAt[i] = (s + vd[i]) * W;
  else
    for (int i = 0; i < 360; ++i) rowAt[i] = ClampInt(int64_t{s} + vd[i], 0, H - 1) * W;
}

// One row of one frame: what the run renderers share.
class TRowRenderer {
 public:
  TRowRenderer(const TWaterSimd& simd, const TWaterState& water, TColumnWaves& columns, TBitmap32& frame, int s)
      : FSimd(simd), FWater(water), FColumns(columns), FFrame(frame), FS(s) {}

  void Render();

 private:
  void RenderRunUniform(int k, int x0, int x1);
  void RenderRunJitter(int k, int x0, int x1);
  void RenderRunColumns(int k, int x0, int x1);
  // Columns x0 .. x1 - 1 read source column x + dx, which lies inside the picture for all of them.
  void RenderColumnsTable(int k, int x0, int x1, int dx, const TColumnWave& cw);
  void RenderColumnsGeneral(int k, int x0, int x1, const TColumnWave& cw);
  const TColumnWave& ColumnWave(int k, double amp, int32_t cycle);
  const std::vector<ptrdiff_t>& ColumnOffsets(int k);

  const TWaterSimd& FSimd;
  const TWaterState& FWater;
  TColumnWaves& FColumns;
  TBitmap32& FFrame;
  const int FS;
};

void TRowRenderer::Render() {
  const TWaveSets& sets = *FWater.Sets;
  for (const TRegionMap::TRun* r = FWater.Map.RunsBegin(FS); r != FWater.Map.RunsEnd(FS); ++r) {
    const int k = r->K;
    const TWaveParam& w = sets[k];
    const wave::TColumnMode mode = wave::ColumnModeOf(w.Direction);
    if (FWater.JitterZero[k] && (!w.Animated || mode == wave::cmRow))
      RenderRunUniform(k, r->X0, r->X1);
    else if (w.Animated && mode != wave::cmRow)
      RenderRunColumns(k, r->X0, r->X1);
    else
      RenderRunJitter(k, r->X0, r->X1);
  }
}

// Jitter: per-column rows; the reference rule restricted to this run.
void TRowRenderer::RenderRunJitter(int k, int x0, int x1) {
  const TWaveParam& w = (*FWater.Sets)[k];
  const int s = FS, W = FWater.Width, H = FWater.Height;
  const int16_t* region = FWater.Map.Data();
  const TColor32* source = FWater.Source->Bits();
  TColor32* frame = FFrame.Bits();
  const bool useJitter = wave::JitterMovesDestination(w.Direction);
  const int32_t* jt = FWater.Jitter[k].data();
  const TRowWave& row = FWater.Row[k];
  for (int c = x0; c < x1; ++c) {
    const int j = useJitter ? jt[c] : 0;
    const int64_t src = w.Animated ? int64_t{s} + row.Vd - j : int64_t{s} - jt[c];
    const int srcRow = ClampInt(src, 0, H - 1);
    const int dstRow = ClampInt(int64_t{s} - j, 0, H - 1);
    const int srcCol = w.HorzShift ? ClampInt(int64_t{c} - row.Hd, 0, W - 1) : c;
    if (region[static_cast<size_t>(dstRow) * W + srcCol] == k && region[static_cast<size_t>(srcRow) * W + srcCol] == k)
      frame[static_cast<size_t>(dstRow) * W + c] = source[static_cast<size_t>(srcRow) * W + srcCol];
  }
}

void TRowRenderer::RenderRunUniform(int k, int x0, int x1) {
  const int s = FS;
  const TWaveParam& w = (*FWater.Sets)[k];
  const int W = FWater.Width, H = FWater.Height;
  const int r = ClampInt(int64_t{s} + (w.Animated ? FWater.Row[k].Vd : 0), 0, H - 1);
  const int16_t* regS = FWater.Map.Data() + static_cast<size_t>(s) * W;
  const int16_t* regR = FWater.Map.Data() + static_cast<size_t>(r) * W;
  const TColor32* src = FWater.Source->Bits() + static_cast<size_t>(r) * W;
  TColor32* dst = FFrame.Bits() + static_cast<size_t>(s) * W;
  if (!w.HorzShift) {
    // The run lies in region k of row s, so only the source row needs checking; where it is
    // region k all along, every pixel is copied.
    if (FWater.Map.Covers(r, x0, x1, k))
      std::memcpy(dst + x0, src + x0, sizeof(TColor32) * static_cast<size_t>(x1 - x0));
    else
      FSimd.MaskedCopy(dst + x0, src + x0, regR + x0, k, x1 - x0);
    return;
  }
  const int64_t hd = FWater.Row[k].Hd;
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
    if (FWater.Map.Covers(s, off, off + (b - a), k) && FWater.Map.Covers(r, off, off + (b - a), k))
      std::memcpy(dst + a, src + off, sizeof(TColor32) * static_cast<size_t>(b - a));
    else
      FSimd.MaskedCopy2(dst + a, src + off, regS + off, regR + off, k, b - a);
  }
  for (int x = b; x < x1; ++x) one(x);
}

const TColumnWave& TRowRenderer::ColumnWave(int k, double amp, int32_t cycle) {
  TColumnWave& c = FColumns[k];
  if (!(c.Amp == amp)) {
    const double* cosT = wave::CosTable().data();
    c.Amp = amp;
    // A perspective wave builds this table again for every row, so the common case is a loop
    // without branches: for |amp| up to 2^30 every product rounds inside int.
    int32_t* vdOf = c.Vd.data();
    if (std::fabs(amp) <= 1 << 30) {
      for (int i = 0; i < 360; ++i) vdOf[i] = static_cast<int32_t>(std::nearbyint(cosT[i] * amp));
    } else {
      for (int i = 0; i < 360; ++i) vdOf[i] = Round(cosT[i] * amp);
    }
    int32_t lo = vdOf[0], hi = vdOf[0];
    for (int i = 1; i < 360; ++i) {
      lo = std::min(lo, vdOf[i]);
      hi = std::max(hi, vdOf[i]);
    }
    c.VdMin = lo;
    c.VdMax = hi;
  }
  // Reduced arguments stay below one cycle plus the rise over one chunk (the slope is at most
  // |F| / 2); a chunk beyond the table takes the general path.
  const double f = std::fabs(static_cast<double>((*FWater.Sets)[k].Frequency) * cycle / 360);
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
// A chunk of columns whose arguments all have one sign takes the table path: |u| = sign * u,
// and subtracting a multiple n C of the cycle from sign * phase leaves
// e = Round(sign * x f / 2 (H - s / 2) / H + sign * phase - n C) small and positive with
// e mod C = |u| mod C, so a table gives the cosine index of e without a division. Only
// columns near a half-way point need the exact formula. Where the source rows need no
// clamping and lie in region k all along the run (the body of a water region), the copies
// need no checks either. With sideways shift the argument still follows the column written,
// and the columns whose shifted source lies inside the picture read one shifted block; only
// the few at the ends, whose source column is clamped, take the general path.
void TRowRenderer::RenderRunColumns(int k, int x0, int x1) {
  const TWaveParam& w = (*FWater.Sets)[k];
  const TRowWave& row = FWater.Row[k];
  const int32_t cycle = wave::EffectiveCycle(w.Cycle);
  const TColumnWave& cw = ColumnWave(k, row.Amp, cycle);
  if (cw.Index.empty()) {
    RenderColumnsGeneral(k, x0, x1, cw);
    return;
  }
  if (!w.HorzShift) {
    RenderColumnsTable(k, x0, x1, 0, cw);
    return;
  }
  const int W = FWater.Width;
  const int64_t hd = row.Hd;
  // Source column x - hd lies in 0 .. W - 1 exactly for x in hd .. W - 1 + hd.
  const int a = static_cast<int>(std::clamp<int64_t>(hd, x0, x1));
  const int b = static_cast<int>(std::clamp<int64_t>(W + hd, a, x1));
  if (a > x0) RenderColumnsGeneral(k, x0, a, cw);
  if (b > a) RenderColumnsTable(k, a, b, static_cast<int>(-hd), cw);
  if (x1 > b) RenderColumnsGeneral(k, b, x1, cw);
}

void TRowRenderer::RenderColumnsTable(int k, int x0, int x1, int dx, const TColumnWave& cw) {
  const int s = FS;
  const TWaveParam& w = (*FWater.Sets)[k];
  const TRowWave& row = FWater.Row[k];
  const int W = FWater.Width, H = FWater.Height;
  const int32_t cycle = wave::EffectiveCycle(w.Cycle);
  const bool clamp = int64_t{s} + cw.VdMin < 0 || int64_t{s} + cw.VdMax > H - 1;
  // The run lies in region k of row s; shifted columns must be checked there too.
  const bool check = !FWater.Map.RowsCover(ClampInt(int64_t{s} + cw.VdMin, 0, H - 1),
                                           ClampInt(int64_t{s} + cw.VdMax, 0, H - 1), x0 + dx, x1 + dx, k) ||
                     (dx != 0 && !FWater.Map.Covers(s, x0 + dx, x1 + dx, k));
  const int32_t phase = FWater.Phase[k];
  const double f = row.F;
  const double q = H - s / 2.0;
  const double slope = f / 2 * q / H;  // see RenderColumnsGeneral
  const bool mirrored = wave::ColumnModeOf(w.Direction) == wave::cmMirrored;
  const double c = cycle;
  const double table = static_cast<double>(cw.Index.size());
  const TColor32* source = FWater.Source->Bits();
  const TColor32* sourceRow = source + static_cast<size_t>(s) * W;
  const int16_t* region = FWater.Map.Data();
  const int16_t* regS = region + static_cast<size_t>(s) * W;
  TColor32* dst = FFrame.Bits() + static_cast<size_t>(s) * W;
  const int32_t* index = cw.Index.data();
  const int32_t* vd = cw.Vd.data();
  // With one amplitude for the whole frame (no perspective) one table gives the offsets.
  const ptrdiff_t* offset = w.Perspective || clamp || check ? nullptr : ColumnOffsets(k).data();
  // Otherwise: where each cosine index's source row starts (clamped near the edges of the
  // picture), and near the edges of the region the check on every copy.
  int32_t rowAt[360];
  if (offset == nullptr) FillRowStarts(s, cw, W, H, rowAt);
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
      RenderColumnsGeneral(k, c0, c0 + n, cw);
      continue;
    }
    // Column c0 + i is written from source column sc + i.
    const int sc = c0 + dx;
    const TColor32* src = sourceRow + sc;
    TColor32* d = dst + c0;
    const bool redoAny = FSimd.ReducedArguments(n, base, dir, sign * slope, sign * phase - nc, e, redo);
    // The cosine index of column i, and its copy.
    auto copy = [&](int i, uint32_t ci) {
      if (offset == nullptr) {
        const int64_t o = int64_t{rowAt[ci]} + sc + i;
        if (!check || (region[o] == k && regS[sc + i] == k)) d[i] = source[o];
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
    // The rows a few rows below the lowest one read here are the ones the next rows read
    // first; fetching one now hides most of the misses (each row is read in scattered order).
    if (s + cw.VdMax + kPrefetchRows < H)
      for (int i = 0; i < n; i += 16) __builtin_prefetch(src + ptrdiff_t{cw.VdMax + kPrefetchRows} * W + i);
    if (offset != nullptr) {
      // Every source row s + vd is inside the picture and region k: plain copies.
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
      const TColor32* base = source + sc;
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
          copy(i, wave::CosIndex(wave::ColumnArgument(H, s, xx, f, phase), cycle));
        }
    }
  }
}

const std::vector<ptrdiff_t>& TRowRenderer::ColumnOffsets(int k) {
  const int W = FWater.Width;
  TColumnWave& c = FColumns[k];
  if (!(c.OffsetAmp == c.Amp) || c.OffsetWidth != W || c.Offset.size() != c.Index.size()) {
    c.OffsetAmp = c.Amp;
    c.OffsetWidth = W;
    c.Offset.resize(c.Index.size());
    for (size_t e = 0; e < c.Index.size(); ++e) c.Offset[e] = ptrdiff_t{c.Vd[static_cast<size_t>(c.Index[e])]} * W;
  }
  return c.Offset;
}

void TRowRenderer::RenderColumnsGeneral(int k, int x0, int x1, const TColumnWave& cw) {
  const int s = FS;
  const TWaveParam& w = (*FWater.Sets)[k];
  const TRowWave& row = FWater.Row[k];
  const int W = FWater.Width, H = FWater.Height;
  const int32_t cycle = wave::EffectiveCycle(w.Cycle);
  const int32_t phase = FWater.Phase[k];
  const double f = row.F;
  const double q = H - s / 2.0;
  // x * f / 2 * q / H with the division folded into one factor: close to the exact value but
  // not always equal in the last bits, so values near a half-way point are redone exactly.
  const double slope = f / 2 * q / H;
  const bool mirrored = wave::ColumnModeOf(w.Direction) == wave::cmMirrored;
  // Where the source row of every cosine index starts, for this row: a table for long runs, one
  // at a time for the few columns at the ends of a shifted run (a table would cost 360 steps).
  int32_t rowAt[360];
  const bool table = x1 - x0 >= 64;
  if (table) FillRowStarts(s, cw, W, H, rowAt);
  auto rowOf = [&](int ci) { return table ? rowAt[ci] : ClampInt(int64_t{s} + cw.Vd[ci], 0, H - 1) * W; };
  const int16_t* region = FWater.Map.Data();
  const int16_t* regS = region + static_cast<size_t>(s) * W;
  const TColor32* source = FWater.Source->Bits();
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
    const bool redoAny = FSimd.ColumnIndices(n, base, dir, slope, phase, c, invCycle, idx, redo);
    if (redoAny) {
      for (int word = 0; word < kColumnChunk / 64; ++word)
        for (uint64_t bits = redo[word]; bits != 0; bits &= bits - 1) {
          const int i = word * 64 + __builtin_ctzll(bits);
          const int xx = mirrored ? W - 1 - (c0 + i) : c0 + i;
          idx[i] = static_cast<int>(wave::CosIndex(wave::ColumnArgument(H, s, xx, f, phase), cycle));
        }
    }
    // Pass 2: displaced copies.
    if (!shift) {
      // Gathers are slower than these plain loads on the processors at hand.
      for (int i = 0; i < n; ++i) {
        const int64_t o = int64_t{rowOf(idx[i])} + c0 + i;
        if (region[o] == k) dst[c0 + i] = source[o];
      }
    } else {
      for (int i = 0; i < n; ++i) {
        const int x = c0 + i;
        const int sc = ClampInt(x - hd, 0, W - 1);
        const int64_t o = int64_t{rowOf(idx[i])} + sc;
        if (regS[sc] == k && region[o] == k) dst[x] = source[o];
      }
    }
  }
}


}  // namespace

void RenderRow(const TWaterSimd& simd, const TWaterState& water, TColumnWaves& columns, TBitmap32& frame, int s) {
  TRowRenderer(simd, water, columns, frame, s).Render();
}

}  // namespace ky::water_fast
