// The few things the host program needs from the operating system itself: where the program lives, the
// file names of the libraries it loads, and a terminal that shows UTF-8. One implementation per system
// (posix/, win32/). Stateless.
#pragma once

#include <string>

namespace halvern::host {

// The directory of the running program with a trailing separator; empty when it cannot be found (the
// library is then looked up by the loader's own rules).
std::string ProgramDirectory();

// The file names of the engine library and of the device emulator on this system.
const char* EngineFileName();
const char* EmulatorFileName();

// Makes the console show the UTF-8 the program writes (Windows: output code page 65001).
void PrepareConsole();

}  // namespace halvern::host
