#include "host/HostPlatform.h"

#include <windows.h>

#include "platform/Utf16.h"

namespace halvern::host {

std::string ProgramDirectory() {
  wchar_t Path[MAX_PATH];
  const DWORD N = GetModuleFileNameW(nullptr, Path, MAX_PATH);
  if (N == 0 || N >= MAX_PATH) return {};
  std::u16string Wide(reinterpret_cast<const char16_t*>(Path), N);
  Wide.resize(Wide.find_last_of(u"\\/") + 1);
  return platform::Utf16ToUtf8(Wide);
}

const char* EngineFileName() {
  return "Halvern.dll";
}

const char* EmulatorFileName() {
  return "rapiemu.dll";
}

void PrepareConsole() {
  SetConsoleOutputCP(CP_UTF8);
}

}  // namespace halvern::host
