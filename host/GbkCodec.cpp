#include "host/GbkCodec.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/CodePage.h"

namespace halvern::host {
namespace {

// ToUtf8's packed bytes are stored with one four-byte copy, lowest first.
static_assert(std::endian::native == std::endian::little);

constexpr unsigned kLeadFirst = 0x81, kLeadLast = 0xFE, kTrailFirst = 0x40, kTrailLast = 0xFE;
constexpr unsigned kTrails = kTrailLast - kTrailFirst + 1;

bool IsTrail(unsigned T) {
  return T >= kTrailFirst && T <= kTrailLast && T != 0x7F;
}

// All double-byte codes, in the order of the tables' index.
std::string AllPairs() {
  std::string Pairs;
  for (unsigned L = kLeadFirst; L <= kLeadLast; ++L)
    for (unsigned T = kTrailFirst; T <= kTrailLast; ++T)
      if (IsTrail(T)) Pairs += {static_cast<char>(L), static_cast<char>(T)};
  return Pairs;
}

size_t IndexOf(uint8_t L, unsigned T) {
  return (L - kLeadFirst) * kTrails + (T - kTrailFirst);
}

// GBK -> UTF-16, by (lead - 0x81) * kTrails + (trail - 0x40); 0 when not covered. ToUtf8 holds the
// same characters as UTF-8: the bytes from the lowest, the length in the top byte.
struct TForward {
  std::vector<char16_t> ToWide;
  std::vector<uint32_t> ToUtf8;

  TForward() : ToWide((kLeadLast - kLeadFirst + 1) * kTrails, 0), ToUtf8(ToWide.size(), 0) {
    // Every code in one conversion: each converts to exactly one UTF-16 unit (an unmapped one to a
    // replacement), so the result lines up with the codes.
    const std::string Pairs = AllPairs();
    const std::u16string Wide = platform::AnsiToWide(Pairs);
    if (Wide.size() * 2 != Pairs.size()) return;  // no alignment: leave every code to the platform
    for (size_t I = 0; I < Wide.size(); ++I) {
      const char16_t W = Wide[I];
      if (W < 0x80 || W == 0xFFFD || (W >= 0xD800 && W <= 0xDFFF)) continue;
      const size_t At = IndexOf(static_cast<uint8_t>(Pairs[I * 2]), static_cast<uint8_t>(Pairs[I * 2 + 1]));
      ToWide[At] = W;
      ToUtf8[At] = W < 0x800 ? (0xC0u | W >> 6) | (0x80u | (W & 0x3F)) << 8 | 2u << 24
                             : (0xE0u | W >> 12) | (0x80u | ((W >> 6) & 0x3F)) << 8 |
                                   (0x80u | (W & 0x3F)) << 16 | 3u << 24;
    }
  }
};

// UTF-16 -> GBK (lead << 8 | trail), by code unit; 0 when not covered. Only codes that come back to
// themselves: a unit the platform maps to a look-alike (a best fit) stays with the platform.
struct TBackward {
  std::vector<uint16_t> ToGbk;

  explicit TBackward(const TForward& Forward) : ToGbk(0x10000, 0) {
    const std::string Pairs = AllPairs();
    std::u16string Lines;  // one unit per line
    for (size_t I = 0; I < Pairs.size(); I += 2)
      Lines += {Forward.ToWide[IndexOf(static_cast<uint8_t>(Pairs[I]), static_cast<uint8_t>(Pairs[I + 1]))],
                u'\n'};
    const std::string Back = platform::WideToAnsi(Lines);
    size_t At = 0;
    for (size_t I = 0; I < Pairs.size(); I += 2) {
      const size_t End = Back.find('\n', At);
      if (End == std::string::npos) return;
      const char16_t W = Lines[I];
      if (W != 0 && End - At == 2 && Back.compare(At, 2, Pairs, I, 2) == 0 && ToGbk[W] == 0)
        ToGbk[W] =
            static_cast<uint16_t>(static_cast<uint8_t>(Pairs[I]) << 8 | static_cast<uint8_t>(Pairs[I + 1]));
      At = End + 1;
    }
  }
};

// True when the 8 bytes at P are all ASCII.
bool AsciiWord(const uint8_t* P) {
  uint64_t Word;
  std::memcpy(&Word, P, 8);
  return (Word & 0x8080808080808080ull) == 0;
}

// Copies eight bytes from In to P and moves both past them when all eight are ASCII, which reads the
// same in both encodings; false (nothing moved) otherwise.
inline bool CopyAsciiWord(const uint8_t*& In, const uint8_t* End, char*& P) noexcept {
  if (End - In < 8 || !AsciiWord(In)) return false;
  std::memcpy(P, In, 8);
  P += 8;
  In += 8;
  return true;
}

const TForward& Forward() {
  static const TForward Instance;
  return Instance;
}

const TBackward& Backward() {
  static const TBackward Instance(Forward());
  return Instance;
}

}  // namespace

size_t GbkToUtf8Into(std::string_view Gbk, char* Out) {
  const TForward* T = nullptr;
  char* P = Out;
  const auto* In = reinterpret_cast<const uint8_t*>(Gbk.data());
  const auto* End = In + Gbk.size();
  while (In < End) {
    if (CopyAsciiWord(In, End, P)) continue;
    const uint8_t L = *In;
    if (L < 0x80) {
      *P++ = static_cast<char>(L);
      ++In;
      continue;
    }
    const unsigned Tr = In + 1 < End ? In[1] : 0;
    if (L < kLeadFirst || L > kLeadLast || !IsTrail(Tr)) return std::string_view::npos;
    if (T == nullptr) T = &Forward();
    const uint32_t U = T->ToUtf8[IndexOf(L, Tr)];
    if (U == 0) return std::string_view::npos;
    // Four bytes written, as many kept: the room holds the spare one.
    std::memcpy(P, &U, 4);
    P += U >> 24;
    In += 2;
  }
  return static_cast<size_t>(P - Out);
}

bool FastGbkToUtf8(std::string_view Gbk, std::string& Out) {
  const size_t Start = Out.size();
  Out.resize(Start + Utf8Room(Gbk.size()));
  const size_t N = GbkToUtf8Into(Gbk, Out.data() + Start);
  if (N == std::string_view::npos) return false;
  Out.resize(Start + N);
  return true;
}

bool FastUtf8ToGbk(std::string_view Utf8, std::string& Out) {
  const TBackward* T = nullptr;
  // GBK never takes more bytes than UTF-8 for the same text.
  const size_t Start = Out.size();
  Out.resize(Start + Utf8.size());
  char* P = Out.data() + Start;
  const auto* In = reinterpret_cast<const uint8_t*>(Utf8.data());
  const auto* End = In + Utf8.size();
  while (In < End) {
    if (CopyAsciiWord(In, End, P)) continue;
    const uint8_t B0 = *In;
    if (B0 < 0x80) {
      *P++ = static_cast<char>(B0);
      ++In;
      continue;
    }
    // Two- and three-byte sequences only: the tables hold the Basic Multilingual Plane.
    const unsigned B1 = In + 1 < End ? In[1] : 0;
    const unsigned B2 = In + 2 < End ? In[2] : 0;
    char32_t C = 0;
    if (B0 >= 0xC2 && B0 <= 0xDF && (B1 & 0xC0) == 0x80) {
      C = (B0 & 0x1Fu) << 6 | (B1 & 0x3F);
      In += 2;
    } else if (B0 >= 0xE0 && B0 <= 0xEF && (B1 & 0xC0) == 0x80 && (B2 & 0xC0) == 0x80) {
      C = (B0 & 0x0Fu) << 12 | (B1 & 0x3Fu) << 6 | (B2 & 0x3F);
      if (C < 0x800) return false;  // overlong
      In += 3;
    } else {
      return false;
    }
    if (T == nullptr) T = &Backward();
    const uint16_t G = T->ToGbk[C];
    if (G == 0) return false;
    *P++ = static_cast<char>(G >> 8);
    *P++ = static_cast<char>(G & 0xFF);
  }
  Out.resize(static_cast<size_t>(P - Out.data()));
  return true;
}

}  // namespace halvern::host
