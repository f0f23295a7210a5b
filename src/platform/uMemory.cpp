#include "uMemory.h"

#include <sys/mman.h>

#include <cstdlib>

namespace ky {

void* AllocateLarge(size_t bytes) {
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
