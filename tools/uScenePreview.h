#pragma once
// A scene played on the virtual clock without building a saver: water, weather and the
// schedule of its sounds, as a contact sheet of frames spread over the chosen seconds.
#include <string>

#include "graphics/uBitmap32.h"

namespace ky {

struct TSceneDescription;

struct TScenePreviewRequest {
  std::string Sheet;     // PNG file to write
  double Seconds = 4.0;  // virtual time shown, from the scene's start
  int Width = 0;         // 0: the photo's own size
  int Height = 0;
  int Tiles = 12;        // frames on the sheet, spread evenly from 0 to Seconds (one: at Seconds)
  int TileWidth = 256;
  bool Overlay = false;  // tint every water pixel in its region colour
};

// Writes the sheet and returns what the preview saw: size, frames, water regions in use,
// weather, sounds with their schedule, objects. Throws TKyError naming the problem.
std::string PreviewScene(const TSceneDescription& scene, const std::string& descriptionPath,
                         const TScenePreviewRequest& request);

// Region colour over every water pixel of frame (mask of the same size): each channel becomes
// (frame * (255 - a) + colour * a + 127) / 255 with a = kOverlayAlpha.
constexpr int kOverlayAlpha = 128;
void DrawRegionOverlay(TBitmap32& frame, const TBitmap32& mask);

}  // namespace ky
