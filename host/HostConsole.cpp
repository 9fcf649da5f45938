#include "host/HostConsole.h"

#include <cstdio>
#include <ostream>

#include "platform/Utf16.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which declares the types it uses.
#include <shellapi.h>
#else
#include <unistd.h>

#include <cstdlib>
#endif

namespace halvern::host {

#ifdef _WIN32
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

std::vector<std::string> Utf8Arguments(const std::vector<std::string>& Args) {
  int Count = 0;
  LPWSTR* Argv = CommandLineToArgvW(GetCommandLineW(), &Count);
  if (Argv == nullptr) return Args;
  std::vector<std::string> Result;
  if (static_cast<size_t>(Count) >= Args.size()) {
    for (size_t I = static_cast<size_t>(Count) - Args.size(); I < static_cast<size_t>(Count); ++I)
      Result.push_back(platform::Utf16ToUtf8(reinterpret_cast<const char16_t*>(Argv[I])));
  }
  LocalFree(Argv);
  return Result.size() == Args.size() ? Result : Args;
}

#else

bool StderrIsTerminal() {
  return isatty(STDERR_FILENO) != 0;
}

bool StdoutIsTerminal() {
  return isatty(STDOUT_FILENO) != 0;
}

void UseBinaryStdio() {}

bool SetEnvironment(const char* Name, const std::string& Value) {
  if (Value.empty()) return unsetenv(Name) == 0;
  return setenv(Name, Value.c_str(), 1) == 0;
}

std::vector<std::string> Utf8Arguments(const std::vector<std::string>& Args) {
  return Args;
}

#endif

TProgress::TProgress(std::ostream& Err, const char* Verb)
    : FErr(Err), FVerb(Verb), FEnabled(StderrIsTerminal()), FNext(std::chrono::steady_clock::now()) {
  FNext += std::chrono::milliseconds(250);
}

void TProgress::Show(int64_t Records) {
  const auto Now = std::chrono::steady_clock::now();
  if (Now < FNext) return;
  FNext = Now + std::chrono::milliseconds(250);
  FErr << "\r" << FVerb << " " << Records << " records" << std::flush;
  FShown = true;
}

void TProgress::Done() {
  if (!FShown) return;
  // Blanks rather than an erase sequence, which older Windows consoles print as it is.
  FErr << "\r" << std::string(40, ' ') << "\r" << std::flush;
  FShown = false;
}

}  // namespace halvern::host
