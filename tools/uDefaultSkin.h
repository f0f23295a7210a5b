#pragma once
// The painted skin of the default configuration window: the saver's name in a header, a dark
// well for the picture preview, rounded buttons with their texts and a close mark. Drawn with
// QPainter on an offscreen image at build time.
#include <string>
#include <vector>

#include "graphics/uBitmap32.h"
#include "graphics/uGeometry.h"

namespace ky {

struct TSkinButton {
  std::string Text;  // UTF-8
  TRect Bounds;
  bool Accent = false;  // the main button, in the accent colour
};

struct TSkinLayout {
  int Width = 0;
  int Height = 0;
  std::string Title;   // the saver's name, UTF-8
  TRect Header;        // the title band
  TRect Well;          // where the preview control lies
  TRect Close;         // the close mark in the header
  std::vector<TSkinButton> Buttons;
};

// The colours of the skin, also used by the window description and the tests.
constexpr TColor32 kSkinBackground = 0xFF1E2530;
constexpr TColor32 kSkinHeader = 0xFF141A22;
constexpr TColor32 kSkinWell = 0xFF0E1218;
constexpr TColor32 kSkinButton = 0xFF2E3A4A;
constexpr TColor32 kSkinAccent = 0xFF2F7FE0;

// Throws TKyError when Qt cannot paint (no platform plugin).
TBitmap32 DrawDefaultSkin(const TSkinLayout& layout);

}  // namespace ky
