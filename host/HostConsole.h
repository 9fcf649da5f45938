// What the transfer commands need from the process around them: whether standard error is a terminal
// (for progress), binary standard streams (CSV line ends are the program's own), environment variables
// that the engine and the device emulator read, and the command line as UTF-8 on Windows. Stateless;
// call from the main thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>
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

// The command's arguments as UTF-8. On Windows the C runtime hands main its arguments in the ANSI code
// page; this takes the last Args.size() arguments of the wide command line instead. Elsewhere (and if
// the two lists disagree in length) Args comes back unchanged.
std::vector<std::string> Utf8Arguments(const std::vector<std::string>& Args);

// "Imported 120000 records" on standard error, rewritten in place at most a few times a second, and only
// when standard error is a terminal. Done() clears the line.
class TProgress {
 public:
  TProgress(std::ostream& Err, const char* Verb);
  ~TProgress() { Done(); }
  TProgress(const TProgress&) = delete;
  TProgress& operator=(const TProgress&) = delete;

  void Update(int64_t Records) {
    if (FEnabled && (Records & 1023) == 0) Show(Records);
  }
  void Done();

 private:
  void Show(int64_t Records);

  std::ostream& FErr;
  const char* FVerb;
  bool FEnabled;
  bool FShown = false;
  std::chrono::steady_clock::time_point FNext;
};

}  // namespace halvern::host
