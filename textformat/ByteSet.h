// TByteSet: a few bytes (a writer's special bytes), for screening the values of a record for them.
//
// With SSE2 sixteen bytes are screened at once, so that a record of short values of varying length costs
// no loop whose exit the processor mispredicts. To keep that to a few operations the screen is exact only
// from '0' (0x30) up: below it (controls, space and the punctuation before the digits, none of them part
// of a GBK character) it may also report bytes that are not in the set, all those up to the highest set
// one as a rule. So a screen that finds nothing is always right, and one that finds something sends the
// caller to its exact path. A set with more than kExactBytes bytes from '0' up, or a build without SSE2,
// looks every byte up in a table, which is exact. Not thread-safe to change; safe to read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#define HALVERN_BYTESET_SSE2 1
#endif

namespace halvern {

class TByteSet {
 public:
  // How far a screen may read past the bytes it screens.
  static constexpr size_t kSlack = 16;
  // Bytes below this are screened as a range.
  static constexpr uint8_t kRangeEnd = 0x30;
  // The most bytes from kRangeEnd up screened sixteen at a time.
  static constexpr int kExactBytes = 2;

  TByteSet() noexcept { Clear(); }

  void Clear() noexcept;
  void Add(uint8_t C) noexcept;
  bool Has(uint8_t C) const noexcept { return FTable[C]; }
  // Exact.
  bool AnyIn(std::string_view S) const noexcept {
    for (char C : S) {
      if (FTable[static_cast<uint8_t>(C)]) return true;
    }
    return false;
  }

  class TScreen;
  // The set ready for screening, to be made once for a run of screens.
  inline TScreen Screen() const noexcept;

 private:
  bool FTable[256];
  bool FVector = false;  // at most kExactBytes bytes from kRangeEnd up: the vector screen answers
  int FExactCount = 0;   // bytes from kRangeEnd up
  // What the screen compares, each byte repeated across a block: first one past the highest set byte
  // below kRangeEnd (0 for none), then the set bytes from kRangeEnd up. Unused rows repeat the first of
  // those, or hold 0 (below the range, where a screen may err) when there is none, so that every row can
  // be compared without counting.
  uint8_t FRows[1 + kExactBytes][kSlack] = {};
};

class TByteSet::TScreen {
 public:
  explicit TScreen(const TByteSet& Set) noexcept : FTable(Set.FTable) {
#if HALVERN_BYTESET_SSE2
    FVector = Set.FVector;
    FRangeEnd = Load(Set.FRows[0]);
    for (int I = 0; I < kExactBytes; ++I) FExact[I] = Load(Set.FRows[I + 1]);
#endif
  }

  // Whether any of the N bytes at From may be in the set (see the file comment: false is always right).
  // Reads whole blocks of kSlack bytes: up to kSlack - 1 bytes past From + N must be readable, whatever
  // they hold.
  bool MayHold(const char* From, size_t N) const noexcept {
#if HALVERN_BYTESET_SSE2
    if (FVector) {
      unsigned Hits = 0;
      for (; N >= kSlack; N -= kSlack, From += kSlack) Hits |= Block(From);
      if (N != 0) Hits |= Block(From) & ((1u << N) - 1);
      return Hits != 0;
    }
#endif
    for (const char* const End = From + N; From != End; ++From) {
      if (FTable[static_cast<uint8_t>(*From)]) return true;
    }
    return false;
  }

 private:
#if HALVERN_BYTESET_SSE2
  static __m128i Load(const void* From) noexcept {
    return _mm_loadu_si128(static_cast<const __m128i*>(From));
  }

  // A bit for each byte of the block that may be in the set.
  unsigned Block(const char* From) const noexcept {
    static_assert(kExactBytes == 2);
    const __m128i B = Load(From);
    // Saturating FRangeEnd - B is zero exactly where B lies at or above the range.
    const __m128i AboveRange = _mm_cmpeq_epi8(_mm_subs_epu8(FRangeEnd, B), _mm_setzero_si128());
    const __m128i Exact = _mm_or_si128(_mm_cmpeq_epi8(B, FExact[0]), _mm_cmpeq_epi8(B, FExact[1]));
    const __m128i Clean = _mm_andnot_si128(Exact, AboveRange);
    return ~static_cast<unsigned>(_mm_movemask_epi8(Clean)) & 0xFFFFu;
  }

  __m128i FRangeEnd;
  __m128i FExact[kExactBytes];
  bool FVector;
#endif
  const bool* FTable;
};

inline TByteSet::TScreen TByteSet::Screen() const noexcept {
  return TScreen(*this);
}

}  // namespace halvern
