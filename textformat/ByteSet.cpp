#include "textformat/ByteSet.h"

#include <algorithm>
#include <cstring>

namespace halvern {

void TByteSet::Clear() noexcept {
  std::fill(std::begin(FTable), std::end(FTable), false);
  std::fill(std::begin(FExact), std::end(FExact), uint8_t{0});
  FExactCount = 0;
  FRangeEnd = 0;
  FVector = true;
  UpdateRows();
}

void TByteSet::UpdateRows() noexcept {
  std::memset(FRows[0], FRangeEnd, kSlack);
  for (int I = 0; I < kExactBytes; ++I) std::memset(FRows[I + 1], FExact[I], kSlack);
}

void TByteSet::Add(uint8_t C) noexcept {
  if (FTable[C]) return;
  FTable[C] = true;
  if (C < kRangeEnd) {
    FRangeEnd = std::max<uint8_t>(FRangeEnd, static_cast<uint8_t>(C + 1));
    UpdateRows();
    return;
  }
  if (FExactCount < kExactBytes) {
    // C takes its slot and every unused one after it, until other bytes take theirs.
    std::fill(std::begin(FExact) + FExactCount, std::end(FExact), C);
  }
  ++FExactCount;
  FVector = FExactCount <= kExactBytes;
  UpdateRows();
}

}  // namespace halvern
