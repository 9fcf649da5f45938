// Reading the process environment as the system holds it, so that a value set by the host program or a
// test (setenv, _putenv_s, SetEnvironmentVariable) is seen at once.
#pragma once

#include <string>

namespace halvern::platform {

// The value of the variable Name, in the engine's code page (GBK on Windows); empty when it is not set.
std::string GetEnv(const char* Name);

}  // namespace halvern::platform
