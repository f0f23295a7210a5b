#pragma once
// Helpers around pictures: resizing, grey conversion, and colour mixing.
#include "graphics/uBitmap32.h"

namespace ky {

// source resampled bilinearly (15-bit fixed point) to dest's current size; dest's alpha
// becomes 255 (the source is taken as a 24-bit picture).
void ResizeBilinear(const TBitmap32& source, TBitmap32& dest);
// The same on the kernels of the given table (graphics/uKernels.h) rather than those in use.
void ResizeBilinear(const TBitmap32& source, TBitmap32& dest, const kernels::TKernelTable& k);

// Every pixel's red, green and blue := (R + G + B) div 3; alpha kept.
void Greyscale(TBitmap32& bitmap);

// Per channel: 255 - ((255 - c1) * percent + (255 - c2) * 100) div 100, clamped to 0..255.
// Colours are plain RGB (TColor32; the alpha of the result is 255).
TColor32 MixColour(TColor32 colour1, TColor32 colour2, int percent);

// Both surfaces take the sfLanczos filter (and keep it); the whole source is drawn stretched
// onto the whole destination.
void StretchLanczos(TBitmap32& source, TBitmap32& dest);
void StretchLanczos(TBitmap32& source, TBitmap32& dest, const kernels::TKernelTable& k);

// Surfaces are always 32 bits per pixel; the format is accepted for the callers' sake.
enum TPixelFormat : uint8_t { pf24bit, pf32bit };
void SetBitmapSize(TBitmap32& bitmap, int width, int height, TPixelFormat format = pf32bit);

}  // namespace ky
