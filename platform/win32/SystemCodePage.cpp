// Code page 936 conversions through the system's converters, so the engine agrees byte for byte with
// what the host program sees. Unconvertible input becomes the system's default character.
#include "platform/SystemCodePage.h"

#include <windows.h>

#include <climits>

#include "platform/CodePage.h"
#include "platform/Utf16.h"

namespace halvern::platform {
namespace {

constexpr UINT Gbk = 936;

}  // namespace

bool IsLeadByte(uint8_t B) noexcept {
  return IsDBCSLeadByteEx(Gbk, B) != FALSE;
}

std::u16string SystemAnsiToWide(std::string_view Text) {
  if (Text.empty() || Text.size() > static_cast<size_t>(INT_MAX)) return {};
  const int Len = static_cast<int>(Text.size());
  const int N = MultiByteToWideChar(Gbk, 0, Text.data(), Len, nullptr, 0);
  if (N <= 0) return {};
  std::u16string Out(static_cast<size_t>(N), u'\0');
  MultiByteToWideChar(Gbk, 0, Text.data(), Len, reinterpret_cast<wchar_t*>(Out.data()), N);
  return Out;
}

std::string SystemWideToAnsi(std::u16string_view Wide) {
  if (Wide.empty() || Wide.size() > static_cast<size_t>(INT_MAX)) return {};
  const int Len = static_cast<int>(Wide.size());
  const auto* W = reinterpret_cast<const wchar_t*>(Wide.data());
  const int N = WideCharToMultiByte(Gbk, 0, W, Len, nullptr, 0, nullptr, nullptr);
  if (N <= 0) return {};
  std::string Out(static_cast<size_t>(N), '\0');
  WideCharToMultiByte(Gbk, 0, W, Len, Out.data(), N, nullptr, nullptr);
  return Out;
}

std::string SystemAnsiToUtf8(std::string_view Text) {
  return Utf16ToUtf8(SystemAnsiToWide(Text));
}

std::string SystemUtf8ToAnsi(std::string_view Utf8) {
  return SystemWideToAnsi(Utf8ToUtf16(Utf8));
}

}  // namespace halvern::platform
