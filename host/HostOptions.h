// The options the commands share, parsed from the words after the command name. The table in
// HostOptions.cpp names each option, its value, which group it belongs to and its help line; each command
// says which groups it takes, and its --help lists exactly those. Every "--name value" may also be
// written "--name=value". Plain data, no state of its own.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "host/Commands.h"

namespace halvern::host {

enum class TEncoding { Utf8, Gbk };

// Groups of options a command accepts.
enum THostOptionGroup : unsigned {
  hoPort = 1,      // --file, --title, --no-title, --columns
  hoDevice = 2,    // --device
  hoEncoding = 4,  // --encoding
  hoKind = 8,      // --kind
  hoEngine = 16,   // --engine
  hoOptions = 32,  // --options
  hoImport = 64,   // --by-title, --no-text-check
  hoExport = 128,  // --allow-empty
  hoTransfer = hoPort | hoOptions | hoDevice | hoEncoding | hoEngine,
};

struct THostOptions {
  bool HasOptions = false;
  std::string Options;  // GBK
  bool HasFile = false;
  std::string File;  // GBK
  int Title = -1;    // -1 not given, 0 --no-title, 1 --title
  bool HasColumns = false;
  std::string Columns;  // GBK, comma-list syntax
  std::string Device;   // host path as typed (UTF-8)
  TEncoding Encoding = TEncoding::Utf8;
  int32_t Kind = ENGINE_PORT_IMPORT;
  std::string Engine;        // host path, empty when not given
  bool ByTitle = false;      // import: pick columns by the file's title line
  bool NoTextCheck = false;  // import: take the device file's bytes as GBK without checking
  bool AllowEmpty = false;   // export: a header without records still writes the device file
};

// The help lines of the options in Groups, one per option, for --help.
void PrintOptionHelp(std::ostream& Out, unsigned Groups);

// Parses C.Args. Returns ExitOk, or ExitUsage after reporting the mistake on C.Err.
int ParseHostOptions(TCommandContext& C, const char* Command, unsigned Groups, THostOptions& Options);

// The options text records for --file, --title and --columns (GBK), joined as the engine joins them;
// empty when none was given. Applied after --options, they override its records.
std::string SettingsOptionsText(const THostOptions& Options);

// A value as the options text carries it: unchanged when it holds nothing the options reader treats
// specially, else quoted with each inner double quote tripled.
std::string EncodeOptionValue(std::string_view Value);

// Acts on --engine (reloads the library) and --device (points the engine at the device emulator beside
// this program, before the engine first binds the device). Returns ExitOk, or a status after reporting.
int PrepareEngine(TCommandContext& C, const THostOptions& Options);

// Ends a transfer whose device exchange failed (the engine's events are already on C.Err): without
// --device and with no file-level message among Events, the device did not answer (within the connect
// time-out, when the engine waited for it), and the hint says how to reach one. Returns ExitFailure.
int DeviceFailed(TCommandContext& C, const THostOptions& Options, const std::vector<std::string>& Events);

// Text between the engine (GBK) and the command's streams (UTF-8 unless --encoding gbk).
std::string StreamToEngine(const THostOptions& Options, std::string_view Text);
std::string EngineToStream(const THostOptions& Options, std::string_view Gbk);

// True when Utf8 converts to GBK and back unchanged (so nothing was replaced on the way).
bool FitsGbk(std::string_view Utf8, std::string& Gbk);

}  // namespace halvern::host
