// The few things the host program needs from the operating system itself: where the program lives and a
// terminal that shows UTF-8. Stateless.
#pragma once

#include <string>

namespace halvern::host {

// The directory of the running program with a trailing separator; empty when it cannot be found (the
// library is then looked up by the loader's own rules).
std::string ProgramDirectory();

// Makes the console show the UTF-8 the program writes (Windows: output code page 65001).
void PrepareConsole();

}  // namespace halvern::host
