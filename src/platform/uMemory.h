#pragma once
// Memory for frame-sized buffers. Blocks of 2 MiB and more are asked for in huge pages: every
// first touch of a 4 KiB page is a fault, and a 1080p buffer would take two thousand of them
// (tens of milliseconds on a virtual machine) before a scene's first frame.
#include <cstddef>

namespace ky {

// Not zeroed; free with std::free. nullptr when the memory cannot be had.
void* AllocateLarge(size_t bytes);

}  // namespace ky
