#include "saver/uFramePresent.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/uText.h"

namespace ky {

bool IsSoftwareRenderer(const std::string& renderer) {
  const std::string r = UpperCaseAscii(renderer);
  return r.find("LLVMPIPE") != std::string::npos || r.find("SOFTPIPE") != std::string::npos ||
         r.find("SWRAST") != std::string::npos;
}

TStretchPath ChooseStretchPath(const std::string& renderer) {
  const char* forced = std::getenv("KYSAVER_FULLSCREEN");
  if (forced && std::strcmp(forced, "cpu") == 0) return TStretchPath::Cpu;
  if (forced && std::strcmp(forced, "gpu") == 0) return TStretchPath::Gpu;
  return IsSoftwareRenderer(renderer) ? TStretchPath::Cpu : TStretchPath::Gpu;
}

namespace {

// Spans closer than this are one: a rectangle more costs more than a few pixels copied.
constexpr int kJoinGap = 16;
constexpr int kFirstBandRows = 16;

struct TSpan {
  int Left, Right, Top, Bottom;
};

// The cover with bands of bandRows rows, appended to out.
void CoverInBands(const std::vector<TRect>& clipped, const TRect& bounds, int bandRows, std::vector<TRect>& out) {
  const int bands = (bounds.Height() + bandRows - 1) / bandRows;
  std::vector<std::vector<TSpan>> inBand(static_cast<size_t>(bands));
  for (const TRect& r : clipped) {
    const int first = (r.Top - bounds.Top) / bandRows, last = (r.Bottom - 1 - bounds.Top) / bandRows;
    for (int b = first; b <= last; ++b) inBand[static_cast<size_t>(b)].push_back(TSpan{r.Left, r.Right, r.Top, r.Bottom});
  }
  size_t bandStart = out.size(), bandCount = 0;  // the last band written: out[bandStart, +bandCount)
  int lastBandBottom = bounds.Top - 1;
  std::vector<TRect> band;
  for (int b = 0; b < bands; ++b) {
    std::vector<TSpan>& spans = inBand[static_cast<size_t>(b)];
    if (spans.empty()) continue;
    const int rowTop = bounds.Top + b * bandRows, rowBottom = std::min(bounds.Bottom, rowTop + bandRows);
    int top = rowBottom, bottom = rowTop;
    for (const TSpan& s : spans) {
      top = std::min(top, std::max(s.Top, rowTop));
      bottom = std::max(bottom, std::min(s.Bottom, rowBottom));
    }
    std::sort(spans.begin(), spans.end(), [](const TSpan& a, const TSpan& c) { return a.Left < c.Left; });
    band.clear();
    for (const TSpan& s : spans) {
      if (!band.empty() && s.Left <= band.back().Right + kJoinGap) band.back().Right = std::max(band.back().Right, s.Right);
      else band.push_back(TRect{s.Left, top, s.Right, bottom});
    }
    // A band that goes on the one above with the same spans makes it taller.
    const bool same = bandCount == band.size() && lastBandBottom == top &&
                      std::equal(band.begin(), band.end(), out.begin() + static_cast<ptrdiff_t>(bandStart),
                                 [](const TRect& a, const TRect& c) { return a.Left == c.Left && a.Right == c.Right; });
    if (same) {
      for (size_t i = 0; i < bandCount; ++i) out[bandStart + i].Bottom = bottom;
    } else {
      bandStart = out.size();
      bandCount = band.size();
      out.insert(out.end(), band.begin(), band.end());
    }
    lastBandBottom = bottom;
  }
}

}  // namespace

std::vector<TRect> BandedCover(const std::vector<TRect>& changed, const TRect& bounds, int maxRects) {
  std::vector<TRect> clipped;
  clipped.reserve(changed.size());
  for (const TRect& c : changed) {
    const TRect r = IntersectRect(c, bounds);
    if (!r.IsEmpty()) clipped.push_back(r);
  }
  std::vector<TRect> out;
  if (clipped.empty()) return out;
  maxRects = std::max(1, maxRects);
  // Bands as tall as the bounds hold at most one rectangle per span left after joining, and at
  // full width one in all: the loop ends.
  for (int rows = kFirstBandRows;; rows *= 2) {
    out.clear();
    CoverInBands(clipped, bounds, std::min(rows, bounds.Height()), out);
    if (static_cast<int>(out.size()) <= maxRects) return out;
    if (rows >= bounds.Height()) break;
  }
  // Scattered spans that still do not fit in one band: the one rectangle around them all.
  TRect all = clipped.front();
  for (const TRect& r : clipped)
    all = TRect{std::min(all.Left, r.Left), std::min(all.Top, r.Top), std::max(all.Right, r.Right), std::max(all.Bottom, r.Bottom)};
  return {all};
}

TRowSpan TFrameShadow::Update(const TBitmap32& frame) {
  const int w = frame.Width(), h = frame.Height();
  if (!FValid || FFrame.Width() != w || FFrame.Height() != h) {
    FFrame.Assign(frame);
    FValid = true;
    return TRowSpan{0, h - 1};
  }
  const size_t bytes = sizeof(TColor32) * static_cast<size_t>(w);
  auto same = [&](int y) { return std::memcmp(frame.ScanLine(y), FFrame.ScanLine(y), bytes) == 0; };
  TRowSpan span;
  int y = 0;
  while (y < h && same(y)) ++y;
  if (y == h) return span;
  span.First = y;
  span.Last = h - 1;
  while (span.Last > span.First && same(span.Last)) --span.Last;
  for (int r = span.First; r <= span.Last; ++r) std::memcpy(FFrame.ScanLine(r), frame.ScanLine(r), bytes);
  return span;
}

}  // namespace ky
