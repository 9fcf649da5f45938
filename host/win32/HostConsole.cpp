#include "host/HostConsole.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which declares the types it uses.
#include <shellapi.h>

#include <cstdio>

#include "platform/Utf16.h"

namespace halvern::host {
namespace {

bool IsConsole(DWORD Which) {
  DWORD Mode = 0;
  return GetConsoleMode(GetStdHandle(Which), &Mode) != 0;
}

}  // namespace

bool StderrIsTerminal() {
  return IsConsole(STD_ERROR_HANDLE);
}

bool StdoutIsTerminal() {
  return IsConsole(STD_OUTPUT_HANDLE);
}

void UseBinaryStdio() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
}

bool SetEnvironment(const char* Name, const std::string& Value) {
  const std::u16string WideName = platform::Utf8ToUtf16(Name);
  const auto* WName = reinterpret_cast<const wchar_t*>(WideName.c_str());
  if (Value.empty()) {
    SetEnvironmentVariableW(WName, nullptr);  // fails only when it was not set
    return true;
  }
  const std::u16string WideValue = platform::Utf8ToUtf16(Value);
  return SetEnvironmentVariableW(WName, reinterpret_cast<const wchar_t*>(WideValue.c_str())) != 0;
}

std::vector<std::u16string> WideArguments() {
  int Count = 0;
  LPWSTR* Argv = CommandLineToArgvW(GetCommandLineW(), &Count);
  if (Argv == nullptr) return {};
  std::vector<std::u16string> Result;
  for (int I = 0; I < Count; ++I) Result.emplace_back(reinterpret_cast<const char16_t*>(Argv[I]));
  LocalFree(Argv);
  return Result;
}

}  // namespace halvern::host
