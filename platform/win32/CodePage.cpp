// Code page 936 conversions through the system's converters, so the engine agrees byte for byte with
// what the host program sees. Unconvertible input becomes the system's default character.
#include "platform/CodePage.h"

#include <windows.h>

#include <climits>

namespace halvern::platform {
namespace {

constexpr UINT Gbk = 936;

std::u16string ToWide(UINT CodePage, std::string_view In) {
  if (In.empty() || In.size() > static_cast<size_t>(INT_MAX)) return {};
  const int Len = static_cast<int>(In.size());
  const int N = MultiByteToWideChar(CodePage, 0, In.data(), Len, nullptr, 0);
  if (N <= 0) return {};
  std::u16string Out(static_cast<size_t>(N), u'\0');
  MultiByteToWideChar(CodePage, 0, In.data(), Len, reinterpret_cast<wchar_t*>(Out.data()), N);
  return Out;
}

std::string FromWide(UINT CodePage, std::u16string_view In) {
  if (In.empty() || In.size() > static_cast<size_t>(INT_MAX)) return {};
  const int Len = static_cast<int>(In.size());
  const auto* W = reinterpret_cast<const wchar_t*>(In.data());
  const int N = WideCharToMultiByte(CodePage, 0, W, Len, nullptr, 0, nullptr, nullptr);
  if (N <= 0) return {};
  std::string Out(static_cast<size_t>(N), '\0');
  WideCharToMultiByte(CodePage, 0, W, Len, Out.data(), N, nullptr, nullptr);
  return Out;
}

}  // namespace

bool IsLeadByte(uint8_t B) noexcept {
  return IsDBCSLeadByteEx(Gbk, B) != FALSE;
}

std::u16string AnsiToWide(std::string_view Text) {
  return ToWide(Gbk, Text);
}

std::string WideToAnsi(std::u16string_view Wide) {
  return FromWide(Gbk, Wide);
}

std::string AnsiToUtf8(std::string_view Text) {
  return FromWide(CP_UTF8, ToWide(Gbk, Text));
}

std::string Utf8ToAnsi(std::string_view Utf8) {
  return FromWide(Gbk, ToWide(CP_UTF8, Utf8));
}

}  // namespace halvern::platform
