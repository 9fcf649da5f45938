// halvern info: the engine's type, name and description.
#include <ostream>

#include "host/Commands.h"

namespace halvern::host {
namespace {

int RunInfo(TCommandContext& C) {
  if (!C.Args.empty()) return UsageError(C.Err, "info takes no arguments");
  C.Out << "type: " << C.Engine.EngineGetType() << "\n"
        << "name: " << ToTerminal(C.Engine.Name()) << "\n"
        << "description: " << ToTerminal(C.Engine.Description()) << "\n"
        << "library: " << C.Engine.Path() << "\n";
  return ExitOk;
}

const TCommandRegistration Info({"info", "", "show the engine's type, name and description", 0, &RunInfo});

}  // namespace
}  // namespace halvern::host
