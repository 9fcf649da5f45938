// Reads the Win32 environment block rather than the C runtime's copy, which misses values set with
// SetEnvironmentVariable after start-up.
#include "platform/Environment.h"

#include <windows.h>

#include "platform/CodePage.h"

namespace halvern::platform {

std::string GetEnv(const char* Name) {
  if (Name == nullptr) return {};
  const std::u16string WideName = AnsiToWide(Name);
  const auto* N = reinterpret_cast<const wchar_t*>(WideName.c_str());
  DWORD Size = GetEnvironmentVariableW(N, nullptr, 0);
  while (Size > 0) {
    std::u16string Value(Size, u'\0');
    const DWORD Len = GetEnvironmentVariableW(N, reinterpret_cast<wchar_t*>(Value.data()), Size);
    if (Len < Size) {
      Value.resize(Len);
      return WideToAnsi(Value);
    }
    Size = Len;  // the value grew between the two calls
  }
  return {};
}

}  // namespace halvern::platform
