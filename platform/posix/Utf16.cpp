// Written out here: the encodings are fixed, and no system converter is needed for them. A broken UTF-8
// sequence becomes one U+FFFD for its longest valid beginning (at least its first byte), as Unicode
// recommends.
#include "platform/Utf16.h"

#include <cstdint>

namespace halvern::platform {
namespace {

constexpr char16_t kReplacement = u'\xFFFD';

bool IsContinuation(uint8_t B) {
  return (B & 0xC0) == 0x80;
}

void AppendUtf8(std::string& Out, char32_t C) {
  if (C < 0x80) {
    Out += static_cast<char>(C);
  } else if (C < 0x800) {
    Out += static_cast<char>(0xC0 | C >> 6);
    Out += static_cast<char>(0x80 | (C & 0x3F));
  } else if (C < 0x10000) {
    Out += static_cast<char>(0xE0 | C >> 12);
    Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  } else {
    Out += static_cast<char>(0xF0 | C >> 18);
    Out += static_cast<char>(0x80 | ((C >> 12) & 0x3F));
    Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  }
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view Utf8) {
  std::u16string Out;
  Out.reserve(Utf8.size());
  const auto* P = reinterpret_cast<const uint8_t*>(Utf8.data());
  const auto* const End = P + Utf8.size();
  while (P < End) {
    const uint8_t B = *P;
    if (B < 0x80) {
      Out += static_cast<char16_t>(B);
      ++P;
      continue;
    }
    // The sequence's length and the range its second byte must lie in (which rules out overlong forms,
    // surrogates and code points above U+10FFFF).
    size_t Length = 0;
    uint8_t Low = 0x80, High = 0xBF;
    if (B >= 0xC2 && B <= 0xDF) {
      Length = 2;
    } else if (B >= 0xE0 && B <= 0xEF) {
      Length = 3;
      if (B == 0xE0) Low = 0xA0;
      if (B == 0xED) High = 0x9F;
    } else if (B >= 0xF0 && B <= 0xF4) {
      Length = 4;
      if (B == 0xF0) Low = 0x90;
      if (B == 0xF4) High = 0x8F;
    }
    size_t Valid = Length == 0 ? 0 : 1;
    if (Valid == 1 && P + 1 < End && P[1] >= Low && P[1] <= High) {
      ++Valid;
      while (Valid < Length && P + Valid < End && IsContinuation(P[Valid])) ++Valid;
    }
    if (Length == 0 || Valid < Length) {
      Out += kReplacement;
      P += Valid > 0 ? Valid : 1;
      continue;
    }
    char32_t C = B & (0x7F >> Length);
    for (size_t I = 1; I < Length; ++I) C = C << 6 | (P[I] & 0x3F);
    if (C < 0x10000) {
      Out += static_cast<char16_t>(C);
    } else {
      Out += static_cast<char16_t>(0xD800 + ((C - 0x10000) >> 10));
      Out += static_cast<char16_t>(0xDC00 + ((C - 0x10000) & 0x3FF));
    }
    P += Length;
  }
  return Out;
}

std::string Utf16ToUtf8(std::u16string_view Utf16) {
  std::string Out;
  Out.reserve(Utf16.size() * 3);
  for (size_t I = 0; I < Utf16.size(); ++I) {
    const char16_t W = Utf16[I];
    if (W >= 0xD800 && W <= 0xDBFF && I + 1 < Utf16.size() && Utf16[I + 1] >= 0xDC00 &&
        Utf16[I + 1] <= 0xDFFF) {
      AppendUtf8(Out, 0x10000 + ((static_cast<char32_t>(W) - 0xD800) << 10) + (Utf16[I + 1] - 0xDC00));
      ++I;
    } else {
      AppendUtf8(Out, W >= 0xD800 && W <= 0xDFFF ? kReplacement : W);
    }
  }
  return Out;
}

}  // namespace halvern::platform
