#pragma once
// What the program asks of the screen.

namespace ky {

// Bits per pixel of the default display; 16 when it cannot be asked.
int ScreenBitDepth();

}  // namespace ky
