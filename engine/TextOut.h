// The one way every export hands a text to a host buffer: report the length, copy only when the
// capacity suffices, never a terminating zero, never a byte past the capacity. Stateless.
#pragma once

#include <cstdint>
#include <limits>
#include <string_view>

#include "rtl/MoveBytes.h"

namespace halvern {

// Bytes: -1 when copied, 0 when only the length was reported (null Buffer or too small a capacity).
// A null Size gives 0 and writes nothing. A text longer than an int32_t can describe is never copied.
inline int32_t TextOut(std::string_view Text, void* Buffer, int32_t* Size) noexcept {
  if (!Size) return 0;
  if (Text.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
    *Size = std::numeric_limits<int32_t>::max();
    return 0;
  }
  const int32_t Length = static_cast<int32_t>(Text.size());
  const bool Fits = Buffer && *Size >= Length;
  *Size = Length;
  if (!Fits) return 0;
  // A value is a few bytes as a rule: copied without a call.
  MoveBytes(Buffer, Text.data(), Text.size());
  return -1;
}

// UTF-16: the size is 2 bytes per unit.
inline int32_t WideTextOut(std::u16string_view Text, void* Buffer, int32_t* Size) noexcept {
  return TextOut(std::string_view(reinterpret_cast<const char*>(Text.data()), Text.size() * 2), Buffer, Size);
}

}  // namespace halvern
