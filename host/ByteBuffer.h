// A growing byte buffer for text that may reach the size of a whole device file. Its storage comes from
// the platform's large blocks (huge pages where the system has them, growth by remapping rather than
// copying), so building tens of megabytes costs few page faults. Move-only; one thread at a time.
#pragma once

#include <cstddef>
#include <cstring>
#include <new>
#include <string_view>

#include "platform/Memory.h"

namespace halvern::host {

class TByteBuffer {
 public:
  TByteBuffer() = default;
  ~TByteBuffer() { platform::FreeBlock(FData, FCapacity); }
  TByteBuffer(const TByteBuffer&) = delete;
  TByteBuffer& operator=(const TByteBuffer&) = delete;

  const char* Data() const noexcept { return FData; }
  size_t Size() const noexcept { return FSize; }
  std::string_view View() const noexcept { return {FData, FSize}; }

  // Room for at least Count more bytes after the end; the pointer to write them at.
  char* Reserve(size_t Count) {
    if (FCapacity - FSize < Count) Grow(Count);
    return FData + FSize;
  }
  // Takes Count bytes written at Reserve's pointer into the buffer.
  void Commit(size_t Count) noexcept { FSize += Count; }

  void Append(std::string_view Text) {
    if (Text.empty()) return;  // an empty view may carry no pointer at all
    std::memcpy(Reserve(Text.size()), Text.data(), Text.size());
    FSize += Text.size();
  }
  void Append(char C) {
    *Reserve(1) = C;
    ++FSize;
  }

 private:
  void Grow(size_t Count) {
    size_t Capacity = FCapacity < 64 * 1024 ? 64 * 1024 : FCapacity * 2;
    while (Capacity - FSize < Count) Capacity *= 2;
    void* Bigger = platform::GrowBlock(FData, FCapacity, Capacity);
    if (Bigger == nullptr) throw std::bad_alloc();
    FData = static_cast<char*>(Bigger);
    FCapacity = Capacity;
  }

  char* FData = nullptr;
  size_t FSize = 0, FCapacity = 0;
};

}  // namespace halvern::host
