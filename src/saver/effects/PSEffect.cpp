#include "saver/effects/PSEffect.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#include "platform/uNumbers.h"
#include "platform/uText.h"
#include "saver/effects/PSEffectProcs.h"
#include "saver/effects/uEffectDraw.h"

namespace ky {

namespace {

// The numbers are stored in saved settings, so the order is fixed.
constexpr TEffectInfo kEffects[kTransitionEffectCount] = {
    {1, "Fade", effects::Fade},
    {2, "Pixelate", effects::Pixelate},
    {3, "Dissolve", effects::Dissolve},
    {4, "Expand from right", effects::ExpandFromRight},
    {5, "Expand from left", effects::ExpandFromLeft},
    {6, "Slide in from right", effects::SlideInFromRight},
    {7, "Slide in from left", effects::SlideInFromLeft},
    {8, "Reveal from left", effects::RevealFromLeft},
    {9, "Reveal from right", effects::RevealFromRight},
    {10, "Expand in from right", effects::ExpandInFromRight},
    {11, "Expand in from left", effects::ExpandInFromLeft},
    {12, "Expand in to middle", effects::ExpandInToMiddle},
    {13, "Expand out from middle", effects::ExpandOutFromMiddle},
    {14, "Reveal out from middle", effects::RevealOutFromMiddle},
    {15, "Reveal in from sides", effects::RevealInFromSides},
    {16, "Expand in from sides", effects::ExpandInFromSides},
    {17, "Unroll from left", effects::UnrollFromLeft},
    {18, "Unroll from right", effects::UnrollFromRight},
    {19, "Build up from right", effects::BuildUpFromRight},
    {20, "Build up from left", effects::BuildUpFromLeft},
    {21, "Expand from bottom", effects::ExpandFromBottom},
    {22, "Expand from top", effects::ExpandFromTop},
    {23, "Slide in from bottom", effects::SlideInFromBottom},
    {24, "Slide in from top", effects::SlideInFromTop},
    {25, "Reveal from top", effects::RevealFromTop},
    {26, "Reveal from bottom", effects::RevealFromBottom},
    {27, "Expand in from bottom", effects::ExpandInFromBottom},
    {28, "Expand in from top", effects::ExpandInFromTop},
    {29, "Expand in to middle (horiz)", effects::ExpandInToMiddleHorizontal},
    {30, "Expand out from middle (horiz)", effects::ExpandOutFromMiddleHorizontal},
    {31, "Reveal from middle (horiz)", effects::RevealFromMiddleHorizontal},
    {32, "Slide in from top / bottom", effects::SlideInFromTopAndBottom},
    {33, "Expand in from top / bottom", effects::ExpandInFromTopAndBottom},
    {34, "Unroll from top", effects::UnrollFromTop},
    {35, "Unroll from bottom", effects::UnrollFromBottom},
    {36, "Expand gradually from bottom", effects::ExpandGraduallyFromBottom},
    {37, "Expand in gradually from top", effects::ExpandInGraduallyFromTop},
    {38, "Expand from bottom right", effects::ExpandFromBottomRight},
    {39, "Expand from top right", effects::ExpandFromTopRight},
    {40, "Expand from top left", effects::ExpandFromTopLeft},
    {41, "Expand from bottom left", effects::ExpandFromBottomLeft},
    {42, "Slide in from bottom right", effects::SlideInFromBottomRight},
    {43, "Slide in from top right", effects::SlideInFromTopRight},
    {44, "Slide in from top left", effects::SlideInFromTopLeft},
    {45, "Slide in from bottom left", effects::SlideInFromBottomLeft},
    {46, "Reveal from top left", effects::RevealFromTopLeft},
    {47, "Reveal from bottom left", effects::RevealFromBottomLeft},
    {48, "Reveal from bottom right", effects::RevealFromBottomRight},
    {49, "Reveal from top right", effects::RevealFromTopRight},
    {50, "Appear and Contract to top left", effects::AppearAndContractToTopLeft},
    {51, "Appear and Contract to bottom left", effects::AppearAndContractToBottomLeft},
    {52, "Appear and Contract to bottom right", effects::AppearAndContractToBottomRight},
    {53, "Appear and Contract to top right", effects::AppearAndContractToTopRight},
    {54, "Appear and Contract to middle", effects::AppearAndContractToMiddle},
    {55, "Expand out from centre", effects::ExpandOutFromCentre},
    {56, "Reveal out from centre", effects::RevealOutFromCentre},
    {57, "Reveal in to centre", effects::RevealInToCentre},
    {58, "Quarters Reveal in to middle", effects::QuartersRevealInToMiddle},
    {59, "Quarters Expand to middle", effects::QuartersExpandToMiddle},
    {60, "Quarters Slide in to middle", effects::QuartersSlideInToMiddle},
    {61, "Curved Reveal from left", effects::CurvedRevealFromLeft},
    {62, "Curved Reveal from right", effects::CurvedRevealFromRight},
    {63, "Bars in from right", effects::BarsInFromRight},
    {64, "Bars in from left", effects::BarsInFromLeft},
    {65, "Bars left then right", effects::BarsLeftThenRight},
    {66, "Bars right then left", effects::BarsRightThenLeft},
    {67, "Bars from both sides", effects::BarsFromBothSides},
    {68, "Uneven shred from right", effects::UnevenShredFromRight},
    {69, "Uneven shred from left", effects::UnevenShredFromLeft},
    {70, "Uneven shred out from middle (horiz)", effects::UnevenShredOutFromMiddleHorizontal},
    {71, "Uneven shred in to middle (horiz)", effects::UnevenShredInToMiddleHorizontal},
    {72, "Curved Reveal from top", effects::CurvedRevealFromTop},
    {73, "Curved Reveal from bottom", effects::CurvedRevealFromBottom},
    {74, "Bars from bottom", effects::BarsFromBottom},
    {75, "Bars from top", effects::BarsFromTop},
    {76, "Bars top then bottom", effects::BarsTopThenBottom},
    {77, "Bars bottom then top", effects::BarsBottomThenTop},
    {78, "Bars from top and bottom", effects::BarsFromTopAndBottom},
    {79, "Uneven shred from bottom", effects::UnevenShredFromBottom},
    {80, "Uneven shred from top", effects::UnevenShredFromTop},
    {81, "Uneven shred from horizon", effects::UnevenShredFromHorizon},
    {82, "Uneven shred in to horizon", effects::UnevenShredInToHorizon},
    {83, "Curved reveal from top left", effects::CurvedRevealFromTopLeft},
    {84, "Curved reveal from top right", effects::CurvedRevealFromTopRight},
    {85, "Curved reveal from bottom left", effects::CurvedRevealFromBottomLeft},
    {86, "Curved reveal from bottom right", effects::CurvedRevealFromBottomRight},
    {87, "Elliptic reveal out from centre", effects::EllipticRevealOutFromCentre},
    {88, "Elliptic reveal in to centre", effects::EllipticRevealInToCentre},
    {89, "Criss Cross from bottom right", effects::CrissCrossFromBottomRight},
    {90, "Criss Cross from top right", effects::CrissCrossFromTopRight},
    {91, "Criss Cross from bottom left", effects::CrissCrossFromBottomLeft},
    {92, "Criss Cross from top left", effects::CrissCrossFromTopLeft},
    {93, "Criss Cross bounce from top left", effects::CrissCrossBounceFromTopLeft},
    {94, "Criss Cross bounce from bottom left", effects::CrissCrossBounceFromBottomLeft},
    {95, "Criss Cross bounce from top right", effects::CrissCrossBounceFromTopRight},
    {96, "Criss Cross bounce from bottom right", effects::CrissCrossBounceFromBottomRight},
    {97, "Criss Cross from right top and bottom", effects::CrissCrossFromRightTopAndBottom},
    {98, "Criss Cross from left top and bottom", effects::CrissCrossFromLeftTopAndBottom},
    {99, "Criss Cross from left right and bottom", effects::CrissCrossFromLeftRightAndBottom},
    {100, "Criss Cross from left right and top", effects::CrissCrossFromLeftRightAndTop},
    {101, "Criss Cross from top left and bottom", effects::CrissCrossFromTopLeftAndBottom},
    {102, "Criss Cross from bottom left top right", effects::CrissCrossFromBottomLeftTopRight},
    {103, "Uneven shred from bottom and right", effects::UnevenShredFromBottomAndRight},
    {104, "Uneven shred from top and right", effects::UnevenShredFromTopAndRight},
    {105, "Uneven shred from bottom and left", effects::UnevenShredFromBottomAndLeft},
    {106, "Uneven shred from top and left", effects::UnevenShredFromTopAndLeft},
    {107, "Uneven shred from horiz and right", effects::UnevenShredFromHorizontalAndRight},
    {108, "Uneven shred from horiz and left", effects::UnevenShredFromHorizontalAndLeft},
    {109, "Uneven shred from bottom and vert middle", effects::UnevenShredFromBottomAndVerticalMiddle},
    {110, "Uneven shred from top and vert middle", effects::UnevenShredFromTopAndVerticalMiddle},
    {111, "Uneven shred from centre", effects::UnevenShredFromCentre},
    {112, "Uneven shred to centre", effects::UnevenShredToCentre},
    {113, "Reveal diagonal from top left", effects::RevealDiagonalFromTopLeft},
    {114, "Reveal diagonal from top right", effects::RevealDiagonalFromTopRight},
    {115, "Reveal diagonal from bottom left", effects::RevealDiagonalFromBottomLeft},
    {116, "Reveal diagonal from bottom right", effects::RevealDiagonalFromBottomRight},
    {117, "Diagonal sweep anticlockwise", effects::DiagonalSweepAnticlockwise},
    {118, "Diagonal sweep clockwise", effects::DiagonalSweepClockwise},
    {119, "Starburst clockwise from center", effects::StarburstClockwiseFromCentre},
    {120, "Triangular shred", effects::TriangularShred},
    {121, "Pivot from top left", effects::PivotFromTopLeft},
    {122, "Pivot from bottom left", effects::PivotFromBottomLeft},
    {123, "Pivot from top right", effects::PivotFromTopRight},
    {124, "Pivot from bottom right", effects::PivotFromBottomRight},
    {125, "Speckle appear from right", effects::SpeckleAppearFromRight},
    {126, "Speckle appear from left", effects::SpeckleAppearFromLeft},
    {127, "Speckle appear from bottom", effects::SpeckleAppearFromBottom},
    {128, "Speckle appear from top", effects::SpeckleAppearFromTop},
    {129, "Random squares appear", effects::RandomSquaresAppear},
    {130, "Push right", effects::PushRight},
    {131, "Push left", effects::PushLeft},
    {132, "Push and squeeze right", effects::PushAndSqueezeRight},
    {133, "Push and squeeze left", effects::PushAndSqueezeLeft},
    {134, "Push down", effects::PushDown},
    {135, "Push up", effects::PushUp},
    {136, "Push and sqeeze down", effects::PushAndSqueezeDown},
    {137, "Push and sqeeze up", effects::PushAndSqueezeUp},
    {138, "Blind vertically", effects::BlindVertically},
    {139, "Blind horizontally", effects::BlindHorizontally},
    {140, "Uneven blind from left", effects::UnevenBlindFromLeft},
    {141, "Uneven blind from right", effects::UnevenBlindFromRight},
    {142, "Uneven blind from top", effects::UnevenBlindFromTop},
    {143, "Uneven blind from bottom", effects::UnevenBlindFromBottom},
    {144, "Rectangular shred", effects::RectangularShred},
    {145, "Rectangles from left to right", effects::RectanglesFromLeftToRight},
    {146, "Rectangles from right to left", effects::RectanglesFromRightToLeft},
    {147, "Rectangles from up to bottom", effects::RectanglesFromUpToBottom},
    {148, "Rectangles from bottom to up", effects::RectanglesFromBottomToUp},
    {149, "Rotational rectangle in center", effects::RotationalRectangleInCentre},
    {150, "Rotational star in center", effects::RotationalStarInCentre},
    {151, "Spiral rectangle", effects::SpiralRectangle},
    {152, "Circular shred", effects::CircularShred},
    {153, "Reveal V from left", effects::RevealVFromLeft},
    {154, "Reveal V from right", effects::RevealVFromRight},
    {155, "Reveal V from top", effects::RevealVFromTop},
    {156, "Reveal V from bottom", effects::RevealVFromBottom},
    {157, "Bow Tie Horizontal", effects::BowTieHorizontal},
    {158, "Bow Tie Vertical", effects::BowTieVertical},
    {159, "Diagonal Cross In", effects::DiagonalCrossIn},
    {160, "Diagonal Cross Out", effects::DiagonalCrossOut},
    {161, "Starburst anticlockwise from center", effects::StarburstAnticlockwiseFromCentre},
    {162, "Zigzag Horizontal", effects::ZigzagHorizontal},
    {163, "Zigzag Vertical", effects::ZigzagVertical},
    {164, "Diamond shred", effects::DiamondShred},
    {165, "Reveal diamond out from centre", effects::RevealDiamondOutFromCentre},
    {166, "Reveal diamond in to centre", effects::RevealDiamondInToCentre},
    {167, "Diagonal Box Out", effects::DiagonalBoxOut},
    {168, "Random Bars Horizontal", effects::RandomBarsHorizontal},
    {169, "Random Bars Vertical", effects::RandomBarsVertical},
};

}  // namespace

namespace effects {

int Half(int v) { return v / 2; }

}  // namespace effects

void TEffectCanvas::Copy(int x, int y, int cw, int ch, int sx, int sy) const {
  CopyBlock(Dest, x, y, cw, ch, Src, sx, sy);
}

void TEffectCanvas::CopySelf(int x, int y, int cw, int ch, int sx, int sy) const {
  CopyBlock(Dest, x, y, cw, ch, Dest, sx, sy);
}

void TEffectCanvas::Stretch(int x, int y, int cw, int ch, int sx, int sy, int sw, int sh) const {
  StretchBlock(Dest, x, y, cw, ch, Src, sx, sy, sw, sh);
}

void TEffectCanvas::StretchSelf(int x, int y, int cw, int ch, int sx, int sy, int sw, int sh) const {
  StretchBlock(Dest, x, y, cw, ch, Dest, sx, sy, sw, sh);
}

void TEffectCanvas::Clip(const TRegion& region) const { ClipCopy(Dest, Src, region); }

const TEffectInfo* FindTransitionEffect(int number) {
  if (number < 1 || number > kTransitionEffectCount) return nullptr;
  return &kEffects[number - 1];
}

const char* TransitionEffectName(int number) {
  const TEffectInfo* e = FindTransitionEffect(number);
  return e ? e->Name : "";
}

void ComputeProgress(int W, int H, int percent, int& progW, int& progH) {
  if (W >= H) {
    progW = MulDiv(W, percent, 100);
    progH = MulDiv(progW, H, W);
  } else {
    progH = MulDiv(H, percent, 100);
    progW = MulDiv(progH, W, H);
  }
  // MulDiv answers -1 for a zero divisor (an empty frame).
  progW = std::max(progW, 0);
  progH = std::max(progH, 0);
}

void DrawTransitionEffect(int effect, TBitmap32& dest, const TBitmap32& src, int percent, TRandom& random) {
  const TEffectInfo* info = FindTransitionEffect(effect);
  if (!info) throw std::invalid_argument("No transition effect " + std::to_string(effect));
  const int W = dest.Width(), H = dest.Height();
  if (W <= 0 || H <= 0) return;
  const int p = std::clamp(percent, 0, 100);
  int w = 0, h = 0;
  ComputeProgress(W, H, p, w, h);
  info->Proc(TEffectCanvas{dest, src, W, H, w, h, p, random});
}

void TransitionStep(const TBitmap32& oldFrame, const TBitmap32& newFrame, TBitmap32& mixFrame, int effect,
                    int percent, TRandom& random) {
  mixFrame.SetSize(oldFrame.Width(), oldFrame.Height());
  if (!oldFrame.Empty())
    std::memcpy(mixFrame.Bits(), oldFrame.Bits(),
                static_cast<size_t>(oldFrame.Width()) * static_cast<size_t>(oldFrame.Height()) * sizeof(TColor32));
  DrawTransitionEffect(effect, mixFrame, newFrame, percent, random);
}

std::vector<int> ParseTransitionEffects(std::string_view text) {
  std::vector<int> list;
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    if (comma == std::string_view::npos) comma = text.size();
    const auto n = ParseInteger(Trim(text.substr(start, comma - start)));
    if (n && *n >= 1 && *n <= kTransitionEffectCount) list.push_back(*n);
    start = comma + 1;
  }
  if (list.empty()) list.push_back(1);
  return list;
}

int PickTransitionEffect(const std::vector<int>& list, TRandom& random) {
  if (list.empty()) return 1;
  return list[static_cast<size_t>(random.Random(static_cast<int>(list.size())))];
}

}  // namespace ky
