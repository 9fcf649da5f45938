// Code page 936 conversions through iconv. glibc knows the code page as "CP936" (older builds only as
// "GBK"); both names are tried. Input that does not convert is replaced, never dropped silently and
// never allowed to end the conversion early.
//
// Opening a descriptor loads the converter module (and closing one unloads it), which costs far more
// than a conversion and, done by many threads at once, races inside the dynamic loader. So each
// direction has one descriptor, opened at its first use and kept; a descriptor holds the conversion's
// state, so one conversion runs on it at a time, under its lock.
#include "platform/SystemCodePage.h"

#include <iconv.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <utility>

#include "platform/CodePage.h"
#include "platform/Utf16.h"

namespace halvern::platform {
namespace {

constexpr const char* Utf16Name = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

// One iconv descriptor and the lock its conversions take. A static object: it closes the descriptor at
// the library's unload or the process's end, unless a conversion holds the lock then (another thread
// still converting as the process ends), when the system reclaims it.
class TConverter {
 public:
  TConverter(const char* To, const char* From) {
    FCd = iconv_open(To, From);
    if (FCd == Invalid() && std::strcmp(From, "CP936") == 0) FCd = iconv_open(To, "GBK");
    if (FCd == Invalid() && std::strcmp(To, "CP936") == 0) FCd = iconv_open("GBK", From);
  }
  TConverter(const TConverter&) = delete;
  TConverter& operator=(const TConverter&) = delete;
  ~TConverter() {
    if (!FLock.try_lock()) return;
    if (FCd != Invalid()) iconv_close(std::exchange(FCd, Invalid()));
    FLock.unlock();
  }

  // Converts In. On an input sequence that does not convert, BadLength(rest) says how many input bytes
  // to skip and Replacement is appended in their place. Empty when the descriptor could not be opened.
  template <class TSkip>
  std::string Convert(std::string_view In, std::string_view Replacement, TSkip BadLength) {
    std::string Out;
    if (In.empty()) return Out;
    const std::lock_guard<std::mutex> Guard(FLock);
    if (FCd == Invalid()) return Out;
    iconv(FCd, nullptr, nullptr, nullptr, nullptr);  // the initial state, whatever the last call left
    Out.resize(In.size() * 4 + 16);
    char* Src = const_cast<char*>(In.data());
    size_t SrcLeft = In.size();
    size_t Used = 0;
    while (SrcLeft > 0) {
      char* Dst = Out.data() + Used;
      size_t DstLeft = Out.size() - Used;
      const size_t R = iconv(FCd, &Src, &SrcLeft, &Dst, &DstLeft);
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
      iconv(FCd, nullptr, nullptr, nullptr, nullptr);
    }
    Out.resize(Used);
    return Out;
  }

 private:
  static iconv_t Invalid() { return reinterpret_cast<iconv_t>(-1); }
  std::mutex FLock;
  iconv_t FCd;
};

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

std::u16string SystemAnsiToWide(std::string_view Gbk) {
  static TConverter Converter(Utf16Name, "CP936");
  const std::string Bytes = Converter.Convert(Gbk, ReplacementUtf16(), GbkBadLength);
  std::u16string Result(Bytes.size() / 2, u'\0');
  std::memcpy(Result.data(), Bytes.data(), Result.size() * 2);
  return Result;
}

std::string SystemWideToAnsi(std::u16string_view Wide) {
  static TConverter Converter("CP936", Utf16Name);
  const std::string_view Bytes(reinterpret_cast<const char*>(Wide.data()), Wide.size() * 2);
  return Converter.Convert(Bytes, "?", Utf16BadLength);
}

std::string SystemAnsiToUtf8(std::string_view Gbk) {
  // Through UTF-16: the same characters and the same replacements as a direct conversion would give.
  return Utf16ToUtf8(SystemAnsiToWide(Gbk));
}

std::string SystemUtf8ToAnsi(std::string_view Utf8) {
  static TConverter Converter("CP936", "UTF-8");
  return Converter.Convert(Utf8, "?", Utf8BadLength);
}

}  // namespace halvern::platform
