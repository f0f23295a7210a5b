#include "graphics/uResample.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace ky {

namespace {

constexpr double kPi = 3.14159265358979323846;

double Sinc(double x) {
  if (x == 0.0) return 1.0;
  const double px = kPi * x;
  return std::sin(px) / px;
}

// --- kernel filters: weights per destination coordinate along one axis ---

struct TAxisWeights {
  int Taps = 0;                 // per destination coordinate, padded with zero weights
  std::vector<int32_t> Start;   // first source coordinate
  std::vector<int16_t> Weights; // Taps per destination coordinate, summing to 2^14
};

// Weights for destination coordinates clip0 .. clip1 - 1 of the destination range starting
// at dest0 with destN pixels, sampling source coordinates src0 .. src0 + srcN - 1.
// The kernel widens by the shrink factor, so a shrink averages over the whole source area.
TAxisWeights BuildWeights(TStretchFilter filter, int dest0, int destN, int clip0, int clip1, int src0, int srcN,
                          int padTo) {
  TAxisWeights a;
  const int n = clip1 - clip0;
  const double scale = static_cast<double>(destN) / srcN;
  const double factor = std::max(1.0, 1.0 / scale);
  const double support = std::max(FilterRadius(filter) * factor, 0.5);
  std::vector<int> lo(n), hi(n);
  int taps = 1;
  for (int i = 0; i < n; ++i) {
    const double centre = src0 + (clip0 + i - dest0 + 0.5) / scale;
    int l = static_cast<int>(std::floor(centre - support + 0.5));
    int h = static_cast<int>(std::floor(centre + support + 0.5));
    l = std::clamp(l, src0, src0 + srcN - 1);
    h = std::clamp(h, l + 1, src0 + srcN);
    lo[i] = l;
    hi[i] = h;
    taps = std::max(taps, h - l);
  }
  if (padTo > 1) taps = (taps + padTo - 1) / padTo * padTo;
  a.Taps = taps;
  a.Start.resize(n);
  a.Weights.assign(static_cast<size_t>(n) * taps, 0);
  std::vector<double> w(taps);
  for (int i = 0; i < n; ++i) {
    const double centre = src0 + (clip0 + i - dest0 + 0.5) / scale;
    const int count = hi[i] - lo[i];
    double sum = 0;
    for (int k = 0; k < count; ++k) {
      w[k] = FilterKernel(filter, (lo[i] + k + 0.5 - centre) / factor);
      sum += w[k];
    }
    int16_t* q = &a.Weights[static_cast<size_t>(i) * taps];
    a.Start[i] = lo[i];
    if (!(std::fabs(sum) > 1e-12)) {
      // No kernel mass inside the source (cannot happen for the filters here): nearest pixel.
      const int k = std::clamp(static_cast<int>(centre) - lo[i], 0, count - 1);
      q[k] = 1 << 14;
      continue;
    }
    int total = 0, biggest = 0;
    for (int k = 0; k < count; ++k) {
      q[k] = static_cast<int16_t>(std::lround(w[k] / sum * 16384.0));
      total += q[k];
      if (q[k] > q[biggest]) biggest = k;
    }
    q[biggest] = static_cast<int16_t>(q[biggest] + (16384 - total));
  }
  return a;
}

void KernelResample(TBitmap32& target, const TRect& d, const TRect& c, const TBitmap32& source, const TRect& s,
                    const TCombineContext& ctx, TStretchFilter filter, const kernels::TKernelTable& k) {
  const TAxisWeights wx = BuildWeights(filter, d.Left, d.Width(), c.Left, c.Right, s.Left, s.Width(), 4);
  const TAxisWeights wy = BuildWeights(filter, d.Top, d.Height(), c.Top, c.Bottom, s.Top, s.Height(), 1);
  // Source columns the visible part needs.
  const int base = wx.Start.front();
  int last = base + 1;
  for (const int32_t st : wx.Start) last = std::max(last, std::min(s.Right, st + wx.Taps));
  const int span = last - base;
  // The column starts relative to the row buffer, which has zero padding after the real
  // columns so the padded taps read zeros.
  std::vector<int32_t> start(wx.Start.size());
  for (size_t i = 0; i < start.size(); ++i) start[i] = wx.Start[i] - base;
  // Four 16-bit channels per pixel between the passes.
  std::vector<int16_t> line((static_cast<size_t>(span) + wx.Taps) * 4, 0);
  std::vector<const uint8_t*> rows(wy.Taps);
  const bool direct = ctx.Mode == dmOpaque;
  std::vector<TColor32> out(direct ? 0 : c.Width());
  for (int y = c.Top; y < c.Bottom; ++y) {
    const int i = y - c.Top;
    for (int t = 0; t < wy.Taps; ++t) {
      const int sy = std::min(wy.Start[i] + t, s.Bottom - 1);
      rows[t] = reinterpret_cast<const uint8_t*>(source.ScanLine(sy) + base);
    }
    k.VerticalPass(line.data(), rows.data(), &wy.Weights[static_cast<size_t>(i) * wy.Taps], wy.Taps,
                   static_cast<size_t>(span) * 4);
    TColor32* dst = target.ScanLine(y) + c.Left;
    TColor32* o = direct ? dst : out.data();
    k.HorizontalPass(o, line.data(), start.data(), wx.Weights.data(), wx.Taps, static_cast<size_t>(c.Width()));
    if (!direct) CombineRow(ctx, dst, out.data(), c.Width(), i, nullptr);
  }
}

// --- nearest, box and bilinear ---

// The source coordinate whose pixel the centre of destination coordinate dd maps to.
inline int NearestCoord(int64_t dd, int64_t destN, int64_t src0, int64_t srcN) {
  return static_cast<int>(src0 + ((2 * dd + 1) * srcN) / (2 * destN));
}

void NearestResample(TBitmap32& target, const TRect& d, const TRect& c, const TBitmap32& source, const TRect& s,
                     const TCombineContext& ctx) {
  std::vector<int> sx(c.Width());
  for (int x = c.Left; x < c.Right; ++x) sx[x - c.Left] = NearestCoord(x - d.Left, d.Width(), s.Left, s.Width());
  std::vector<TColor32> line(c.Width());
  for (int y = c.Top; y < c.Bottom; ++y) {
    const TColor32* sp = source.ScanLine(NearestCoord(y - d.Top, d.Height(), s.Top, s.Height()));
    for (int i = 0; i < c.Width(); ++i) line[i] = sp[sx[i]];
    CombineRow(ctx, target.ScanLine(y) + c.Left, line.data(), c.Width(), y - c.Top, nullptr);
  }
}

// The offsets PixelAlpha is asked with in stretched drawing: the destination pixel's offset
// within the drawn area, times source size, divided by destination size.
std::vector<int> AlphaOffsets(int clipN, int destN, int srcN) {
  std::vector<int> o(clipN);
  for (int i = 0; i < clipN; ++i) o[i] = static_cast<int>(static_cast<int64_t>(i) * srcN / destN);
  return o;
}

void BoxResample(TBitmap32& target, const TRect& d, const TRect& c, const TBitmap32& source, const TRect& s,
                 const TCombineContext& ctx) {
  const int64_t dw = d.Width(), dh = d.Height(), sw = s.Width(), sh = s.Height();
  std::vector<int> x0(c.Width()), x1(c.Width());
  for (int x = c.Left; x < c.Right; ++x) {
    const int64_t i = x - d.Left;
    x0[x - c.Left] = static_cast<int>(s.Left + i * sw / dw);
    x1[x - c.Left] = std::max(x0[x - c.Left] + 1, static_cast<int>(s.Left + (i + 1) * sw / dw));
  }
  const std::vector<int> offX = AlphaOffsets(c.Width(), d.Width(), s.Width());
  const std::vector<int> offY = AlphaOffsets(c.Height(), d.Height(), s.Height());
  std::vector<TColor32> line(c.Width());
  for (int y = c.Top; y < c.Bottom; ++y) {
    const int64_t j = y - d.Top;
    const int y0 = static_cast<int>(s.Top + j * sh / dh);
    const int y1 = std::max(y0 + 1, static_cast<int>(s.Top + (j + 1) * sh / dh));
    for (int i = 0; i < c.Width(); ++i) {
      uint32_t sum[4] = {0, 0, 0, 0};
      for (int yy = y0; yy < y1; ++yy) {
        const TColor32* sp = source.ScanLine(yy);
        for (int xx = x0[i]; xx < x1[i]; ++xx)
          for (int ch = 0; ch < 4; ++ch) sum[ch] += (sp[xx] >> (8 * ch)) & 0xFF;
      }
      const uint32_t count = static_cast<uint32_t>((y1 - y0) * (x1[i] - x0[i]));
      TColor32 r = 0;
      for (int ch = 0; ch < 4; ++ch) r |= ((sum[ch] + count / 2) / count) << (8 * ch);
      line[i] = r;
    }
    CombineRow(ctx, target.ScanLine(y) + c.Left, line.data(), c.Width(), offY[y - c.Top], offX.data());
  }
}

void BilinearResample(TBitmap32& target, const TRect& d, const TRect& c, const TBitmap32& source, const TRect& s,
                      const TCombineContext& ctx) {
  // Centre-aligned: destination centre (i + 0.5) maps to source position (i + 0.5) * sn / dn - 0.5,
  // clamped to the source, in 16.16 fixed point.
  auto position = [](int64_t i, int64_t dn, int64_t sn) {
    const int64_t num = ((2 * i + 1) * sn - dn) * 65536;
    int64_t u = num >= 0 ? num / (2 * dn) : -((-num + 2 * dn - 1) / (2 * dn));
    return std::clamp<int64_t>(u, 0, (sn - 1) * 65536);
  };
  const int cw = c.Width();
  std::vector<int> x0(cw), x1(cw), fx(cw);
  for (int i = 0; i < cw; ++i) {
    const int64_t u = position(c.Left + i - d.Left, d.Width(), s.Width());
    x0[i] = s.Left + static_cast<int>(u >> 16);
    x1[i] = std::min(x0[i] + 1, s.Right - 1);
    fx[i] = static_cast<int>((u >> 8) & 0xFF);
  }
  const std::vector<int> offX = AlphaOffsets(cw, d.Width(), s.Width());
  const std::vector<int> offY = AlphaOffsets(c.Height(), d.Height(), s.Height());
  std::vector<TColor32> line(cw);
  for (int y = c.Top; y < c.Bottom; ++y) {
    const int64_t v = position(y - d.Top, d.Height(), s.Height());
    const int y0 = s.Top + static_cast<int>(v >> 16);
    const int y1 = std::min(y0 + 1, s.Bottom - 1);
    const uint32_t fy = static_cast<uint32_t>((v >> 8) & 0xFF);
    const TColor32* r0 = source.ScanLine(y0);
    const TColor32* r1 = source.ScanLine(y1);
    for (int i = 0; i < cw; ++i) {
      const uint32_t wx1 = static_cast<uint32_t>(fx[i]), wx0 = 256 - wx1, wy1 = fy, wy0 = 256 - fy;
      const TColor32 p00 = r0[x0[i]], p01 = r0[x1[i]], p10 = r1[x0[i]], p11 = r1[x1[i]];
      TColor32 r = 0;
      for (int sh = 0; sh < 32; sh += 8) {
        const uint32_t t = (((p00 >> sh) & 0xFF) * wx0 + ((p01 >> sh) & 0xFF) * wx1) * wy0 +
                           (((p10 >> sh) & 0xFF) * wx0 + ((p11 >> sh) & 0xFF) * wx1) * wy1;
        r |= ((t + 32768) >> 16) << sh;
      }
      line[i] = r;
    }
    CombineRow(ctx, target.ScanLine(y) + c.Left, line.data(), cw, offY[y - c.Top], offX.data());
  }
}

}  // namespace

double FilterRadius(TStretchFilter filter) {
  switch (filter) {
    case sfLanczos: return 3.0;
    case sfSpline:
    case sfMitchell: return 2.0;
    case sfLinear:
    case sfCosine:
    case sfDraft: return 1.0;
    case sfNearest: return 0.5;
  }
  return 1.0;
}

double FilterKernel(TStretchFilter filter, double x) {
  x = std::fabs(x);
  switch (filter) {
    case sfLanczos: return x < 3.0 ? Sinc(x) * Sinc(x / 3.0) : 0.0;
    case sfLinear:
    case sfDraft: return x < 1.0 ? 1.0 - x : 0.0;
    case sfCosine: return x < 1.0 ? (std::cos(kPi * x) + 1.0) / 2.0 : 0.0;
    case sfSpline:  // cubic B-spline
      if (x < 1.0) return 2.0 / 3.0 - x * x + x * x * x / 2.0;
      if (x < 2.0) return (2.0 - x) * (2.0 - x) * (2.0 - x) / 6.0;
      return 0.0;
    case sfMitchell: {  // B = C = 1/3
      const double B = 1.0 / 3.0, C = 1.0 / 3.0;
      if (x < 1.0) return ((12 - 9 * B - 6 * C) * x * x * x + (-18 + 12 * B + 6 * C) * x * x + (6 - 2 * B)) / 6.0;
      if (x < 2.0)
        return ((-B - 6 * C) * x * x * x + (6 * B + 30 * C) * x * x + (-12 * B - 48 * C) * x + (8 * B + 24 * C)) / 6.0;
      return 0.0;
    }
    case sfNearest: return x < 0.5 ? 1.0 : 0.0;
  }
  return 0.0;
}

void StretchDraw(TBitmap32& target, const TRect& d, const TRect& c, const TBitmap32& source, const TRect& s,
                 const TCombineContext& ctx, TStretchFilter filter, const kernels::TKernelTable& k) {
  // PixelAlpha is asked only by sfDraft and by sfLinear enlargement; the others use MasterAlpha.
  TCombineContext master = ctx;
  master.Alpha = nullptr;
  const bool shrinking = d.Width() <= s.Width() && d.Height() <= s.Height();
  const bool enlarging = d.Width() >= s.Width() && d.Height() >= s.Height();
  switch (filter) {
    case sfNearest:
      NearestResample(target, d, c, source, s, master);
      return;
    case sfDraft:
      if (shrinking) BoxResample(target, d, c, source, s, ctx);
      else BilinearResample(target, d, c, source, s, ctx);
      return;
    case sfLinear:
      if (enlarging) {
        BilinearResample(target, d, c, source, s, ctx);
        return;
      }
      KernelResample(target, d, c, source, s, master, filter, k);
      return;
    case sfCosine:
    case sfSpline:
    case sfLanczos:
    case sfMitchell:
      KernelResample(target, d, c, source, s, master, filter, k);
      return;
  }
}

}  // namespace ky
