#include "platform/DebugOutput.h"

#include <windows.h>

#include <string>

namespace halvern::platform {

void WriteDebugLine(std::string_view Utf8Line) noexcept {
  try {
    // The debugger shows wide text as it is; narrow text would be read in the process's code page.
    std::wstring Wide(Utf8Line.size() + 2, L'\0');
    const int N = ::MultiByteToWideChar(CP_UTF8, 0, Utf8Line.data(), static_cast<int>(Utf8Line.size()),
                                        Wide.data(), static_cast<int>(Wide.size()));
    Wide.resize(N > 0 ? static_cast<size_t>(N) : 0);
    Wide += L"\n";
    ::OutputDebugStringW(Wide.c_str());
  } catch (...) {
  }
}

uint32_t CurrentThreadNumber() noexcept {
  return static_cast<uint32_t>(::GetCurrentThreadId());
}

}  // namespace halvern::platform
