#include "emulator/EmuText.h"

#include <cstdint>

namespace rapiemu {

char16_t FoldCase(char16_t C) noexcept {
  if (C >= u'A' && C <= u'Z') return C + 0x20;
  if (C >= 0xC0 && C <= 0xDE && C != 0xD7) return C + 0x20;     // Latin-1
  if (C >= 0x391 && C <= 0x3A9 && C != 0x3A2) return C + 0x20;  // Greek
  if (C >= 0x410 && C <= 0x42F) return C + 0x20;                // Cyrillic
  if (C >= 0x400 && C <= 0x40F) return C + 0x50;                // Cyrillic Ѐ..Џ
  if (C >= 0xFF21 && C <= 0xFF3A) return C + 0x20;              // full-width Latin
  return C;
}

bool SameNameNoCase(std::u16string_view A, std::u16string_view B) noexcept {
  if (A.size() != B.size()) return false;
  for (size_t I = 0; I < A.size(); ++I) {
    if (FoldCase(A[I]) != FoldCase(B[I])) return false;
  }
  return true;
}

std::u16string FoldName(std::u16string_view S) {
  std::u16string R(S);
  for (char16_t& C : R) C = FoldCase(C);
  return R;
}

std::string Utf16ToUtf8(std::u16string_view S) {
  std::string Out;
  for (size_t I = 0; I < S.size(); ++I) {
    uint32_t C = S[I];
    if (C >= 0xD800 && C <= 0xDBFF && I + 1 < S.size() && S[I + 1] >= 0xDC00 && S[I + 1] <= 0xDFFF) {
      C = 0x10000 + ((C - 0xD800) << 10) + (S[I + 1] - 0xDC00);
      ++I;
    } else if (C >= 0xD800 && C <= 0xDFFF) {
      C = 0xFFFD;
    }
    if (C < 0x80) {
      Out += static_cast<char>(C);
    } else if (C < 0x800) {
      Out += static_cast<char>(0xC0 | (C >> 6));
      Out += static_cast<char>(0x80 | (C & 0x3F));
    } else if (C < 0x10000) {
      Out += static_cast<char>(0xE0 | (C >> 12));
      Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
      Out += static_cast<char>(0x80 | (C & 0x3F));
    } else {
      Out += static_cast<char>(0xF0 | (C >> 18));
      Out += static_cast<char>(0x80 | ((C >> 12) & 0x3F));
      Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
      Out += static_cast<char>(0x80 | (C & 0x3F));
    }
  }
  return Out;
}

std::u16string Utf8ToUtf16(std::string_view S) {
  std::u16string Out;
  size_t I = 0;
  while (I < S.size()) {
    const auto B = static_cast<uint8_t>(S[I]);
    int Extra = B < 0x80 ? 0 : (B & 0xE0) == 0xC0 ? 1 : (B & 0xF0) == 0xE0 ? 2 : (B & 0xF8) == 0xF0 ? 3 : -1;
    uint32_t C = Extra == 0 ? B : Extra == 1 ? (B & 0x1F) : Extra == 2 ? (B & 0x0F) : (B & 0x07);
    bool Ok = Extra >= 0 && I + static_cast<size_t>(Extra) < S.size();
    for (int K = 1; Ok && K <= Extra; ++K) {
      const auto T = static_cast<uint8_t>(S[I + static_cast<size_t>(K)]);
      if ((T & 0xC0) != 0x80) Ok = false;
      C = (C << 6) | (T & 0x3F);
    }
    if (Ok && ((Extra == 1 && C < 0x80) || (Extra == 2 && C < 0x800) || (Extra == 3 && C < 0x10000) ||
               C > 0x10FFFF || (C >= 0xD800 && C <= 0xDFFF))) {
      Ok = false;
    }
    if (!Ok) {
      Out += u'\xFFFD';
      ++I;
      continue;
    }
    I += static_cast<size_t>(Extra) + 1;
    if (C >= 0x10000) {
      C -= 0x10000;
      Out += static_cast<char16_t>(0xD800 + (C >> 10));
      Out += static_cast<char16_t>(0xDC00 + (C & 0x3FF));
    } else {
      Out += static_cast<char16_t>(C);
    }
  }
  return Out;
}

}  // namespace rapiemu
