// The few things the host program needs from the operating system itself: where the program lives and a
// terminal that shows UTF-8. Stateless.
#pragma once

#include <string>

namespace halvern::host {

// The directory of the running program with a trailing separator; empty when it cannot be found (the
// library is then looked up by the loader's own rules).
std::string ProgramDirectory();

// The program's companion file: File beside the program (the build tree, the Windows package) when it
// is there, else InstalledPath, taken relative to the program's directory (an installed Linux tree keeps
// libraries in its own lib folder), when that exists; else the path beside the program, so that a
// message about it names the place looked first.
std::string CompanionFile(const std::string& File, const char* InstalledPath);

// Makes the console show the UTF-8 the program writes (Windows: output code page 65001).
void PrepareConsole();

}  // namespace halvern::host
