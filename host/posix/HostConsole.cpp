#include "host/HostConsole.h"

#include <unistd.h>

#include <cstdlib>

namespace halvern::host {

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

std::vector<std::u16string> WideArguments() {
  return {};
}

}  // namespace halvern::host
