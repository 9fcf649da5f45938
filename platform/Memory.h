// Storage for buffers that may hold a whole device file (tens of megabytes).
//
// Small blocks come from the C heap. Large ones come straight from the system where that pays: on Linux
// they are mapped and advised to use huge pages, so that filling a 40 MB file touches a few dozen pages
// instead of ten thousand, and growing one remaps its pages instead of copying them. Size is the
// capacity the caller keeps; every call about a block passes the size it was last given.
#pragma once

#include <cstddef>

namespace halvern::platform {

// A block of at least Size bytes (Size > 0), contents undefined; null when there is no memory.
void* AllocBlock(size_t Size) noexcept;
// Block (of OldSize bytes, or null with OldSize 0) grown to NewSize > OldSize bytes, keeping its first
// OldSize bytes; null when there is no memory, Block then being unchanged.
void* GrowBlock(void* Block, size_t OldSize, size_t NewSize) noexcept;
// Gives Block (null allowed) back.
void FreeBlock(void* Block, size_t Size) noexcept;

}  // namespace halvern::platform
