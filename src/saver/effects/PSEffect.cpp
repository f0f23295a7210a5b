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
    {1, "Fade", effects::Effect1},
    {2, "Pixelate", effects::Effect2},
    {3, "Dissolve", effects::Effect3},
    {4, "Expand from right", effects::Effect4},
    {5, "Expand from left", effects::Effect5},
    {6, "Slide in from right", effects::Effect6},
    {7, "Slide in from left", effects::Effect7},
    {8, "Reveal from left", effects::Effect8},
    {9, "Reveal from right", effects::Effect9},
    {10, "Expand in from right", effects::Effect10},
    {11, "Expand in from left", effects::Effect11},
    {12, "Expand in to middle", effects::Effect12},
    {13, "Expand out from middle", effects::Effect13},
    {14, "Reveal out from middle", effects::Effect14},
    {15, "Reveal in from sides", effects::Effect15},
    {16, "Expand in from sides", effects::Effect16},
    {17, "Unroll from left", effects::Effect17},
    {18, "Unroll from right", effects::Effect18},
    {19, "Build up from right", effects::Effect19},
    {20, "Build up from left", effects::Effect20},
    {21, "Expand from bottom", effects::Effect21},
    {22, "Expand from top", effects::Effect22},
    {23, "Slide in from bottom", effects::Effect23},
    {24, "Slide in from top", effects::Effect24},
    {25, "Reveal from top", effects::Effect25},
    {26, "Reveal from bottom", effects::Effect26},
    {27, "Expand in from bottom", effects::Effect27},
    {28, "Expand in from top", effects::Effect28},
    {29, "Expand in to middle (horiz)", effects::Effect29},
    {30, "Expand out from middle (horiz)", effects::Effect30},
    {31, "Reveal from middle (horiz)", effects::Effect31},
    {32, "Slide in from top / bottom", effects::Effect32},
    {33, "Expand in from top / bottom", effects::Effect33},
    {34, "Unroll from top", effects::Effect34},
    {35, "Unroll from bottom", effects::Effect35},
    {36, "Expand gradually from bottom", effects::Effect36},
    {37, "Expand in gradually from top", effects::Effect37},
    {38, "Expand from bottom right", effects::Effect38},
    {39, "Expand from top right", effects::Effect39},
    {40, "Expand from top left", effects::Effect40},
    {41, "Expand from bottom left", effects::Effect41},
    {42, "Slide in from bottom right", effects::Effect42},
    {43, "Slide in from top right", effects::Effect43},
    {44, "Slide in from top left", effects::Effect44},
    {45, "Slide in from bottom left", effects::Effect45},
    {46, "Reveal from top left", effects::Effect46},
    {47, "Reveal from bottom left", effects::Effect47},
    {48, "Reveal from bottom right", effects::Effect48},
    {49, "Reveal from top right", effects::Effect49},
    {50, "Appear and Contract to top left", effects::Effect50},
    {51, "Appear and Contract to bottom left", effects::Effect51},
    {52, "Appear and Contract to bottom right", effects::Effect52},
    {53, "Appear and Contract to top right", effects::Effect53},
    {54, "Appear and Contract to middle", effects::Effect54},
    {55, "Expand out from centre", effects::Effect55},
    {56, "Reveal out from centre", effects::Effect56},
    {57, "Reveal in to centre", effects::Effect57},
    {58, "Quarters Reveal in to middle", effects::Effect58},
    {59, "Quarters Expand to middle", effects::Effect59},
    {60, "Quarters Slide in to middle", effects::Effect60},
    {61, "Curved Reveal from left", effects::Effect61},
    {62, "Curved Reveal from right", effects::Effect62},
    {63, "Bars in from right", effects::Effect63},
    {64, "Bars in from left", effects::Effect64},
    {65, "Bars left then right", effects::Effect65},
    {66, "Bars right then left", effects::Effect66},
    {67, "Bars from both sides", effects::Effect67},
    {68, "Uneven shred from right", effects::Effect68},
    {69, "Uneven shred from left", effects::Effect69},
    {70, "Uneven shred out from middle (horiz)", effects::Effect70},
    {71, "Uneven shred in to middle (horiz)", effects::Effect71},
    {72, "Curved Reveal from top", effects::Effect72},
    {73, "Curved Reveal from bottom", effects::Effect73},
    {74, "Bars from bottom", effects::Effect74},
    {75, "Bars from top", effects::Effect75},
    {76, "Bars top then bottom", effects::Effect76},
    {77, "Bars bottom then top", effects::Effect77},
    {78, "Bars from top and bottom", effects::Effect78},
    {79, "Uneven shred from bottom", effects::Effect79},
    {80, "Uneven shred from top", effects::Effect80},
    {81, "Uneven shred from horizon", effects::Effect81},
    {82, "Uneven shred in to horizon", effects::Effect82},
    {83, "Curved reveal from top left", effects::Effect83},
    {84, "Curved reveal from top right", effects::Effect84},
    {85, "Curved reveal from bottom left", effects::Effect85},
    {86, "Curved reveal from bottom right", effects::Effect86},
    {87, "Elliptic reveal out from centre", effects::Effect87},
    {88, "Elliptic reveal in to centre", effects::Effect88},
    {89, "Criss Cross from bottom right", effects::Effect89},
    {90, "Criss Cross from top right", effects::Effect90},
    {91, "Criss Cross from bottom left", effects::Effect91},
    {92, "Criss Cross from top left", effects::Effect92},
    {93, "Criss Cross bounce from top left", effects::Effect93},
    {94, "Criss Cross bounce from bottom left", effects::Effect94},
    {95, "Criss Cross bounce from top right", effects::Effect95},
    {96, "Criss Cross bounce from bottom right", effects::Effect96},
    {97, "Criss Cross from right top and bottom", effects::Effect97},
    {98, "Criss Cross from left top and bottom", effects::Effect98},
    {99, "Criss Cross from left right and bottom", effects::Effect99},
    {100, "Criss Cross from left right and top", effects::Effect100},
    {101, "Criss Cross from top left and bottom", effects::Effect101},
    {102, "Criss Cross from bottom left top right", effects::Effect102},
    {103, "Uneven shred from bottom and right", effects::Effect103},
    {104, "Uneven shred from top and right", effects::Effect104},
    {105, "Uneven shred from bottom and left", effects::Effect105},
    {106, "Uneven shred from top and left", effects::Effect106},
    {107, "Uneven shred from horiz and right", effects::Effect107},
    {108, "Uneven shred from horiz and left", effects::Effect108},
    {109, "Uneven shred from bottom and vert middle", effects::Effect109},
    {110, "Uneven shred from top and vert middle", effects::Effect110},
    {111, "Uneven shred from centre", effects::Effect111},
    {112, "Uneven shred to centre", effects::Effect112},
    {113, "Reveal diagonal from top left", effects::Effect113},
    {114, "Reveal diagonal from top right", effects::Effect114},
    {115, "Reveal diagonal from bottom left", effects::Effect115},
    {116, "Reveal diagonal from bottom right", effects::Effect116},
    {117, "Diagonal sweep anticlockwise", effects::Effect117},
    {118, "Diagonal sweep clockwise", effects::Effect118},
    {119, "Starburst clockwise from center", effects::Effect119},
    {120, "Triangular shred", effects::Effect120},
    {121, "Pivot from top left", effects::Effect121},
    {122, "Pivot from bottom left", effects::Effect122},
    {123, "Pivot from top right", effects::Effect123},
    {124, "Pivot from bottom right", effects::Effect124},
    {125, "Speckle appear from right", effects::Effect125},
    {126, "Speckle appear from left", effects::Effect126},
    {127, "Speckle appear from bottom", effects::Effect127},
    {128, "Speckle appear from top", effects::Effect128},
    {129, "Random squares appear", effects::Effect129},
    {130, "Push right", effects::Effect130},
    {131, "Push left", effects::Effect131},
    {132, "Push and squeeze right", effects::Effect132},
    {133, "Push and squeeze left", effects::Effect133},
    {134, "Push down", effects::Effect134},
    {135, "Push up", effects::Effect135},
    {136, "Push and sqeeze down", effects::Effect136},
    {137, "Push and sqeeze up", effects::Effect137},
    {138, "Blind vertically", effects::Effect138},
    {139, "Blind horizontally", effects::Effect139},
    {140, "Uneven blind from left", effects::Effect140},
    {141, "Uneven blind from right", effects::Effect141},
    {142, "Uneven blind from top", effects::Effect142},
    {143, "Uneven blind from bottom", effects::Effect143},
    {144, "Rectangular shred", effects::Effect144},
    {145, "Rectangles from left to right", effects::Effect145},
    {146, "Rectangles from right to left", effects::Effect146},
    {147, "Rectangles from up to bottom", effects::Effect147},
    {148, "Rectangles from bottom to up", effects::Effect148},
    {149, "Rotational rectangle in center", effects::Effect149},
    {150, "Rotational star in center", effects::Effect150},
    {151, "Spiral rectangle", effects::Effect151},
    {152, "Circular shred", effects::Effect152},
    {153, "Reveal V from left", effects::Effect153},
    {154, "Reveal V from right", effects::Effect154},
    {155, "Reveal V from top", effects::Effect155},
    {156, "Reveal V from bottom", effects::Effect156},
    {157, "Bow Tie Horizontal", effects::Effect157},
    {158, "Bow Tie Vertical", effects::Effect158},
    {159, "Diagonal Cross In", effects::Effect159},
    {160, "Diagonal Cross Out", effects::Effect160},
    {161, "Starburst anticlockwise from center", effects::Effect161},
    {162, "Zigzag Horizontal", effects::Effect162},
    {163, "Zigzag Vertical", effects::Effect163},
    {164, "Diamond shred", effects::Effect164},
    {165, "Reveal diamond out from centre", effects::Effect165},
    {166, "Reveal diamond in to centre", effects::Effect166},
    {167, "Diagonal Box Out", effects::Effect167},
    {168, "Random Bars Horizontal", effects::Effect168},
    {169, "Random Bars Vertical", effects::Effect169},
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
