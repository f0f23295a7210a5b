#pragma once
// What one animated object may cost, beyond the limits every picture obeys (uPictureLimits.h):
// a scene holds up to kMaxObjects of them, so each gets a fixed share.
#include <cstdint>

namespace ky {

constexpr int kMaxObjects = 101;

// A GIF object keeps every frame's colour indices (one byte a pixel) and decodes them all when
// it starts: the frames' own areas together may hold at most this many pixels (8 MiB of
// indices; 50 frames of 400 x 400). The logical screen, which two surfaces of 4 bytes a pixel
// cover, may hold at most kMaxObjectScreenPixels.
constexpr int64_t kMaxObjectGifPixels = int64_t{8} * 1024 * 1024;
constexpr int64_t kMaxObjectScreenPixels = int64_t{4} * 1024 * 1024;
constexpr int kMaxObjectGifFrames = 1000;

// Frame changes one drawn frame may catch up on a virtual clock (delays are at least 3 ms).
constexpr int kMaxFrameChangesPerDraw = 1000;

}  // namespace ky
