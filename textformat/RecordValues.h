// TRecordValues: the values of the record a text writer is building, their bytes kept one after another
// in a single buffer rather than in a string each.
//
// Setting a value copies its bytes behind those already held, or over its own old bytes when they are
// the last ones, so building record after record allocates nothing once the buffer has warmed up, and a
// record's values lie together for the writer to copy out. A value set again elsewhere leaves its old
// bytes behind until the record is cleared or the buffer, when full, is compacted.
//
// Every value may be read in blocks of kSlack bytes: the buffer keeps that much readable space after its
// last byte. Values are GBK bytes, held as given. A negative index raises EStringListError, as a list of
// strings does. Not thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "rtl/MoveBytes.h"
#include "rtl/StringList.h"

namespace halvern {

class TRecordValues {
 public:
  static constexpr size_t kSlack = 16;

  // Where a value lies in the buffer.
  struct TSpan {
    size_t Start = 0;
    size_t Length = 0;
  };

  int32_t Count() const noexcept { return static_cast<int32_t>(FCount); }
  // Empties the record; the buffer stays for the next one.
  void Clear() noexcept {
    FCount = 0;
    FUsed = 0;
  }
  // Makes the record exactly N values long (N < 0 as 0): drops values from the end, or appends empty ones.
  void SetCount(int32_t N) {
    if (N > 0 && static_cast<size_t>(N) <= FSpans.size()) {
      // Set up once per record: the usual case must not cost a call.
      for (size_t I = FCount; I < static_cast<size_t>(N); ++I) FSpans[I] = TSpan{};
      FCount = static_cast<size_t>(N);
    } else {
      SetCountSlow(N);
    }
  }

  // Stores Value (which may lie in this record) as value Index, growing the record to Index + 1 values
  // when needed. Raises std::bad_alloc.
  void Set(int32_t Index, std::string_view Value) {
    if (!TrySet(Index, Value)) SetSlow(Index, Value);
  }
  // Set for a value of the record that fits behind the others, the case for every value of an export,
  // kept to a few instructions and no call; false, with nothing changed, for any other.
  bool TrySet(int32_t Index, std::string_view Value) noexcept {
    // A negative index fails the first test as a large one.
    if (static_cast<size_t>(static_cast<uint32_t>(Index)) >= FCount) return false;
    TSpan& Span = FSpans[static_cast<size_t>(Index)];
    const size_t N = Value.size();
    // The value's own bytes, when they are the last ones, are written over instead of left behind.
    const size_t At = Span.Length != 0 && Span.Start + Span.Length == FUsed ? Span.Start : FUsed;
    if (N > FLimit - At) return false;
    MoveBytes(FBytes.get() + At, Value.data(), N);
    Span = TSpan{At, N};
    FUsed = At + N;
    return true;
  }

  // Value Index, valid until the record changes; an index outside [0, Count) raises EStringListError.
  std::string_view Get(int32_t Index) const {
    if (Index < 0 || static_cast<size_t>(Index) >= FCount) IndexError(Index);
    return View(static_cast<size_t>(Index));
  }
  // The same without the check, for an index known to be inside. A value that is not empty is followed
  // by at least kSlack readable bytes.
  const char* Data(size_t Index) const noexcept { return FBytes.get() + FSpans[Index].Start; }
  size_t Length(size_t Index) const noexcept { return FSpans[Index].Length; }
  std::string_view View(size_t Index) const noexcept { return {Data(Index), Length(Index)}; }
  // The record's Count() spans, and the buffer they lie in, for a loop over a whole record.
  const TSpan* Spans() const noexcept { return FSpans.data(); }
  const char* Bytes() const noexcept { return FBytes.get(); }
  // The bytes of the buffer in use: every value lies within them, with what values set again left
  // behind. They too are followed by kSlack readable bytes.
  size_t Used() const noexcept { return FUsed; }

 private:
  [[noreturn]] static void IndexError(int32_t Index) { TStringList::IndexError(Index); }
  void SetCountSlow(int32_t N);
  // Set for a negative index or one past the record, or a value that does not fit behind the others.
  [[gnu::noinline]] void SetSlow(int32_t Index, std::string_view Value);
  // Makes room for Value by compacting the buffer or growing it, and stores it as value Index.
  void Reallocate(size_t Index, std::string_view Value);

  std::vector<TSpan> FSpans;  // the first FCount are the record; the rest wait for reuse
  size_t FCount = 0;
  std::unique_ptr<char[]> FBytes;
  size_t FUsed = 0;      // bytes in use, the values' and those left behind by values set again
  size_t FCapacity = 0;  // bytes allocated
  size_t FLimit = 0;     // FCapacity - kSlack once anything is allocated, else 0; FUsed <= FLimit
};

}  // namespace halvern
