// halvern: a host program for the engine library. It loads the library by path, binds its exports by
// name and drives them exactly as a host application does.
//
//   halvern [--engine PATH] COMMAND [ARGS...]
#include <iostream>
#include <string>
#include <vector>

#include "halvern.h"
#include "host/Commands.h"
#include "host/HostOptions.h"
#include "host/HostPlatform.h"

namespace halvern::host {
namespace {

constexpr const char* kExitCodes =
    "exit status:\n"
    "  0  success\n"
    "  1  the transfer failed: the device, the engine or the data (nothing is written on a data error)\n"
    "  2  usage: the command line is wrong\n";

void PrintHelp(std::ostream& Out) {
  Out << "usage: halvern [--engine PATH] COMMAND [OPTIONS]\n"
         "       halvern COMMAND --help\n"
         "       halvern --help | --version\n"
         "\n"
         "Loads the engine library (default: "
      << DefaultEnginePath()
      << ") and drives it through its exports.\n"
         "\n"
         "commands:\n";
  for (const TCommand& Command : Commands()) {
    std::string Synopsis = Command.Name;
    if (*Command.Args) Synopsis += std::string(" ") + Command.Args;
    Out << "  " << Synopsis << "\n      " << Command.Summary << "\n";
  }
  Out << "\noptions (each command takes those its --help lists):\n"
         "  -h, --help        show this help, or a command's own\n"
         "  --version         show the program's version\n";
  PrintOptionHelp(Out, ~0u);
  Out << "\nCSV is UTF-8 with a header row; the device file is GBK text, \"|\" between fields, CR LF "
         "between\n"
         "lines. Each transfer ends with a summary line on standard error.\n\n"
      << kExitCodes;
}

void PrintCommandHelp(std::ostream& Out, const TCommand& Command) {
  Out << "usage: halvern " << Command.Name << (*Command.Args ? " " : "") << Command.Args << "\n\n"
      << Command.Summary << "\n";
  if (Command.Options != 0) {
    Out << "\noptions:\n";
    PrintOptionHelp(Out, Command.Options);
  }
  Out << "\n" << kExitCodes;
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
    if (A == "--version") {
      std::cout << "halvern " << HALVERN_VERSION_STRING << "\n";
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
  for (size_t J = I + 1; J < Argv.size(); ++J) {
    if (Argv[J] == "-h" || Argv[J] == "--help") {
      PrintCommandHelp(std::cout, *Found);
      return ExitOk;
    }
  }

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
