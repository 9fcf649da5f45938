#include "platform/Memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace halvern::platform {
namespace {

// Below this a block lives on the C heap: mapping it would cost more than it saves.
constexpr size_t kMapped = size_t{1} << 20;

bool IsMapped(size_t Size) noexcept {
  return Size >= kMapped;
}

size_t PageRound(size_t Size) noexcept {
  static const size_t Page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  return (Size + Page - 1) / Page * Page;
}

// Huge pages where the system offers them on request; a system without them just keeps small pages.
void Advise(void* Block, size_t Size) noexcept {
#ifdef MADV_HUGEPAGE
  (void)madvise(Block, PageRound(Size), MADV_HUGEPAGE);
#else
  (void)Block;
  (void)Size;
#endif
}

void* Map(size_t Size) noexcept {
  void* P = mmap(nullptr, PageRound(Size), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (P == MAP_FAILED) return nullptr;
  Advise(P, Size);
  return P;
}

}  // namespace

void* AllocBlock(size_t Size) noexcept {
  return IsMapped(Size) ? Map(Size) : std::malloc(Size);
}

void* GrowBlock(void* Block, size_t OldSize, size_t NewSize) noexcept {
  if (Block == nullptr) return AllocBlock(NewSize);
  if (!IsMapped(NewSize)) return std::realloc(Block, NewSize);
  if (IsMapped(OldSize)) {
#ifdef MREMAP_MAYMOVE
    void* P = mremap(Block, PageRound(OldSize), PageRound(NewSize), MREMAP_MAYMOVE);
    if (P == MAP_FAILED) return nullptr;
    Advise(P, NewSize);
    return P;
#endif
  }
  void* P = AllocBlock(NewSize);
  if (P == nullptr) return nullptr;
  std::memcpy(P, Block, OldSize);
  FreeBlock(Block, OldSize);
  return P;
}

void FreeBlock(void* Block, size_t Size) noexcept {
  if (Block == nullptr) return;
  if (IsMapped(Size)) {
    (void)munmap(Block, PageRound(Size));
  } else {
    std::free(Block);
  }
}

}  // namespace halvern::platform
