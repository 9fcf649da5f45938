#include "platform/DebugOutput.h"

#include <windows.h>

#include <string>

#include "platform/Utf16.h"

namespace halvern::platform {

void WriteDebugLine(std::string_view Utf8Line) noexcept {
  try {
    // The debugger shows wide text as it is; narrow text would be read in the process's code page.
    std::u16string Wide = Utf8ToUtf16(Utf8Line);
    Wide += u'\n';
    ::OutputDebugStringW(reinterpret_cast<const wchar_t*>(Wide.c_str()));
  } catch (...) {
  }
}

uint32_t CurrentThreadNumber() noexcept {
  return static_cast<uint32_t>(::GetCurrentThreadId());
}

}  // namespace halvern::platform
