#include "scene/engine/uClock.h"

#include <cmath>
#include <cstring>

#include "graphics/uPolygon32.h"
#include "platform/uNumbers.h"

namespace ky {

namespace {
constexpr double kDeg = M_PI / 180;
}  // namespace

TClock::TClock(const TTickSource& ticks) : FTicks(ticks) { SetSize(100, 100); }

void TClock::SetSize(int width, int height) {
  FSurface.SetSize(width, height);
  FFaceValid = false;
  FClockWidth = FSurface.Width();
  FClockHeight = FSurface.Height();
  const int cx = FClockWidth / 2, cy = FClockHeight / 2;
  const int r = cy - 10;
  const int rMinor = Round(r * 19 / 20.0);
  const int rMajor = Round(r * 8.5 / 10);
  for (int i = 1; i <= 60; ++i) {
    const double s = std::sin(6 * i * kDeg), c = std::cos(6 * i * kDeg);
    FOuter[i - 1] = TPoint{cx + Round(s * r), cy - Round(c * r)};
    const int ri = i % 5 == 0 ? rMajor : rMinor;
    FInner[i - 1] = TPoint{cx + Round(s * ri), cy - Round(c * ri)};
  }
}

TPoint TClock::GetPosition(int frameWidth, int frameHeight) const {
  switch (Position) {
    case 1: return TPoint{frameWidth - FClockWidth - 10, 10};
    case 2: return TPoint{10, frameHeight - FClockHeight - 10};
    case 3: return TPoint{frameWidth - FClockWidth - 10, frameHeight - FClockHeight - 10};
    default: return TPoint{10, 10};
  }
}

void TClock::CaptureBackground(const TBitmap32& target, int x, int y) {
  FSurface.Clear(0);
  FSurface.DrawFromDC(TRect{0, 0, FClockWidth, FClockHeight}, TRect{x, y, x + FClockWidth, y + FClockHeight}, target);
}

void TClock::TimeOfDay(int& hour12, int& minute, int& second) const {
  const int64_t ms = ((FTicks.TimeOfDayMs() + FDayOffset) % kMsPerDay + kMsPerDay) % kMsPerDay;
  const int64_t secs = ms / 1000;
  const int h24 = static_cast<int>(secs / 3600);
  minute = static_cast<int>(secs / 60 % 60);
  second = static_cast<int>(secs % 60);
  hour12 = h24 % 12 == 0 ? 12 : h24 % 12;
}

TClock::THands TClock::HandTips(int hour12, int minute, int second) const {
  const int cx = FSurface.Width() / 2, cy = FSurface.Height() / 2;
  const int ls = Round(cy * 8 / 10.0);
  const int lh = Round(cy * 5 / 10.0);
  auto tip = [&](double deg, int len) {
    return TPoint{cx + Round(std::sin(deg * kDeg) * len), cy - Round(std::cos(deg * kDeg) * len)};
  };
  return THands{tip(6.0 * second, ls), tip(6.0 * minute, ls), tip(30.0 * hour12 + minute / 2.0, lh)};
}

void TClock::ThickLine(int x1, int y1, int x2, int y2, int w, TColor32 c) {
  // Two quads, one widened sideways and one up and down, so the line is about 2w + 1 pixels
  // wide in every direction.
  TPolygon32 p;
  p.Add(FixedPoint(x1 - w, y1));
  p.Add(FixedPoint(x1 + w, y1));
  p.Add(FixedPoint(x2 + w, y2));
  p.Add(FixedPoint(x2 - w, y2));
  p.Fill(FSurface, c);
  p.Clear();
  p.Add(FixedPoint(x1, y1 + w));
  p.Add(FixedPoint(x1, y1 - w));
  p.Add(FixedPoint(x2, y2 - w));
  p.Add(FixedPoint(x2, y2 + w));
  p.Fill(FSurface, c);
}

namespace {
bool SamePixels(const TBitmap32& a, const TBitmap32& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() &&
         std::memcmp(a.Bits(), b.Bits(), sizeof(TColor32) * static_cast<size_t>(a.Width()) * a.Height()) == 0;
}
}  // namespace

const TBitmap32& TClock::Render() {
  int h, m, s;
  TimeOfDay(h, m, s);
  const TFaceKey key{h, m, s, HandAlpha, HandColour};
  if (FFaceValid && key == FFaceKey && SamePixels(FSurface, FFaceBackground)) {
    FSurface.Assign(FFace);
    return FSurface;
  }
  FFaceBackground.Assign(FSurface);
  DrawFace(h, m, s);
  FFace.Assign(FSurface);
  FFaceKey = key;
  FFaceValid = true;
  return FSurface;
}

void TClock::DrawFace(int h, int m, int s) {
  const TColor32 ink = SetAlpha(HandColour, HandAlpha);
  const TColor32 tickShadow = MakeColor32(0, 0, 0, 100);
  for (int i = 1; i <= 60; ++i) {
    const TPoint o = Outer(i), n = Inner(i);
    if (i % 5 == 0) {
      ThickLine(o.X + 1, o.Y + 1, n.X + 1, n.Y + 1, 1, tickShadow);
      ThickLine(o.X, o.Y, n.X, n.Y, 1, ink);
    } else {
      FSurface.BlendLine(o.X + 1, o.Y + 1, n.X + 1, n.Y + 1, tickShadow, false);
      FSurface.BlendLine(o.X, o.Y, n.X, n.Y, ink, false);
    }
  }
  const THands t = HandTips(h, m, s);
  const int cx = FSurface.Width() / 2, cy = FSurface.Height() / 2;
  ThickLine(cx + 1, cy + 1, t.Minute.X + 1, t.Minute.Y + 1, 1, MakeColor32(0, 0, 0, 80));
  ThickLine(cx, cy, t.Minute.X, t.Minute.Y, 1, ink);
  ThickLine(cx + 1, cy + 1, t.Hour.X + 1, t.Hour.Y + 1, 1, MakeColor32(0, 0, 0, 100));
  ThickLine(cx, cy, t.Hour.X, t.Hour.Y, 1, ink);
  FSurface.BlendLine(cx + 1, cy + 1, t.Second.X + 1, t.Second.Y + 1, MakeColor32(0, 0, 0, 80), false);
  FSurface.BlendLine(cx, cy, t.Second.X, t.Second.Y, ink, false);
  // The hub is drawn like a canvas ellipse: opaque, colour channels only.
  FSurface.Ellipse(TRect{cx - 4, cy - 4, cx + 4, cy + 4}, MakeColor32(0x70, 0x70, 0x70, 0), SetAlpha(HandColour, 0));
}

}  // namespace ky
