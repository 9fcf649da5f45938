#include "textformat/ByteSet.h"

#include <algorithm>
#include <cstring>

namespace halvern {

void TByteSet::Clear() noexcept {
  std::fill(std::begin(FTable), std::end(FTable), false);
  std::memset(FRows, 0, sizeof FRows);
  FExactCount = 0;
  FVector = true;
}

void TByteSet::Add(uint8_t C) noexcept {
  if (FTable[C]) return;
  FTable[C] = true;
  if (C < kRangeEnd) {
    // The range row holds one past the highest byte below kRangeEnd.
    if (C >= FRows[0][0]) std::memset(FRows[0], C + 1, kSlack);
    return;
  }
  // C takes its row and every unused one after it, until other bytes take theirs.
  for (int I = FExactCount; I < kExactBytes; ++I) std::memset(FRows[I + 1], C, kSlack);
  ++FExactCount;
  FVector = FExactCount <= kExactBytes;
}

}  // namespace halvern
