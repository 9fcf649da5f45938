// halvern: a host program for the engine library. It loads the library by path, binds its exports by
// name and drives them exactly as a host application does.
//
//   halvern [--engine PATH] COMMAND [ARGS...]
#include <iostream>
#include <string>
#include <vector>

#include "host/Commands.h"
#include "host/HostPlatform.h"

namespace halvern::host {
namespace {

void PrintHelp(std::ostream& Out) {
  Out << "usage: halvern [--engine PATH] COMMAND [ARGS...]\n"
         "\n"
         "Loads the engine library (default: "
      << DefaultEnginePath()
      << ") and drives it through its exports.\n"
         "\n"
         "options:\n"
         "  --engine PATH  load the engine library from PATH\n"
         "  -h, --help     show this help\n"
         "\n"
         "commands:\n";
  for (const TCommand& Command : Commands()) {
    std::string Synopsis = Command.Name;
    if (*Command.Args) Synopsis += std::string(" ") + Command.Args;
    Out << "  " << Synopsis;
    Out << std::string(Synopsis.size() < 28 ? 28 - Synopsis.size() : 1, ' ') << Command.Summary << "\n";
  }
}

int Main(const std::vector<std::string>& Argv) {
  std::string EnginePath = DefaultEnginePath();
  size_t I = 0;
  for (; I < Argv.size(); ++I) {
    const std::string& A = Argv[I];
    if (A == "-h" || A == "--help") {
      PrintHelp(std::cout);
      return ExitOk;
    }
    if (A == "--engine") {
      if (++I == Argv.size()) return UsageError(std::cerr, "--engine needs a path");
      EnginePath = Argv[I];
    } else if (A.rfind("--engine=", 0) == 0) {
      EnginePath = A.substr(9);
    } else if (A.rfind("-", 0) == 0) {
      return UsageError(std::cerr, "unknown option '" + A + "'");
    } else {
      break;
    }
  }
  if (I == Argv.size()) return UsageError(std::cerr, "no command given");

  const std::string Name = Argv[I];
  const std::vector<TCommand> All = Commands();
  const TCommand* Found = nullptr;
  for (const TCommand& Command : All)
    if (Name == Command.Name) Found = &Command;
  if (!Found) return UsageError(std::cerr, "unknown command '" + Name + "'");

  TEngineLib Engine;
  if (!Engine.Load(EnginePath)) {
    std::cerr << "halvern: " << Engine.Error() << "\n";
    return ExitFailure;
  }
  TCommandContext Context{Engine,
                          std::vector<std::string>(Argv.begin() + static_cast<long>(I) + 1, Argv.end()),
                          std::cout, std::cerr};
  const int Status = Found->Run(Context);
  std::cout.flush();
  return Status;
}

}  // namespace
}  // namespace halvern::host

int main(int argc, char** argv) {
  halvern::host::PrepareConsole();
  try {
    return halvern::host::Main(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& E) {
    std::cerr << "halvern: " << E.what() << "\n";
    return halvern::host::ExitFailure;
  }
}
