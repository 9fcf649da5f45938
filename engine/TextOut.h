// The one way every export hands a text to a host buffer: report the length, copy only when the
// capacity suffices, never a terminating zero, never a byte past the capacity. Stateless.
#pragma once

#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>

namespace halvern {

// Copies N bytes. A value handed to a host is a few bytes as a rule: up to 16 are copied in two
// overlapping moves without a call; longer ones by memcpy.
inline void CopyOut(void* To, const void* From, size_t N) noexcept {
  auto* D = static_cast<unsigned char*>(To);
  const auto* S = static_cast<const unsigned char*>(From);
  if (N > 16) {
    std::memcpy(D, S, N);
  } else if (N >= 8) {
    uint64_t Head, Tail;
    std::memcpy(&Head, S, 8);
    std::memcpy(&Tail, S + N - 8, 8);
    std::memcpy(D, &Head, 8);
    std::memcpy(D + N - 8, &Tail, 8);
  } else if (N >= 4) {
    uint32_t Head, Tail;
    std::memcpy(&Head, S, 4);
    std::memcpy(&Tail, S + N - 4, 4);
    std::memcpy(D, &Head, 4);
    std::memcpy(D + N - 4, &Tail, 4);
  } else if (N != 0) {
    // 1 to 3 bytes: the first, the middle and the last cover them all.
    const unsigned char First = S[0], Middle = S[N / 2], Last = S[N - 1];
    D[0] = First;
    D[N / 2] = Middle;
    D[N - 1] = Last;
  }
}

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
  CopyOut(Buffer, Text.data(), Text.size());
  return -1;
}

// UTF-16: the size is 2 bytes per unit.
inline int32_t WideTextOut(std::u16string_view Text, void* Buffer, int32_t* Size) noexcept {
  return TextOut(std::string_view(reinterpret_cast<const char*>(Text.data()), Text.size() * 2), Buffer, Size);
}

}  // namespace halvern
