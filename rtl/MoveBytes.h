// MoveBytes: memmove for the few bytes a text value holds as a rule, without a call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace halvern {

// Moves N bytes from From to To; the two may overlap. Up to 16 bytes take two overlapping loads and two
// stores, every byte loaded before any is stored; longer runs go to memmove.
inline void MoveBytes(void* To, const void* From, size_t N) noexcept {
  auto* const D = static_cast<unsigned char*>(To);
  const auto* const S = static_cast<const unsigned char*>(From);
  if (N > 16) {
    std::memmove(D, S, N);
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

}  // namespace halvern
