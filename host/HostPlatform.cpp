#include "host/HostPlatform.h"

#include <filesystem>
#include <system_error>

#include "platform/Utf16.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>

#include <climits>
#endif

namespace halvern::host {

std::string ProgramDirectory() {
#ifdef _WIN32
  wchar_t Path[MAX_PATH];
  const DWORD N = GetModuleFileNameW(nullptr, Path, MAX_PATH);
  if (N == 0 || N >= MAX_PATH) return {};
  std::u16string Wide(reinterpret_cast<const char16_t*>(Path), N);
  Wide.resize(Wide.find_last_of(u"\\/") + 1);
  return platform::Utf16ToUtf8(Wide);
#else
  char Path[PATH_MAX];
  const ssize_t N = readlink("/proc/self/exe", Path, sizeof Path - 1);
  if (N <= 0) return {};
  std::string Result(Path, static_cast<size_t>(N));
  Result.resize(Result.find_last_of('/') + 1);
  return Result;
#endif
}

std::string CompanionFile(const std::string& File, const char* InstalledPath) {
  const std::string Dir = ProgramDirectory();
  const std::string Beside = Dir + File;
  const auto Exists = [](const std::string& Utf8) {
    std::error_code Ec;
    return std::filesystem::exists(std::filesystem::path(std::u8string(Utf8.begin(), Utf8.end())), Ec);
  };
  if (Exists(Beside) || InstalledPath == nullptr || *InstalledPath == '\0' || Dir.empty()) return Beside;
  const std::string Installed = Dir + InstalledPath;
  return Exists(Installed) ? Installed : Beside;
}

void PrepareConsole() {
#ifdef _WIN32
  SetConsoleOutputCP(CP_UTF8);
#endif
}

}  // namespace halvern::host
