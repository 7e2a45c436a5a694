#include "document/large_block.h"

#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace belmo {

void PreferLargePages(uint8_t* block, size_t size) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr uintptr_t kLargePage = uintptr_t{2} << 20;
  if (block == nullptr || size < 2 * kLargePage) return;
  const uintptr_t begin = reinterpret_cast<uintptr_t>(block);
  const uintptr_t first = (begin + kLargePage - 1) & ~(kLargePage - 1);
  const uintptr_t last = (begin + size) & ~(kLargePage - 1);
  if (first < last) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
  (void)block;
  (void)size;
#endif
}

std::unique_ptr<uint8_t[]> NewLargeBlock(size_t size) {
  std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[size]);
  PreferLargePages(block.get(), size);
  return block;
}

}  // namespace belmo
