// The options the transfer commands share, parsed from the words after the command name:
//
//   --file PATH        device file path (UTF-8 here, GBK for the engine), e.g. \Temp\stock.txt
//   --title, --no-title  the device file does / does not begin with a title line
//   --columns LIST     column titles in the comma-list syntax of the options text: a,b,"c d"
//   --options TEXT     a whole options text as the engine writes it; --file, --title and --columns
//                      given as well override its records
//   --device DIR       use the device emulator beside this program with DIR as the device's folder
//   --encoding E       utf-8 (default) or gbk: how CSV and options text are read and written
//   --engine PATH      load the engine library from PATH instead of the one already loaded
//   --kind K           import or export (commands that make a port without moving data)
//
// Each command says which of these it takes. Every "--name value" may also be written "--name=value".
// Plain data, no state of its own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/Commands.h"

namespace halvern::host {

enum class TEncoding { Utf8, Gbk };

// Groups of options a command accepts.
enum THostOptionGroup : unsigned {
  hoPort = 1,      // --file, --title, --no-title, --columns, --options
  hoDevice = 2,    // --device
  hoEncoding = 4,  // --encoding
  hoKind = 8,      // --kind
  hoEngine = 16,   // --engine
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
  std::string Engine;  // host path, empty when not given
};

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

// Text between the engine (GBK) and the command's streams (UTF-8 unless --encoding gbk).
std::string StreamToEngine(const THostOptions& Options, std::string_view Text);
std::string EngineToStream(const THostOptions& Options, std::string_view Gbk);

// True when Utf8 converts to GBK and back unchanged (so nothing was replaced on the way).
bool FitsGbk(std::string_view Utf8, std::string& Gbk);

}  // namespace halvern::host
