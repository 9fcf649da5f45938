// Code page 936 conversions through iconv. glibc knows the code page as "CP936" (older builds only as
// "GBK"); both names are tried. Input that does not convert is replaced, never dropped silently and
// never allowed to end the conversion early.
#include "platform/CodePage.h"

#include <iconv.h>

#include <bit>
#include <cerrno>
#include <cstring>

namespace halvern::platform {
namespace {

constexpr const char* Utf16Name = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

// Owns one iconv descriptor.
class TIconv {
 public:
  TIconv(const char* To, const char* From) {
    FCd = iconv_open(To, From);
    if (FCd == Invalid() && std::strcmp(From, "CP936") == 0) FCd = iconv_open(To, "GBK");
    if (FCd == Invalid() && std::strcmp(To, "CP936") == 0) FCd = iconv_open("GBK", From);
  }
  TIconv(const TIconv&) = delete;
  TIconv& operator=(const TIconv&) = delete;
  ~TIconv() {
    if (FCd != Invalid()) iconv_close(FCd);
  }
  bool Ok() const { return FCd != Invalid(); }
  iconv_t Get() const { return FCd; }

 private:
  static iconv_t Invalid() { return reinterpret_cast<iconv_t>(-1); }
  iconv_t FCd;
};

// Converts In from From to To. On an input sequence that does not convert, BadLength(rest) says how
// many input bytes to skip and Replacement is appended in their place.
template <class TSkip>
std::string Convert(const char* To, const char* From, std::string_view In, std::string_view Replacement,
                    TSkip BadLength) {
  std::string Out;
  if (In.empty()) return Out;
  TIconv Cd(To, From);
  if (!Cd.Ok()) return Out;
  Out.resize(In.size() * 4 + 16);
  char* Src = const_cast<char*>(In.data());
  size_t SrcLeft = In.size();
  size_t Used = 0;
  while (SrcLeft > 0) {
    char* Dst = Out.data() + Used;
    size_t DstLeft = Out.size() - Used;
    const size_t R = iconv(Cd.Get(), &Src, &SrcLeft, &Dst, &DstLeft);
    Used = static_cast<size_t>(Dst - Out.data());
    if (R != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      Out.resize(Out.size() * 2);
      continue;
    }
    // EILSEQ or EINVAL (a sequence cut off at the end): replace it and go on after it.
    size_t Skip = BadLength(std::string_view(Src, SrcLeft));
    if (Skip == 0 || Skip > SrcLeft) Skip = SrcLeft < 1 ? SrcLeft : 1;
    Src += Skip;
    SrcLeft -= Skip;
    if (Out.size() - Used < Replacement.size()) Out.resize(Out.size() * 2 + Replacement.size());
    std::memcpy(Out.data() + Used, Replacement.data(), Replacement.size());
    Used += Replacement.size();
    iconv(Cd.Get(), nullptr, nullptr, nullptr, nullptr);
  }
  Out.resize(Used);
  return Out;
}

// A GBK lead byte followed by a byte in the trail range is one character even when unmapped, so its
// trail byte is never reread as a character of its own.
size_t GbkBadLength(std::string_view Rest) {
  if (Rest.size() >= 2 && IsLeadByte(static_cast<uint8_t>(Rest[0]))) {
    const auto T = static_cast<uint8_t>(Rest[1]);
    if (T >= 0x40 && T <= 0xFE && T != 0x7F) return 2;
  }
  return 1;
}

size_t Utf16BadLength(std::string_view) {
  return 2;
}

size_t Utf8BadLength(std::string_view) {
  return 1;
}

std::string ReplacementUtf16() {
  const char16_t R = u'\xFFFD';
  return std::string(reinterpret_cast<const char*>(&R), sizeof R);
}

}  // namespace

bool IsLeadByte(uint8_t B) noexcept {
  return B >= 0x81 && B <= 0xFE;
}

std::u16string AnsiToWide(std::string_view Gbk) {
  const std::string Bytes = Convert(Utf16Name, "CP936", Gbk, ReplacementUtf16(), GbkBadLength);
  std::u16string Result(Bytes.size() / 2, u'\0');
  std::memcpy(Result.data(), Bytes.data(), Result.size() * 2);
  return Result;
}

std::string WideToAnsi(std::u16string_view Wide) {
  const std::string_view Bytes(reinterpret_cast<const char*>(Wide.data()), Wide.size() * 2);
  return Convert("CP936", Utf16Name, Bytes, "?", Utf16BadLength);
}

std::string AnsiToUtf8(std::string_view Gbk) {
  return Convert("UTF-8", "CP936", Gbk, "\xEF\xBF\xBD", GbkBadLength);
}

std::string Utf8ToAnsi(std::string_view Utf8) {
  return Convert("CP936", "UTF-8", Utf8, "?", Utf8BadLength);
}

}  // namespace halvern::platform
