// The system message table's text for an error code, in the user's language, as GBK. The table ends
// its texts with a line break, which is dropped; the final period is part of the text and stays.
#include "platform/SysError.h"

#include <windows.h>

#include <cstdio>

#include "platform/CodePage.h"

namespace halvern::platform {

std::string SystemErrorText(uint32_t Code) {
  wchar_t* Buffer = nullptr;
  const DWORD Len = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      Code, 0, reinterpret_cast<wchar_t*>(&Buffer), 0, nullptr);
  std::u16string Text;
  if (Len > 0 && Buffer != nullptr) Text.assign(reinterpret_cast<const char16_t*>(Buffer), Len);
  if (Buffer != nullptr) LocalFree(Buffer);
  while (!Text.empty() &&
         (Text.back() == u'\r' || Text.back() == u'\n' || Text.back() == u' ' || Text.back() == u'\t')) {
    Text.pop_back();
  }
  if (Text.empty()) {
    char Fallback[40];
    std::snprintf(Fallback, sizeof Fallback, "Unknown error (0x%x)", static_cast<unsigned>(Code));
    return Fallback;
  }
  return WideToAnsi(Text);
}

}  // namespace halvern::platform
