// The host program's commands. Each command lives in its own file (CmdInfo.cpp, ...) and registers
// itself with a static TCommandRegistration, so adding a command needs no edit anywhere else.
//
// Registration happens during static initialisation, before main; the list is read-only afterwards.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "host/EngineLib.h"

namespace halvern::host {

// Exit statuses.
constexpr int ExitOk = 0;
constexpr int ExitFailure = 1;  // the engine or a transfer failed
constexpr int ExitUsage = 2;    // the command line was wrong

struct TCommandContext {
  TEngineLib& Engine;             // loaded before the command runs
  std::vector<std::string> Args;  // the arguments after the command name
  std::ostream& Out;              // UTF-8
  std::ostream& Err;              // UTF-8
};

struct TCommand {
  const char* Name;     // as typed: "info"
  const char* Args;     // argument synopsis for --help, e.g. "[--title] FILE"; "" for none
  const char* Summary;  // one line for --help
  unsigned Options;     // the THostOptionGroup bits of the options it takes, for its --help
  int (*Run)(TCommandContext& Context);
};

struct TCommandRegistration {
  explicit TCommandRegistration(const TCommand& Command);
};

// Every registered command, sorted by name.
std::vector<TCommand> Commands();

// Reports a usage error as one line with a hint and returns ExitUsage.
int UsageError(std::ostream& Err, const std::string& Message);

// GBK text from the engine, as UTF-8 for the terminal.
std::string ToTerminal(const std::string& Gbk);

}  // namespace halvern::host
