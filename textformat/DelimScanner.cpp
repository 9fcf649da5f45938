#include "textformat/DelimScanner.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace halvern {

void TDelimScanner::Configure(std::string_view Delimiter, bool SeparatorSet, std::string_view Quote,
                              std::string_view Open, std::string_view Close) {
  FDelim.assign(Delimiter);
  FSet = SeparatorSet;
  FQuote.assign(Quote);
  const bool Brackets = !Open.empty() && !Close.empty();
  FOpen.assign(Brackets ? Open : std::string_view());
  FClose.assign(Brackets ? Close : std::string_view());
  FNoDelimiter = FDelim.empty();

  std::memset(FClass, 0, sizeof FClass);
  if (!FDelim.empty()) {
    if (FSet) {
      for (char C : FDelim) FClass[static_cast<uint8_t>(C)] |= kDelim;
    } else {
      FClass[static_cast<uint8_t>(FDelim[0])] |= kDelim;
    }
  }
  if (!FQuote.empty()) FClass[static_cast<uint8_t>(FQuote[0])] |= kQuote;
  if (Brackets) {
    FClass[static_cast<uint8_t>(FOpen[0])] |= kOpen;
    FClass[static_cast<uint8_t>(FClose[0])] |= kClose;
  }
  FTriggerCount = 0;
  FSingleTrigger = -1;
  for (int C = 0; C < 256; ++C) {
    if (FClass[C] != 0) {
      if (FTriggerCount < 4) FTriggerWords[FTriggerCount] = 0x0101010101010101ull * static_cast<uint64_t>(C);
      ++FTriggerCount;
      FSingleTrigger = C;
    }
  }
  if (FTriggerCount != 1) FSingleTrigger = -1;

  FLookahead =
      std::max<size_t>({1, FSet ? 1 : FDelim.size(), 3 * FQuote.size(), FOpen.size(), FClose.size()});
  Reset();
}

const char* TDelimScanner::FindTrigger(const char* P, const char* End) const noexcept {
  if (FSingleTrigger >= 0) {
    return static_cast<const char*>(std::memchr(P, FSingleTrigger, static_cast<size_t>(End - P)));
  }
  if (std::endian::native == std::endian::little && FTriggerCount <= 4) {
    // Eight bytes per round: a word holds a trigger when one of its bytes equals a trigger byte.
    constexpr uint64_t Low = 0x0101010101010101ull, High = 0x8080808080808080ull;
    while (End - P >= 8) {
      uint64_t Word;
      std::memcpy(&Word, P, 8);
      uint64_t Hit = 0;
      for (int I = 0; I < FTriggerCount; ++I) {
        const uint64_t X = Word ^ FTriggerWords[I];
        Hit |= (X - Low) & ~X & High;
      }
      // The lowest flagged byte is a true hit: a false flag only ever sits above a true one.
      if (Hit != 0) return P + (std::countr_zero(Hit) >> 3);
      P += 8;
    }
  }
  // Four bytes per round: most of a record holds no trigger at all.
  while (End - P >= 4) {
    if (FClass[static_cast<uint8_t>(P[0])]) return P;
    if (FClass[static_cast<uint8_t>(P[1])]) return P + 1;
    if (FClass[static_cast<uint8_t>(P[2])]) return P + 2;
    if (FClass[static_cast<uint8_t>(P[3])]) return P + 3;
    P += 4;
  }
  for (; P < End; ++P) {
    if (FClass[static_cast<uint8_t>(*P)]) return P;
  }
  return nullptr;
}

const char* TDelimScanner::FindQuote(const char* P, const char* End) const noexcept {
  const size_t QL = FQuote.size();
  while (static_cast<size_t>(End - P) >= QL) {
    P = static_cast<const char*>(std::memchr(P, FQuote[0], static_cast<size_t>(End - P) - QL + 1));
    if (P == nullptr) return nullptr;
    if (std::memcmp(P, FQuote.data(), QL) == 0) return P;
    ++P;
  }
  return nullptr;
}

TDelimScanner::TResult TDelimScanner::Scan(const char* P, const char* End, bool Final) {
  // Without a delimiter nothing is ever found, whatever the quotes and brackets do.
  if (FNoDelimiter) return {End, false};
  const size_t QL = FQuote.size();
  while (P < End) {
    if (FInQuote) {
      const char* Q = FindQuote(P, End);
      if (Q == nullptr) {
        if (Final) return {End, false};
        // A quote may begin in the last QL - 1 bytes and end in bytes still to come.
        const char* Safe = End - std::min<ptrdiff_t>(End - P, static_cast<ptrdiff_t>(QL) - 1);
        return {Safe, false};
      }
      const bool Escapes = FTripledEscape && FDepth == 0;
      if (Escapes && !Final && static_cast<size_t>(End - Q) < 3 * QL) return {Q, false};
      if (Escapes && At(Q, QL, End, FQuote) && At(Q, 2 * QL, End, FQuote)) {
        P = Q + 3 * QL;  // a tripled quote inside quotes stands for one quote
        continue;
      }
      P = Q + QL;
      FInQuote = false;
      continue;
    }

    P = FindTrigger(P, End);
    if (P == nullptr) return {End, false};
    const size_t Rem = static_cast<size_t>(End - P);
    if (!Final && Rem < FLookahead) return {P, false};
    const uint8_t Class = FClass[static_cast<uint8_t>(*P)];

    if ((Class & kDelim) && FDepth == 0 && (FSet || At(P, 0, End, FDelim))) return {P, true};
    if (Class & kQuote) FSawQuote = true;
    if (Class & (kOpen | kClose)) FSawBracket = true;
    if ((Class & kQuote) && At(P, 0, End, FQuote)) {
      if (At(P, QL, End, FQuote) && At(P, 2 * QL, End, FQuote)) {
        P += 3 * QL;  // three quotes outside quotes: one literal quote, scanning stays outside
      } else {
        P += QL;
        FInQuote = true;
      }
      continue;
    }
    if ((Class & kOpen) && At(P, 0, End, FOpen)) {
      ++FDepth;
      P += FOpen.size();
      continue;
    }
    if ((Class & kClose) && At(P, 0, End, FClose)) {
      if (FDepth > 0) --FDepth;
      P += FClose.size();
      continue;
    }
    ++P;
  }
  return {End, false};
}

}  // namespace halvern
