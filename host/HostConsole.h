// What the commands need from the process around them: whether standard error is a terminal (for
// progress), binary standard streams (CSV line ends are the program's own), environment variables that
// the engine and the device emulator read, and the command line as the system holds it. One
// implementation per system (posix/, win32/). Stateless; call from the main thread.
#pragma once

#include <string>
#include <vector>

namespace halvern::host {

// True when standard error is a terminal (a console on Windows).
bool StderrIsTerminal();
// True when standard output is a terminal.
bool StdoutIsTerminal();

// Standard input and output carry bytes unchanged (no LF to CR LF translation on Windows).
void UseBinaryStdio();

// Sets (or, for an empty value, removes) a variable of the process environment, where a library loaded
// later reads it (the Win32 environment block on Windows). Value is UTF-8.
bool SetEnvironment(const char* Name, const std::string& Value);

// The whole command line in UTF-16, the program's name first, where the system keeps it so (Windows,
// whose C runtime hands main its arguments in the ANSI code page, which may not hold every character).
// Empty where main's arguments are the command line itself, and when it cannot be read.
std::vector<std::u16string> WideArguments();

}  // namespace halvern::host
