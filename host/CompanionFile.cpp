#include "host/CompanionFile.h"

#include <filesystem>
#include <system_error>

#include "host/HostPlatform.h"

namespace halvern::host {

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

}  // namespace halvern::host
