// Where the program finds the libraries it loads by default (the engine, the device emulator).
#pragma once

#include <string>

namespace halvern::host {

// The program's companion file: File beside the program (the build tree, the Windows package) when it
// is there, else InstalledPath, taken relative to the program's directory (an installed Linux tree keeps
// libraries in its own lib folder), when that exists; else the path beside the program, so that a
// message about it names the place looked first.
std::string CompanionFile(const std::string& File, const char* InstalledPath);

}  // namespace halvern::host
