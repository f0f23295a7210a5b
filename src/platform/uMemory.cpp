#include "uMemory.h"

#include <malloc.h>
#include <sys/mman.h>

#include <cstdlib>

namespace ky {

void* AllocateLarge(size_t bytes) {
  // glibc raises its mapping threshold to the size of every mapped block freed, so once a frame
  // has been freed the next smaller ones come from the heap, where freeing them does not give
  // the memory back: a show that changes pictures for hours creeps up by megabytes. Its first
  // threshold, held fixed, keeps every large block in a mapping of its own.
  static const bool fixedThreshold = mallopt(M_MMAP_THRESHOLD, 128 * 1024) == 1;
  (void)fixedThreshold;
  constexpr size_t kHuge = size_t{2} << 20;
  if (bytes < kHuge) return std::malloc(bytes > 0 ? bytes : 1);
  const size_t rounded = (bytes + kHuge - 1) / kHuge * kHuge;
  void* p = nullptr;
  if (posix_memalign(&p, kHuge, rounded) != 0) return nullptr;
#ifdef MADV_HUGEPAGE
  madvise(p, rounded, MADV_HUGEPAGE);
#endif
  return p;
}

}  // namespace ky
