// The effects made of block copies and stretches: expands, slides, reveals, unrolls, build-ups,
// corners, quarters and pushes. w, h are the progress size, W, H the frame.
#include <algorithm>

#include "saver/effects/PSEffectProcs.h"
#include "saver/effects/uEffectBuilders.h"

namespace ky {
namespace effects {

namespace {

// The width of the rolled strip of the unroll effects: a tenth of the frame, less at both ends
// of the transition. rest is what is still to be revealed.
int RollWidth(int size, int progress, int rest) {
  int s = size / 10;
  if (progress < s)
    s = progress;
  else if (rest < 2 * s)
    s = Half(rest);
  return s;
}

}  // namespace

// ---- horizontal

void ExpandFromRight(const TEffectCanvas& c) { c.StretchAll(c.W - c.ProgW, 0, c.ProgW, c.H); }
void ExpandFromLeft(const TEffectCanvas& c) { c.StretchAll(0, 0, c.ProgW, c.H); }
void SlideInFromRight(const TEffectCanvas& c) { c.Copy(c.W - c.ProgW, 0, c.W, c.H, 0, 0); }
void SlideInFromLeft(const TEffectCanvas& c) { c.Copy(c.ProgW - c.W, 0, c.W, c.H, 0, 0); }
void RevealFromLeft(const TEffectCanvas& c) { c.Copy(0, 0, c.ProgW, c.H, 0, 0); }
void RevealFromRight(const TEffectCanvas& c) { c.Copy(c.W - c.ProgW, 0, c.ProgW, c.H, c.W - c.ProgW, 0); }
void ExpandInFromRight(const TEffectCanvas& c) { c.Stretch(0, 0, 2 * c.W - c.ProgW, c.H, 0, 0, c.ProgW, c.H); }
void ExpandInFromLeft(const TEffectCanvas& c) {
  c.Stretch(c.ProgW - c.W, 0, 2 * c.W - c.ProgW, c.H, c.W - c.ProgW, 0, c.ProgW, c.H);
}
void ExpandInToMiddle(const TEffectCanvas& c) {
  c.Stretch(c.ProgW - c.W, 0, 3 * c.W - 2 * c.ProgW, c.H, Half(c.W - c.ProgW), 0, c.ProgW, c.H);
}
void ExpandOutFromMiddle(const TEffectCanvas& c) { c.StretchAll(Half(c.W - c.ProgW), 0, c.ProgW, c.H); }
void RevealOutFromMiddle(const TEffectCanvas& c) {
  const int x = Half(c.W - c.ProgW);
  c.Copy(x, 0, c.ProgW, c.H, x, 0);
}
void RevealInFromSides(const TEffectCanvas& c) {
  const int b = Half(c.ProgW);
  c.Copy(0, 0, b, c.H, 0, 0);
  c.Copy(c.W - b, 0, b, c.H, c.W - b, 0);
}
void ExpandInFromSides(const TEffectCanvas& c) {
  const int b = Half(c.ProgW), cx = Half(c.W);
  c.Stretch(0, 0, b, c.H, 0, 0, cx, c.H);
  c.Stretch(c.W - b, 0, b, c.H, cx, 0, c.W - cx, c.H);
}
// Unroll from left: the revealed part, then the strip beyond its edge shown mirrored, as the
// back of a rolled-up sheet, and shaded like a cylinder.
void UnrollFromLeft(const TEffectCanvas& c) {
  const int w = c.ProgW;
  const int s = RollWidth(c.W, w, c.W - w);
  c.Copy(0, 0, w, c.H, 0, 0);
  c.Stretch(w + s - 1, 0, -s, c.H, w + s, 0, s, c.H);
  RollShading(c.Dest, w, s);
}
void UnrollFromRight(const TEffectCanvas& c) {
  const int w = c.ProgW, x = c.W - w;
  const int s = RollWidth(c.W, w, x);
  c.Copy(x, 0, w, c.H, x, 0);
  c.Stretch(x - 1, 0, -s, c.H, x - 2 * s - 1, 0, s, c.H);
  RollShading(c.Dest, x - s, s);
}
void BuildUpFromRight(const TEffectCanvas& c) {
  const int w = c.ProgW;
  c.Copy(0, 0, w, c.H, 0, 0);
  c.Stretch(w, 0, c.W - w, c.H, w, 0, std::min(c.W - w, c.W / 10), c.H);
}
void BuildUpFromLeft(const TEffectCanvas& c) {
  const int w = c.ProgW, x = c.W - w, s = std::min(c.W - w, c.W / 10);
  c.Copy(x, 0, w, c.H, x, 0);
  c.Stretch(0, 0, x, c.H, x - s, 0, s, c.H);
}

// ---- vertical

void ExpandFromBottom(const TEffectCanvas& c) { c.StretchAll(0, c.H - c.ProgH, c.W, c.ProgH); }
void ExpandFromTop(const TEffectCanvas& c) { c.StretchAll(0, 0, c.W, c.ProgH); }
void SlideInFromBottom(const TEffectCanvas& c) { c.Copy(0, c.H - c.ProgH, c.W, c.H, 0, 0); }
void SlideInFromTop(const TEffectCanvas& c) { c.Copy(0, c.ProgH - c.H, c.W, c.H, 0, 0); }
void RevealFromTop(const TEffectCanvas& c) { c.Copy(0, 0, c.W, c.ProgH, 0, 0); }
void RevealFromBottom(const TEffectCanvas& c) { c.Copy(0, c.H - c.ProgH, c.W, c.ProgH, 0, c.H - c.ProgH); }
void ExpandInFromBottom(const TEffectCanvas& c) { c.Stretch(0, 0, c.W, 2 * c.H - c.ProgH, 0, 0, c.W, c.ProgH); }
void ExpandInFromTop(const TEffectCanvas& c) {
  c.Stretch(0, c.ProgH - c.H, c.W, 2 * c.H - c.ProgH, 0, c.H - c.ProgH, c.W, c.ProgH);
}
void ExpandInToMiddleHorizontal(const TEffectCanvas& c) {
  c.Stretch(0, c.ProgH - c.H, c.W, 3 * c.H - 2 * c.ProgH, 0, Half(c.H - c.ProgH), c.W, c.ProgH);
}
void ExpandOutFromMiddleHorizontal(const TEffectCanvas& c) { c.StretchAll(0, Half(c.H - c.ProgH), c.W, c.ProgH); }
void RevealFromMiddleHorizontal(const TEffectCanvas& c) {
  const int y = Half(c.H - c.ProgH);
  c.Copy(0, y, c.W, c.ProgH, 0, y);
}
void SlideInFromTopAndBottom(const TEffectCanvas& c) {
  const int b = Half(c.ProgH);
  c.Copy(0, 0, c.W, b, 0, 0);
  c.Copy(0, c.H - b, c.W, b, 0, c.H - b);
}
void ExpandInFromTopAndBottom(const TEffectCanvas& c) {
  const int b = Half(c.ProgH), cy = Half(c.H);
  c.Stretch(0, 0, c.W, b, 0, 0, c.W, cy);
  c.Stretch(0, c.H - b, c.W, b, 0, cy, c.W, c.H - cy);
}
void UnrollFromTop(const TEffectCanvas& c) {
  const int h = c.ProgH;
  const int s = RollWidth(c.H, h, c.H - h);
  c.Copy(0, 0, c.W, h, 0, 0);
  c.Stretch(0, h + s - 1, c.W, -s, 0, h + s, c.W, s);
  RollShading(c.Dest, h, s, true);
}
void UnrollFromBottom(const TEffectCanvas& c) {
  const int h = c.ProgH, y = c.H - h;
  const int s = RollWidth(c.H, h, y);
  c.Copy(0, y, c.W, h, 0, y);
  c.Stretch(0, y - 1, c.W, -s, 0, y - 2 * s - 1, c.W, s);
  RollShading(c.Dest, y - s, s, true);
}
void ExpandGraduallyFromBottom(const TEffectCanvas& c) {
  const int h = c.ProgH;
  c.Copy(0, 0, c.W, h, 0, 0);
  c.Stretch(0, h, c.W, c.H - h, 0, h, c.W, std::min(c.H - h, c.H / 10));
}
void ExpandInGraduallyFromTop(const TEffectCanvas& c) {
  const int h = c.ProgH, y = c.H - h, s = std::min(c.H - h, c.H / 10);
  c.Copy(0, y, c.W, h, 0, y);
  c.Stretch(0, 0, c.W, y, 0, y - s, c.W, s);
}

// ---- corners: bottom right, top right, top left, bottom left

void ExpandFromBottomRight(const TEffectCanvas& c) { c.StretchAll(c.W - c.ProgW, c.H - c.ProgH, c.ProgW, c.ProgH); }
void ExpandFromTopRight(const TEffectCanvas& c) { c.StretchAll(c.W - c.ProgW, 0, c.ProgW, c.ProgH); }
void ExpandFromTopLeft(const TEffectCanvas& c) { c.StretchAll(0, 0, c.ProgW, c.ProgH); }
void ExpandFromBottomLeft(const TEffectCanvas& c) { c.StretchAll(0, c.H - c.ProgH, c.ProgW, c.ProgH); }
void SlideInFromBottomRight(const TEffectCanvas& c) { c.Copy(c.W - c.ProgW, c.H - c.ProgH, c.W, c.H, 0, 0); }
void SlideInFromTopRight(const TEffectCanvas& c) { c.Copy(c.W - c.ProgW, c.ProgH - c.H, c.W, c.H, 0, 0); }
void SlideInFromTopLeft(const TEffectCanvas& c) { c.Copy(c.ProgW - c.W, c.ProgH - c.H, c.W, c.H, 0, 0); }
void SlideInFromBottomLeft(const TEffectCanvas& c) { c.Copy(c.ProgW - c.W, c.H - c.ProgH, c.W, c.H, 0, 0); }
// Reveals: top left, bottom left, bottom right, top right.
void RevealFromTopLeft(const TEffectCanvas& c) { c.Copy(0, 0, c.ProgW, c.ProgH, 0, 0); }
void RevealFromBottomLeft(const TEffectCanvas& c) {
  const int y = c.H - c.ProgH;
  c.Copy(0, y, c.ProgW, c.ProgH, 0, y);
}
void RevealFromBottomRight(const TEffectCanvas& c) {
  const int x = c.W - c.ProgW, y = c.H - c.ProgH;
  c.Copy(x, y, c.ProgW, c.ProgH, x, y);
}
void RevealFromTopRight(const TEffectCanvas& c) {
  const int x = c.W - c.ProgW;
  c.Copy(x, 0, c.ProgW, c.ProgH, x, 0);
}
// Appear and contract to top left, bottom left, bottom right, top right.
void AppearAndContractToTopLeft(const TEffectCanvas& c) {
  const int w = c.ProgW, h = c.ProgH;
  c.Stretch(0, 0, 2 * c.W - w, 2 * c.H - h, 0, 0, w, h);
}
void AppearAndContractToBottomLeft(const TEffectCanvas& c) {
  const int w = c.ProgW, h = c.ProgH;
  c.Stretch(0, h - c.H, 2 * c.W - w, 2 * c.H - h, 0, c.H - h, w, h);
}
void AppearAndContractToBottomRight(const TEffectCanvas& c) {
  const int w = c.ProgW, h = c.ProgH;
  c.Stretch(w - c.W, h - c.H, 2 * c.W - w, 2 * c.H - h, c.W - w, c.H - h, w, h);
}
void AppearAndContractToTopRight(const TEffectCanvas& c) {
  const int w = c.ProgW, h = c.ProgH;
  c.Stretch(w - c.W, 0, 2 * c.W - w, 2 * c.H - h, c.W - w, 0, w, h);
}
void AppearAndContractToMiddle(const TEffectCanvas& c) {
  const int w = c.ProgW, h = c.ProgH;
  c.Stretch(w - c.W, h - c.H, 3 * c.W - 2 * w, 3 * c.H - 2 * h, Half(c.W - w), Half(c.H - h), w, h);
}

// ---- centre and quarters

void ExpandOutFromCentre(const TEffectCanvas& c) {
  c.StretchAll(Half(c.W - c.ProgW), Half(c.H - c.ProgH), c.ProgW, c.ProgH);
}
void RevealOutFromCentre(const TEffectCanvas& c) {
  const int x = Half(c.W - c.ProgW), y = Half(c.H - c.ProgH);
  c.Copy(x, y, c.ProgW, c.ProgH, x, y);
}
void RevealInToCentre(const TEffectCanvas& c) {
  const int a = Half(c.ProgW), b = Half(c.ProgH);
  c.Clip(TRegion::Rect(0, 0, c.W, c.H).Subtract(TRegion::Rect(a, b, c.W - a, c.H - b)));
}
void QuartersRevealInToMiddle(const TEffectCanvas& c) {
  const int a = Half(c.ProgW), b = Half(c.ProgH);
  c.Copy(0, 0, a, b, 0, 0);
  c.Copy(c.W - a, 0, a, b, c.W - a, 0);
  c.Copy(0, c.H - b, a, b, 0, c.H - b);
  c.Copy(c.W - a, c.H - b, a, b, c.W - a, c.H - b);
}
void QuartersExpandToMiddle(const TEffectCanvas& c) {
  const int a = Half(c.ProgW), b = Half(c.ProgH), cx = Half(c.W), cy = Half(c.H);
  c.Stretch(0, 0, a, b, 0, 0, cx, cy);
  c.Stretch(c.W - a, 0, a, b, cx, 0, c.W - cx, cy);
  c.Stretch(0, c.H - b, a, b, 0, cy, cx, c.H - cy);
  c.Stretch(c.W - a, c.H - b, a, b, cx, cy, c.W - cx, c.H - cy);
}
// Each quarter slides in along its own edge, turning clockwise.
void QuartersSlideInToMiddle(const TEffectCanvas& c) {
  const int a = Half(c.ProgW), b = Half(c.ProgH), cx = Half(c.W), cy = Half(c.H);
  c.Copy(a - cx, 0, cx, cy, 0, 0);
  c.Copy(cx, b - cy, cx, cy, cx, 0);
  c.Copy(c.W - a, cy, cx, cy, cx, cy);
  c.Copy(0, c.H - b, cx, cy, 0, cy);
}

// ---- pushes: the old frame is moved (or squeezed) out as the new one comes in

void PushRight(const TEffectCanvas& c) {
  const int w = c.ProgW;
  c.CopySelf(w, 0, c.W - w, c.H, 0, 0);
  c.Copy(0, 0, w, c.H, c.W - w, 0);
}
void PushLeft(const TEffectCanvas& c) {
  const int w = c.ProgW;
  c.CopySelf(0, 0, c.W - w, c.H, w, 0);
  c.Copy(c.W - w, 0, w, c.H, 0, 0);
}
void PushAndSqueezeRight(const TEffectCanvas& c) {
  const int w = c.ProgW;
  c.StretchSelf(w, 0, c.W - w, c.H, 0, 0, c.W, c.H);
  c.Copy(0, 0, w, c.H, c.W - w, 0);
}
void PushAndSqueezeLeft(const TEffectCanvas& c) {
  const int w = c.ProgW;
  c.StretchSelf(0, 0, c.W - w, c.H, 0, 0, c.W, c.H);
  c.Copy(c.W - w, 0, w, c.H, 0, 0);
}
void PushDown(const TEffectCanvas& c) {
  const int h = c.ProgH;
  c.CopySelf(0, h, c.W, c.H - h, 0, 0);
  c.Copy(0, 0, c.W, h, 0, c.H - h);
}
void PushUp(const TEffectCanvas& c) {
  const int h = c.ProgH;
  c.CopySelf(0, 0, c.W, c.H - h, 0, h);
  c.Copy(0, c.H - h, c.W, h, 0, 0);
}
void PushAndSqueezeDown(const TEffectCanvas& c) {
  const int h = c.ProgH;
  c.StretchSelf(0, h, c.W, c.H - h, 0, 0, c.W, c.H);
  c.Copy(0, 0, c.W, h, 0, c.H - h);
}
void PushAndSqueezeUp(const TEffectCanvas& c) {
  const int h = c.ProgH;
  c.StretchSelf(0, 0, c.W, c.H - h, 0, 0, c.W, c.H);
  c.Copy(0, c.H - h, c.W, h, 0, 0);
}

}  // namespace effects
}  // namespace ky
