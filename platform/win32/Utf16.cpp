// Through the system's own UTF-8 code page, so that a wide text converts as every Windows program
// converts it.
#include "platform/Utf16.h"

#include <windows.h>

#include <climits>

namespace halvern::platform {

std::u16string Utf8ToUtf16(std::string_view Utf8) {
  if (Utf8.empty() || Utf8.size() > static_cast<size_t>(INT_MAX)) return {};
  const int Len = static_cast<int>(Utf8.size());
  const int N = MultiByteToWideChar(CP_UTF8, 0, Utf8.data(), Len, nullptr, 0);
  if (N <= 0) return {};
  std::u16string Out(static_cast<size_t>(N), u'\0');
  MultiByteToWideChar(CP_UTF8, 0, Utf8.data(), Len, reinterpret_cast<wchar_t*>(Out.data()), N);
  return Out;
}

std::string Utf16ToUtf8(std::u16string_view Utf16) {
  if (Utf16.empty() || Utf16.size() > static_cast<size_t>(INT_MAX)) return {};
  const int Len = static_cast<int>(Utf16.size());
  const auto* W = reinterpret_cast<const wchar_t*>(Utf16.data());
  const int N = WideCharToMultiByte(CP_UTF8, 0, W, Len, nullptr, 0, nullptr, nullptr);
  if (N <= 0) return {};
  std::string Out(static_cast<size_t>(N), '\0');
  WideCharToMultiByte(CP_UTF8, 0, W, Len, Out.data(), N, nullptr, nullptr);
  return Out;
}

}  // namespace halvern::platform
