#include "host/HostPlatform.h"

#include <unistd.h>

#include <climits>

namespace halvern::host {

std::string ProgramDirectory() {
  char Path[PATH_MAX];
  const ssize_t N = readlink("/proc/self/exe", Path, sizeof Path - 1);
  if (N <= 0) return {};
  std::string Result(Path, static_cast<size_t>(N));
  Result.resize(Result.find_last_of('/') + 1);
  return Result;
}

const char* EngineFileName() {
  return "libhalvern.so";
}

const char* EmulatorFileName() {
  return "librapiemu.so";
}

// A terminal here takes the program's UTF-8 as it is.
void PrepareConsole() {}

}  // namespace halvern::host
