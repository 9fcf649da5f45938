#include "platform/Memory.h"

#include <cstdlib>

namespace halvern::platform {

// The process heap already serves large blocks from their own reservations, and large pages need a
// privilege a host rarely holds: the C heap is used throughout.

void* AllocBlock(size_t Size) noexcept {
  return std::malloc(Size);
}

void* GrowBlock(void* Block, size_t, size_t NewSize) noexcept {
  return std::realloc(Block, NewSize);
}

void FreeBlock(void* Block, size_t) noexcept {
  std::free(Block);
}

}  // namespace halvern::platform
