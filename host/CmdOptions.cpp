// halvern options: the options text the engine makes of the given settings, as a host would store it.
//
//   halvern options [--kind import|export] [--file PATH] [--title|--no-title] [--columns LIST]
//                   [--options TEXT] [--encoding utf-8|gbk]
//
// The text is printed as EngineGetOptions returns it (records joined by ";" CR LF), converted to UTF-8
// unless --encoding gbk, and ended with a line break, which --options takes back without complaint.
#include <iostream>
#include <string>

#include "host/Commands.h"
#include "host/HostConsole.h"
#include "host/HostOptions.h"
#include "host/Transfer.h"

namespace halvern::host {
namespace {

int RunOptions(TCommandContext& C) {
  THostOptions O;
  if (const int Status =
          ParseHostOptions(C, "options", hoPort | hoOptions | hoEncoding | hoKind | hoEngine, O);
      Status != ExitOk)
    return Status;
  if (const int Status = PrepareEngine(C, O); Status != ExitOk) return Status;
  UseBinaryStdio();

  TPortSession Session(C.Engine, O.Kind, &C.Err);
  Session.SetOptions(O.Options);
  Session.SetOptions(SettingsOptionsText(O));
  const std::string Text = EngineToStream(O, Session.Options());
  C.Out.write(Text.data(), static_cast<std::streamsize>(Text.size()));
  C.Out << "\n";
  C.Out.flush();
  if (O.Kind == ENGINE_PORT_EXPORT) Session.Finish();  // nothing appended: the device is not touched
  return ExitOk;
}

const TCommandRegistration Options({"options", "[OPTIONS]", "print the options text for the given settings",
                                    hoPort | hoOptions | hoEncoding | hoKind | hoEngine, &RunOptions});

}  // namespace
}  // namespace halvern::host
