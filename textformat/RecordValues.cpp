#include "textformat/RecordValues.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>

namespace halvern {

void TRecordValues::SetCountSlow(int32_t N) {
  const size_t Target = N > 0 ? static_cast<size_t>(N) : 0;
  if (Target > FSpans.size()) FSpans.resize(Target);
  for (size_t I = FCount; I < Target; ++I) FSpans[I] = TSpan{};
  FCount = Target;
}

void TRecordValues::SetSlow(int32_t Index, std::string_view Value) {
  if (Index < 0) IndexError(Index);
  if (static_cast<size_t>(Index) >= FCount) {
    SetCount(Index + 1);
    Set(Index, Value);  // now a value of the record
    return;
  }
  Reallocate(static_cast<size_t>(Index), Value);
}

void TRecordValues::Reallocate(size_t Index, std::string_view Value) {
  // The buffer is replaced below; a value taken from it is copied out first.
  std::string Copy;
  const auto Address = reinterpret_cast<uintptr_t>(Value.data());
  const auto Begin = reinterpret_cast<uintptr_t>(FBytes.get());
  if (FBytes && Address >= Begin && Address < Begin + FCapacity) {
    Copy.assign(Value);
    Value = Copy;
  }
  // Nothing changes until the new buffer is in hand, so that running out of memory leaves the record
  // as it was.
  size_t Live = 0;
  for (size_t I = 0; I < FCount; ++I) Live += I == Index ? 0 : FSpans[I].Length;
  const size_t N = Value.size();
  if (N > SIZE_MAX / 2 - kSlack - Live) throw std::bad_alloc();
  // Twice what the record holds: a record whose values keep growing, or keep being set again, then costs
  // amortised linear time. Zeroed, so that the slack read past a value holds defined bytes.
  const size_t Capacity = std::max<size_t>(256, 2 * (Live + N + kSlack));
  auto Bytes = std::make_unique<char[]>(Capacity);
  size_t Used = 0;
  for (size_t I = 0; I < FCount; ++I) {
    TSpan& Span = FSpans[I];
    if (Span.Length == 0 || I == Index) {
      Span = TSpan{};  // an empty value's start must not point past the new buffer
      continue;
    }
    std::memcpy(Bytes.get() + Used, FBytes.get() + Span.Start, Span.Length);
    Span.Start = Used;
    Used += Span.Length;
  }
  std::memcpy(Bytes.get() + Used, Value.data(), N);
  FSpans[Index] = TSpan{Used, N};
  FBytes = std::move(Bytes);
  FCapacity = Capacity;
  FLimit = Capacity - kSlack;
  FUsed = Used + N;
}

}  // namespace halvern
