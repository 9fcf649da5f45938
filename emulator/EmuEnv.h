// The emulator's view of its environment variables, read anew at each call so a test can change them
// between connections. Thread-safe.
#pragma once

#include <filesystem>
#include <string>

namespace rapiemu {

// The variable's value; empty when unset.
std::string EnvText(const char* Name);
// The variable's value as a host path (UTF-16 on Windows, bytes on Linux); empty when unset.
std::filesystem::path EnvPath(const char* Name);

}  // namespace rapiemu
