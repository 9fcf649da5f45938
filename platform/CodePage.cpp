// The tables: GBK -> UTF-16 and UTF-8 by double-byte code, UTF-16 -> GBK by code unit, built once from
// the system's converter (platform/SystemCodePage.h). ASCII reads the same in GBK, UTF-16 and UTF-8 and
// needs no table. The UTF-16 -> GBK table holds only codes that come back to themselves, so a look-alike
// substitute (a best fit) never passes for the real character: the system converts those, and whatever
// else the tables do not cover, itself.
//
// The tables live in static storage that is never destroyed, so a conversion on another thread while the
// static objects are destroyed (at the library's unload or the process's end) still reads them intact.
// They are filled once, in a function-local static's initialisation, which every other thread waits for;
// after that they are only read.
#include "platform/CodePage.h"

#include <bit>
#include <cstring>

#include "platform/SystemCodePage.h"

namespace halvern::platform {
namespace {

// ToUtf8's packed bytes are stored with one four-byte copy, lowest first.
static_assert(std::endian::native == std::endian::little);

constexpr unsigned kLeadFirst = 0x81, kLeadLast = 0xFE, kTrailFirst = 0x40, kTrailLast = 0xFE;
constexpr size_t kTrails = kTrailLast - kTrailFirst + 1;
constexpr size_t kCodes = (kLeadLast - kLeadFirst + 1) * kTrails;

bool IsTrail(unsigned T) {
  return T >= kTrailFirst && T <= kTrailLast && T != 0x7F;
}

bool IsPair(unsigned L, unsigned T) {
  return L >= kLeadFirst && L <= kLeadLast && IsTrail(T);
}

size_t IndexOf(unsigned L, unsigned T) {
  return (L - kLeadFirst) * kTrails + (T - kTrailFirst);
}

struct TTables {
  bool Ready;               // false: the system's conversion did not line up; it converts everything
  char16_t ToWide[kCodes];  // by IndexOf; 0 when not covered
  uint32_t ToUtf8[kCodes];  // the same characters as UTF-8: the bytes from the lowest, the length on top
  uint16_t ToGbk[0x10000];  // lead << 8 | trail by UTF-16 unit; 0 when not covered
};
TTables GTables;

// All double-byte codes, in the order of the tables' index.
std::string AllPairs() {
  std::string Pairs;
  for (unsigned L = kLeadFirst; L <= kLeadLast; ++L)
    for (unsigned T = kTrailFirst; T <= kTrailLast; ++T)
      if (IsTrail(T)) Pairs += {static_cast<char>(L), static_cast<char>(T)};
  return Pairs;
}

uint32_t PackUtf8(char16_t W) {
  return W < 0x800
             ? (0xC0u | W >> 6) | (0x80u | (W & 0x3F)) << 8 | 2u << 24
             : (0xE0u | W >> 12) | (0x80u | ((W >> 6) & 0x3F)) << 8 | (0x80u | (W & 0x3F)) << 16 | 3u << 24;
}

void Build(TTables& T) {
  std::string Ascii(0x80, '\0');
  for (size_t C = 0; C < Ascii.size(); ++C) Ascii[C] = static_cast<char>(C);
  const std::u16string WideAscii(Ascii.begin(), Ascii.end());
  if (SystemAnsiToWide(Ascii) != WideAscii || SystemWideToAnsi(WideAscii) != Ascii ||
      SystemUtf8ToAnsi(Ascii) != Ascii)
    return;

  // Every code in one conversion: each converts to exactly one UTF-16 unit (an unmapped one to a
  // replacement), so the result lines up with the codes.
  const std::string Pairs = AllPairs();
  const std::u16string Wide = SystemAnsiToWide(Pairs);
  if (Wide.size() * 2 != Pairs.size()) return;
  std::u16string Lines;  // the characters found, one per line, to convert back
  for (size_t I = 0; I < Wide.size(); ++I) {
    const char16_t W = Wide[I];
    if (W < 0x80 || W == 0xFFFD || (W >= 0xD800 && W <= 0xDFFF)) continue;
    const size_t At = IndexOf(static_cast<uint8_t>(Pairs[I * 2]), static_cast<uint8_t>(Pairs[I * 2 + 1]));
    T.ToWide[At] = W;
    T.ToUtf8[At] = PackUtf8(W);
    Lines += {W, u'\n'};
  }
  T.Ready = true;

  // Back to GBK: a unit is kept only when it comes back as the code it came from.
  const std::string Back = SystemWideToAnsi(Lines);
  size_t At = 0;
  for (size_t I = 0; I < Pairs.size(); I += 2) {
    const size_t Code = IndexOf(static_cast<uint8_t>(Pairs[I]), static_cast<uint8_t>(Pairs[I + 1]));
    const char16_t W = T.ToWide[Code];
    if (W == 0) continue;
    const size_t End = Back.find('\n', At);
    if (End == std::string::npos) return;
    if (End - At == 2 && Back.compare(At, 2, Pairs, I, 2) == 0 && T.ToGbk[W] == 0)
      T.ToGbk[W] =
          static_cast<uint16_t>(static_cast<uint8_t>(Pairs[I]) << 8 | static_cast<uint8_t>(Pairs[I + 1]));
    At = End + 1;
  }
}

// The tables, built on first use; nullptr when they could not be built.
const TTables* Tables() {
  static const bool Built = (Build(GTables), true);
  return Built && GTables.Ready ? &GTables : nullptr;
}

// Copies eight bytes from In to P and moves both past them when all eight are ASCII, which reads the
// same in both encodings; false (nothing moved) otherwise.
inline bool CopyAsciiWord(const uint8_t*& In, const uint8_t* End, char*& P) noexcept {
  if (End - In < 8) return false;
  uint64_t Word;
  std::memcpy(&Word, In, 8);
  if ((Word & 0x8080808080808080ull) != 0) return false;
  std::memcpy(P, In, 8);
  P += 8;
  In += 8;
  return true;
}

// The table conversions: false when the text holds something the tables do not cover.
bool TableToWide(std::string_view Gbk, std::u16string& Out) {
  const TTables* T = nullptr;
  Out.resize(Gbk.size());  // never more units than bytes
  size_t N = 0;
  for (size_t I = 0; I < Gbk.size();) {
    const auto L = static_cast<uint8_t>(Gbk[I]);
    if (L < 0x80) {
      Out[N++] = L;
      ++I;
      continue;
    }
    const unsigned Tr = I + 1 < Gbk.size() ? static_cast<uint8_t>(Gbk[I + 1]) : 0;
    if (!IsPair(L, Tr) || (T == nullptr && (T = Tables()) == nullptr)) return false;
    const char16_t W = T->ToWide[IndexOf(L, Tr)];
    if (W == 0) return false;
    Out[N++] = W;
    I += 2;
  }
  Out.resize(N);
  return true;
}

bool TableToAnsi(std::u16string_view Wide, std::string& Out) {
  const TTables* T = nullptr;
  for (const char16_t W : Wide) {
    if (W < 0x80) {
      Out += static_cast<char>(W);
      continue;
    }
    if (T == nullptr && (T = Tables()) == nullptr) return false;
    const uint16_t G = T->ToGbk[W];
    if (G == 0) return false;
    Out += static_cast<char>(G >> 8);
    Out += static_cast<char>(G & 0xFF);
  }
  return true;
}

bool TableUtf8ToAnsi(std::string_view Utf8, std::string& Out) {
  const TTables* T = nullptr;
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
    if (T == nullptr && (T = Tables()) == nullptr) return false;
    const uint16_t G = T->ToGbk[C];
    if (G == 0) return false;
    *P++ = static_cast<char>(G >> 8);
    *P++ = static_cast<char>(G & 0xFF);
  }
  Out.resize(static_cast<size_t>(P - Out.data()));
  return true;
}

}  // namespace

size_t AnsiToUtf8Into(std::string_view Gbk, char* Out) {
  const TTables* T = nullptr;
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
    if (!IsPair(L, Tr) || (T == nullptr && (T = Tables()) == nullptr)) return std::string_view::npos;
    const uint32_t U = T->ToUtf8[IndexOf(L, Tr)];
    if (U == 0) return std::string_view::npos;
    // Four bytes written, as many kept: the room holds the spare one.
    std::memcpy(P, &U, 4);
    P += U >> 24;
    In += 2;
  }
  return static_cast<size_t>(P - Out);
}

std::u16string AnsiToWide(std::string_view Gbk) {
  std::u16string Out;
  if (TableToWide(Gbk, Out)) return Out;
  return SystemAnsiToWide(Gbk);
}

std::string WideToAnsi(std::u16string_view Wide) {
  std::string Out;
  Out.reserve(Wide.size() * 2);
  if (TableToAnsi(Wide, Out)) return Out;
  return SystemWideToAnsi(Wide);
}

std::string AnsiToUtf8(std::string_view Gbk) {
  std::string Out(Utf8Room(Gbk.size()), '\0');
  const size_t N = AnsiToUtf8Into(Gbk, Out.data());
  if (N == std::string_view::npos) return SystemAnsiToUtf8(Gbk);
  Out.resize(N);
  return Out;
}

std::string Utf8ToAnsi(std::string_view Utf8) {
  std::string Out;
  if (TableUtf8ToAnsi(Utf8, Out)) return Out;
  return SystemUtf8ToAnsi(Utf8);
}

bool Utf8ToAnsiExact(std::string_view Utf8, std::string& Out) {
  const size_t Start = Out.size();
  if (TableUtf8ToAnsi(Utf8, Out)) return true;
  Out.resize(Start);
  const std::string Gbk = SystemUtf8ToAnsi(Utf8);
  if (SystemAnsiToUtf8(Gbk) != Utf8) return false;
  Out += Gbk;
  return true;
}

}  // namespace halvern::platform
