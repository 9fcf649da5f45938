// Case-insensitive comparison of GBK texts without a locale: ASCII letters fold as single bytes, and
// the double-byte letters that have case in code page 936 (full-width Latin, Greek, Cyrillic) fold as
// whole characters. A trail byte is never read as a letter of its own.
#include "platform/TextCompare.h"

#include <cstdint>

#include "platform/CodePage.h"

namespace halvern::platform {
namespace {

// The character starting at S[I], folded to lower case; Length is set to its byte count.
uint32_t FoldedChar(std::string_view S, size_t I, size_t& Length) {
  const auto B = static_cast<uint8_t>(S[I]);
  if (IsLeadByte(B) && I + 1 < S.size()) {
    Length = 2;
    auto T = static_cast<uint8_t>(S[I + 1]);
    // Upper and lower rows of each cased block in the GBK table.
    if (B == 0xA3 && T >= 0xC1 && T <= 0xDA)
      T += 0x20;  // full-width Latin
    else if (B == 0xA6 && T >= 0xA1 && T <= 0xB8)
      T += 0x20;  // Greek
    else if (B == 0xA7 && T >= 0xA1 && T <= 0xC1)
      T += 0x30;  // Cyrillic
    return (uint32_t{B} << 8) | T;
  }
  Length = 1;
  return (B >= 'A' && B <= 'Z') ? B + 0x20u : B;
}

}  // namespace

bool SameText(std::string_view A, std::string_view B) {
  size_t I = 0, J = 0;
  while (I < A.size() && J < B.size()) {
    size_t La = 0, Lb = 0;
    if (FoldedChar(A, I, La) != FoldedChar(B, J, Lb)) return false;
    I += La;
    J += Lb;
  }
  return I == A.size() && J == B.size();
}

}  // namespace halvern::platform
