// halvern configure: shows a port's configuration page in a small dialog of this program, as a host
// application embeds it, and prints the options text the user confirmed.
//
//   halvern configure [--kind import|export] [--options TEXT]
//
// OK validates the page (the page itself says what is missing) and, when the entries are valid, prints
// the working port's options text and exits 0. Cancel or closing the window prints nothing and exits 1.
// The page needs a Windows host: elsewhere the command exits 2.
#include <ostream>
#include <string>
#include <vector>

#include "host/Commands.h"
#include "host/ConfigDialog.h"
#include "host/HostConsole.h"
#include "host/HostOptions.h"
#include "platform/CodePage.h"

namespace halvern::host {
namespace {

struct TConfigureArgs {
  int32_t Kind = ENGINE_PORT_IMPORT;
  bool HasOptions = false;
  std::string Options;  // GBK
};

// Returns ExitOk, or the status of a usage error already reported.
int ParseArgs(TCommandContext& C, TConfigureArgs& Args) {
  for (size_t I = 0; I < C.Args.size(); ++I) {
    const std::string& A = C.Args[I];
    if (A == "--kind" || A == "--options") {
      if (I + 1 == C.Args.size()) return UsageError(C.Err, A + " needs a value");
      const std::string& Value = C.Args[++I];
      if (A == "--options") {
        Args.HasOptions = true;
        Args.Options = platform::Utf8ToAnsi(Value);
      } else if (Value == "import") {
        Args.Kind = ENGINE_PORT_IMPORT;
      } else if (Value == "export") {
        Args.Kind = ENGINE_PORT_EXPORT;
      } else {
        return UsageError(C.Err, "--kind is import or export, not '" + Value + "'");
      }
    } else {
      return UsageError(C.Err, "configure does not take '" + A + "'");
    }
  }
  return ExitOk;
}

// The narrow arguments may have gone through an ANSI code page that does not hold the text's
// characters: where the system keeps the command line in UTF-16, the value after the last "--options" is
// taken again from there.
void RereadOptions(TConfigureArgs& Args) {
  const std::vector<std::u16string> Argv = WideArguments();
  for (size_t I = 0; I + 1 < Argv.size(); ++I)
    if (Argv[I] == u"--options") Args.Options = platform::WideToAnsi(Argv[I + 1]);
}

int RunConfigure(TCommandContext& C) {
  TConfigureArgs Args;
  if (const int Status = ParseArgs(C, Args); Status != ExitOk) return Status;
  if (!ConfigDialogAvailable()) {
    C.Err << "halvern: the configuration page needs a Windows host; run halvern.exe on Windows\n";
    return ExitUsage;
  }
  if (Args.HasOptions) RereadOptions(Args);
  uint32_t Port = 0;
  if (C.Engine.EngineInit(Args.Kind, &Port) != ENGINE_OK) {
    C.Err << "halvern: the engine made no port\n";
    return ExitFailure;
  }
  if (Args.HasOptions) C.Engine.EngineSetOptions(Port, Args.Options.c_str());
  std::string Options;
  const bool Accepted = RunConfigDialog(C.Engine, Port, C.Err, Options);
  if (Accepted) C.Out << ToTerminal(Options) << "\n";
  C.Engine.EngineFina(Port);
  return Accepted ? ExitOk : ExitFailure;
}

// Exit status: 0 confirmed, 1 cancelled or failed, 2 usage error or no Windows host.
const TCommandRegistration Configure({"configure", "[--kind K] [--options TEXT]",
                                      "edit a port on its page, print its options (Windows; else exit 2)",
                                      hoKind | hoOptions, &RunConfigure});

}  // namespace
}  // namespace halvern::host
