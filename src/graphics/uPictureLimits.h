#pragma once
// What one picture file may cost to read, and the largest surface: every bound in one place.
// A file beyond a bound is refused with an error naming it, before the work it would cost.
#include <cstdint>

namespace ky {

// The picture itself: each side and the area, checked from the header before decoding.
constexpr int kMaxPictureSide = 16384;
constexpr int64_t kMaxPicturePixels = int64_t{64} * 1024 * 1024;

// Whole files above this are refused before reading (a 64-megapixel BMP is 256 MiB).
constexpr int64_t kMaxPictureFileBytes = int64_t{512} * 1024 * 1024;

// JPEG: a progressive file may hold many scans, each a pass over the coefficients of its
// components. Both the number of scans and the samples all scans together decode are bounded;
// the standard ten-scan progression of a 64-megapixel colour picture stays well inside.
constexpr int kMaxJpegScans = 100;
constexpr int64_t kMaxJpegDecodedSamples = int64_t{1} << 30;

// GIF: every frame is decoded whole, even the parts off the logical screen, and the composited
// frames take screen-sized surfaces. A file may hold at most kMaxGifFrames frames, their own
// areas together at most kMaxGifDecodedPixels, and frames × screen × 4 bytes at most
// kMaxGifDecodedBytes. Frames that lie on the screen never reach the area bound before the
// byte bound.
constexpr int kMaxGifFrames = 1000;
constexpr int64_t kMaxGifDecodedBytes = int64_t{512} * 1024 * 1024;
constexpr int64_t kMaxGifDecodedPixels = kMaxGifDecodedBytes / 4;

// The largest surface (512 MiB of pixels): twice the largest picture, far above any screen.
constexpr int64_t kMaxSurfacePixels = int64_t{128} * 1024 * 1024;

}  // namespace ky
