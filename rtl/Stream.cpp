#include "rtl/Stream.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <typeinfo>

#include "platform/Memory.h"
#include "rtl/Exceptions.h"

namespace halvern {

int64_t TStream::GetSize() {
  const int64_t Pos = Seek(0, TSeekOrigin::Current);
  const int64_t Result = Seek(0, TSeekOrigin::End);
  Seek(Pos, TSeekOrigin::Beginning);
  return Result;
}

void TStream::ReadBuffer(void* Buffer, int32_t Count) {
  if (Count != 0 && Read(Buffer, Count) != Count) throw EReadError(SReadError);
}

void TStream::WriteBuffer(const void* Buffer, int32_t Count) {
  if (Count != 0 && Write(Buffer, Count) != Count) throw EWriteError(SWriteError);
}

int64_t TStream::CopyFrom(TStream& Source, int64_t Count) {
  if (Count == 0) {
    // A source that fails to go back to its start would be copied from wherever it stands.
    if (Source.Seek(0, TSeekOrigin::Beginning) != 0) throw EReadError(SReadError);
    Count = Source.GetSize();
  }
  const int64_t Result = Count;
  const int32_t BufSize = static_cast<int32_t>(std::min<int64_t>(Count, MaxBufSize));
  if (BufSize <= 0) return Result < 0 ? 0 : Result;
  PrepareWrite(Count);
  // A memory stream on either side lends its storage, which saves the copy through a chunk buffer: a
  // whole device file passes through here. The chunks stay the same size, as does every call the other
  // stream sees.
  auto* const Target =
      &Source != this && TMemoryStream::IsPlain(*this) ? static_cast<TMemoryStream*>(this) : nullptr;
  auto* const Memory =
      &Source != this && TMemoryStream::IsPlain(Source) ? static_cast<TMemoryStream*>(&Source) : nullptr;
  std::unique_ptr<char[]> Buffer;
  while (Count != 0) {
    const int32_t N = static_cast<int32_t>(std::min<int64_t>(Count, BufSize));
    if (char* const Room = Target != nullptr ? Target->Room(N) : nullptr) {
      Source.ReadBuffer(Room, N);
      Target->Commit(N);
    } else if (Memory != nullptr && Memory->Position() >= 0 && Memory->GetSize() - Memory->Position() >= N) {
      WriteBuffer(Memory->Data() + Memory->Position(), N);
      Memory->Seek(N, TSeekOrigin::Current);
    } else {
      if (!Buffer) Buffer.reset(new char[static_cast<size_t>(BufSize)]);
      Source.ReadBuffer(Buffer.get(), N);
      WriteBuffer(Buffer.get(), N);
    }
    Count -= N;
  }
  return Result;
}

int32_t TMemoryStream::Read(void* Buffer, int32_t Count) {
  if (Count <= 0 || FPosition < 0 || FPosition >= FSize) return 0;
  const int64_t N = std::min<int64_t>(Count, FSize - FPosition);
  std::memcpy(Buffer, FData.Get() + FPosition, static_cast<size_t>(N));
  FPosition += N;
  return static_cast<int32_t>(N);
}

void TMemoryStream::Reserve(int64_t NewCapacity) {
  if (NewCapacity <= FData.Capacity()) return;
  // A size the address space cannot hold must not be cut down to one it can (32-bit builds).
  if (static_cast<uint64_t>(NewCapacity) > static_cast<uint64_t>(PTRDIFF_MAX)) throw std::bad_alloc();
  FData.Grow(NewCapacity);
}

void TMemoryStream::TBlock::Grow(int64_t NewCapacity) {
  void* Bigger = platform::GrowBlock(FData, static_cast<size_t>(FCapacity), static_cast<size_t>(NewCapacity));
  if (Bigger == nullptr) throw std::bad_alloc();
  FData = static_cast<char*>(Bigger);
  FCapacity = NewCapacity;
}

void TMemoryStream::TBlock::Reset() noexcept {
  platform::FreeBlock(FData, static_cast<size_t>(FCapacity));
  FData = nullptr;
  FCapacity = 0;
}

bool TMemoryStream::IsPlain(const TStream& S) noexcept {
  return typeid(S) == typeid(TMemoryStream);
}

char* TMemoryStream::MakeRoom(int64_t Count) {
  const int64_t End = FPosition + Count;
  // Grow geometrically so that a file built record by record costs amortised linear time.
  if (End > FData.Capacity()) Reserve(std::max<int64_t>({End, FData.Capacity() * 2, 256}));
  if (FPosition > FSize) {
    // The gap becomes data with the bytes after it; until then it lies beyond the size, unseen.
    std::memset(FData.Get() + FSize, 0, static_cast<size_t>(FPosition - FSize));
  }
  return FData.Get() + FPosition;
}

int32_t TMemoryStream::Write(const void* Buffer, int32_t Count) {
  if (Count <= 0) return 0;
  char* const To = Room(Count);
  if (To == nullptr) return 0;
  std::memcpy(To, Buffer, static_cast<size_t>(Count));
  Commit(Count);
  return Count;
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  switch (Origin) {
    case TSeekOrigin::Beginning: FPosition = Offset; break;
    case TSeekOrigin::Current: FPosition += Offset; break;
    case TSeekOrigin::End: FPosition = FSize + Offset; break;
  }
  return FPosition;
}

void TMemoryStream::PrepareWrite(int64_t Count) {
  if (Count <= 0 || FPosition < 0) return;
  try {
    Reserve(FPosition + Count);
  } catch (const std::bad_alloc&) {
    // Only a hint: a size the source cannot back grows chunk by chunk, and fails where the data ends.
  }
}

void TMemoryStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) NewSize = 0;
  Reserve(NewSize);
  if (NewSize > FSize) std::memset(FData.Get() + FSize, 0, static_cast<size_t>(NewSize - FSize));
  FSize = NewSize;
  if (FPosition > FSize) FPosition = FSize;
}

void TMemoryStream::Clear() {
  FData.Reset();
  FSize = 0;
  FPosition = 0;
}

}  // namespace halvern
