// Environment helpers shared by the test programs that drive the device emulator: setting the variables
// the engine and the emulator read, and finding the emulator libraries of this build.
//
// The emulator paths come from compile definitions of the build or, for local runs, from environment
// variables of the same names; an empty path means the emulator is not available.
#pragma once

#include <cstdlib>
#include <string>

namespace halvern::test {

// Sets Name to Value for this process; an empty Value removes the variable.
inline void SetEnv(const char* Name, const std::string& Value) {
#ifdef _WIN32
  _putenv_s(Name, Value.c_str());
#else
  if (Value.empty())
    unsetenv(Name);
  else
    setenv(Name, Value.c_str(), 1);
#endif
}

// The emulator, or its variant that lacks one required entry point.
inline std::string EmulatorPath(bool Incomplete = false) {
#if defined(HALVERN_EMULATOR_PATH)
  if (!Incomplete) return HALVERN_EMULATOR_PATH;
#endif
#if defined(HALVERN_EMULATOR_INCOMPLETE_PATH)
  if (Incomplete) return HALVERN_EMULATOR_INCOMPLETE_PATH;
#endif
  const char* V = std::getenv(Incomplete ? "HALVERN_EMULATOR_INCOMPLETE_PATH" : "HALVERN_EMULATOR_PATH");
  return V != nullptr ? V : "";
}

// The emulator's variant with the twelve required entry points alone.
inline std::string BasicEmulatorPath() {
#if defined(HALVERN_EMULATOR_BASIC_PATH)
  return HALVERN_EMULATOR_BASIC_PATH;
#else
  const char* V = std::getenv("HALVERN_EMULATOR_BASIC_PATH");
  return V != nullptr ? V : "";
#endif
}

}  // namespace halvern::test
