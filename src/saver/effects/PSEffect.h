#pragma once
// The transition effects: kTransitionEffectCount numbered ways for a new picture to replace the
// old one.
//
// An effect procedure gets Dest holding the old frame and Src the new one, both W x H, and the
// progress size (ProgW, ProgH) for Percent; it only draws onto Dest (a few effects move Dest's
// own pixels) and keeps no state, so each call depends on its arguments alone. The effects that
// draw random numbers either reseed the show's generator and restore it afterwards (the same
// pixels at the same percent in every run) or, for ragged edges, draw from it as it is.
#include <string_view>
#include <vector>

#include "graphics/uBitmap32.h"
#include "package/uTransitionEffects.h"
#include "platform/uRandom.h"
#include "saver/effects/uRegion.h"

namespace ky {

// What one effect call sees, with the drawing primitives bound to its two frames.
struct TEffectCanvas {
  TBitmap32& Dest;
  const TBitmap32& Src;
  int W, H;          // frame size
  int ProgW, ProgH;  // progress size
  int Percent;       // 0 .. 100
  TRandom& Random;   // the show's generator

  // copy(x, y, cw, ch <- sx, sy) from Src, or from Dest itself.
  void Copy(int x, int y, int cw, int ch, int sx, int sy) const;
  void CopySelf(int x, int y, int cw, int ch, int sx, int sy) const;
  // stretch(x, y, cw, ch <- sx, sy, sw, sh) from Src, or from Dest itself; a negative cw or ch
  // mirrors.
  void Stretch(int x, int y, int cw, int ch, int sx, int sy, int sw, int sh) const;
  void StretchSelf(int x, int y, int cw, int ch, int sx, int sy, int sw, int sh) const;
  // The whole Src stretched into the block.
  void StretchAll(int x, int y, int cw, int ch) const { Stretch(x, y, cw, ch, 0, 0, W, H); }
  // Src copied to Dest through the region.
  void Clip(const TRegion& region) const;
};

using TEffectProc = void (*)(const TEffectCanvas& canvas);

struct TEffectInfo {
  int Number;
  const char* Name;
  TEffectProc Proc;
};

// The entry of effect number (1 .. kTransitionEffectCount), or nullptr.
const TEffectInfo* FindTransitionEffect(int number);
// Its display name, or "" for a number without an effect.
const char* TransitionEffectName(int number);

// The progress size for percent, keeping the frame's proportions: ProgW = MulDiv(W, percent, 100)
// and ProgH = MulDiv(ProgW, H, W) when W >= H, the other way round otherwise.
void ComputeProgress(int W, int H, int percent, int& progW, int& progH);

// Draws effect number's part of src for percent onto dest, which holds the old frame. The frame
// size is dest's. Percent is kept to 0 .. 100. Throws std::invalid_argument for a number without
// an effect.
void DrawTransitionEffect(int effect, TBitmap32& dest, const TBitmap32& src, int percent, TRandom& random);

// One in-between frame: mixFrame := oldFrame, then the effect drawn onto it from newFrame.
void TransitionStep(const TBitmap32& oldFrame, const TBitmap32& newFrame, TBitmap32& mixFrame, int effect,
                    int percent, TRandom& random);

// The allowed effects from a "TransitionEffects" text: the entries between commas that are
// numbers from 1 to kTransitionEffectCount, in order (blanks around an entry are ignored; other entries are
// skipped). No entry left gives the single effect 1.
std::vector<int> ParseTransitionEffects(std::string_view text);

// An entry of list chosen uniformly with random (effect 1 for an empty list).
int PickTransitionEffect(const std::vector<int>& list, TRandom& random);

}  // namespace ky
