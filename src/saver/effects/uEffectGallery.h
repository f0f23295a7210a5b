#pragma once
// Pictures of the transition effects for looking at them outside the show: one frame, a
// contact sheet per effect and an index of all of them.
#include <string>
#include <vector>

#include "graphics/uBitmap32.h"
#include "platform/uRandom.h"

namespace ky {

// Two lettered sample pictures of w x h: from is cool ("OLD"), to is warm ("NEW"), so that
// mirrored, turned and squeezed parts are easy to tell.
void MakeGallerySamples(int w, int h, TBitmap32& from, TBitmap32& to);

// One TransitionStep frame of effect at percent from `from` to `to` (the frame takes from's
// size), written to path as a PNG. Throws std::invalid_argument for a number without an effect
// and std::runtime_error when the file cannot be written.
void WriteTransitionFrame(const std::string& path, const TBitmap32& from, const TBitmap32& to, int effect,
                          int percent, TRandom& random);

// Writes into dir (created when missing) "effect-NNN.png" for every effect, its frames at 25, 50
// and 75 % side by side under its number and name, and "index.png" with every effect at 50 % and
// its number and name. The random effects draw from a generator set to the effect's number, so
// the pictures are the same in every run. Returns the paths written; throws std::runtime_error
// when a file cannot be written.
std::vector<std::string> WriteTransitionGallery(const std::string& dir, const TBitmap32& from, const TBitmap32& to);
// The same with MakeGallerySamples(w, h).
std::vector<std::string> WriteTransitionGallery(const std::string& dir, int w, int h);

// Text in the gallery's own 5 x 7 pixel font, each pixel drawn as a scale x scale block, with
// its top-left at (x, y); letters advance by 6 * scale. Characters the font lacks show as boxes.
void DrawGalleryText(TBitmap32& target, int x, int y, const std::string& text, TColor32 colour, int scale = 1);
int GalleryTextWidth(const std::string& text, int scale = 1);

}  // namespace ky
