#include "host/HostOptions.h"

#include <algorithm>
#include <filesystem>
#include <ostream>

#include "host/CompanionFile.h"
#include "host/HostConsole.h"
#include "host/HostPlatform.h"
#include "host/OptionsText.h"
#include "platform/CodePage.h"
#include "platform/ConnectTimeout.h"
#include "platform/SysError.h"
#include "platform/Utf16.h"

namespace halvern::host {
namespace {

struct TOptionSpec {
  const char* Name;
  unsigned Group;
  const char* Value;  // what the value is, for the help; null for a flag
  const char* Help;
};

constexpr TOptionSpec kSpecs[] = {
    {"--file", hoPort, "PATH", "the device file, e.g. \\Temp\\stock.txt"},
    {"--title", hoPort, nullptr,
     "the device file begins with a title line (import: checked against the columns)"},
    {"--no-title", hoPort, nullptr, "the device file has no title line"},
    {"--columns", hoPort, "LIST", "column titles, comma-separated; quote a title holding a blank: a,\"b c\""},
    {"--options", hoOptions, "TEXT",
     "a whole options text as the engine writes it; the options above override it"},
    {"--by-title", hoImport, nullptr, "with a title line: pick the columns by their titles, not by position"},
    {"--no-text-check", hoImport, nullptr, "take the device file as GBK even when it looks like other text"},
    {"--allow-empty", hoExport, nullptr, "a CSV without records still replaces the device file"},
    {"--device", hoDevice, "DIR", "work on folder DIR through the device emulator instead of a handheld"},
    {"--encoding", hoEncoding, "E", "utf-8 (default) or gbk: how CSV and options text are read and written"},
    {"--kind", hoKind, "K", "import (default) or export: the kind of port"},
    {"--engine", hoEngine, "PATH", "load the engine library from PATH"},
};

std::filesystem::path PathFromUtf8(const std::string& Utf8) {
  return std::filesystem::path(std::u8string(Utf8.begin(), Utf8.end()));
}

#ifndef HALVERN_INSTALLED_EMULATOR
#define HALVERN_INSTALLED_EMULATOR ""
#endif

// The command's arguments as UTF-8: the last Args.size() arguments of the wide command line where the
// system keeps one; else (and if the two lists disagree in length) Args unchanged.
std::vector<std::string> Utf8Arguments(const std::vector<std::string>& Args) {
  const std::vector<std::u16string> Wide = WideArguments();
  if (Wide.empty() || Wide.size() < Args.size()) return Args;
  std::vector<std::string> Result;
  for (size_t I = Wide.size() - Args.size(); I < Wide.size(); ++I)
    Result.push_back(platform::Utf16ToUtf8(Wide[I]));
  return Result;
}

}  // namespace

bool FitsGbk(std::string_view Utf8, std::string& Gbk) {
  Gbk.clear();
  return platform::Utf8ToAnsiExact(Utf8, Gbk);
}

void PrintOptionHelp(std::ostream& Out, unsigned Groups) {
  for (const TOptionSpec& S : kSpecs) {
    if ((S.Group & Groups) == 0) continue;
    std::string Left = std::string("  ") + S.Name + (S.Value ? std::string(" ") + S.Value : "");
    Left.resize(std::max<size_t>(Left.size() + 2, 20), ' ');
    Out << Left << S.Help << "\n";
  }
}

int ParseHostOptions(TCommandContext& C, const char* Command, unsigned Groups, THostOptions& O) {
  const std::vector<std::string> Args = Utf8Arguments(C.Args);
  const std::string Cmd = Command;
  for (size_t I = 0; I < Args.size(); ++I) {
    std::string Name = Args[I];
    std::string Value;
    bool HasValue = false;
    if (const size_t Eq = Name.find('='); Name.rfind("--", 0) == 0 && Eq != std::string::npos) {
      Value = Name.substr(Eq + 1);
      Name.resize(Eq);
      HasValue = true;
    }
    const TOptionSpec* Entry = nullptr;
    for (const TOptionSpec& S : kSpecs)
      if (Name == S.Name && (Groups & S.Group) != 0) Entry = &S;
    if (Entry == nullptr) return UsageError(C.Err, Cmd + " does not take '" + Args[I] + "'");
    const bool TakesValue = Entry->Value != nullptr;
    if (TakesValue && !HasValue) {
      if (I + 1 == Args.size()) return UsageError(C.Err, Name + " needs a value");
      Value = Args[++I];
    } else if (!TakesValue && HasValue) {
      return UsageError(C.Err, Name + " takes no value");
    }

    // Texts for the engine are GBK; one that GBK cannot hold would reach the device altered.
    std::string Gbk;
    const bool IsEngineText = Name == "--file" || Name == "--columns" || Name == "--options";
    if (IsEngineText && !FitsGbk(Value, Gbk))
      return UsageError(C.Err, Name + " holds characters the device's code page (GBK) cannot represent");

    if (Name == "--file") {
      O.HasFile = true;
      O.File = Gbk;
    } else if (Name == "--title") {
      O.Title = 1;
    } else if (Name == "--no-title") {
      O.Title = 0;
    } else if (Name == "--columns") {
      if (const std::string Why = CheckColumnList(Gbk); !Why.empty())
        return UsageError(C.Err, "--columns " + Why);
      O.HasColumns = true;
      O.Columns = Gbk;
    } else if (Name == "--options") {
      std::vector<TOptionRecord> Records;
      if (const std::string Why = ParseOptionsText(Gbk, Records); !Why.empty())
        return UsageError(C.Err, "--options: " + Why);
      for (const TOptionRecord& R : Records)
        if (R.Key == HV_OPTION_COLUMNS)
          if (const std::string Why = CheckColumnList(R.Value); !Why.empty())
            return UsageError(C.Err, "--options: the column list " + Why);
      O.HasOptions = true;
      O.Options = Gbk;
    } else if (Name == "--device") {
      if (Value.empty()) return UsageError(C.Err, "--device needs a folder");
      O.Device = Value;
    } else if (Name == "--encoding") {
      if (Value == "utf-8" || Value == "utf8" || Value == "UTF-8") {
        O.Encoding = TEncoding::Utf8;
      } else if (Value == "gbk" || Value == "GBK" || Value == "cp936") {
        O.Encoding = TEncoding::Gbk;
      } else {
        return UsageError(C.Err, "--encoding is utf-8 or gbk, not '" + Value + "'");
      }
    } else if (Name == "--kind") {
      if (Value == "import") {
        O.Kind = ENGINE_PORT_IMPORT;
      } else if (Value == "export") {
        O.Kind = ENGINE_PORT_EXPORT;
      } else {
        return UsageError(C.Err, "--kind is import or export, not '" + Value + "'");
      }
    } else if (Name == "--engine") {
      if (Value.empty()) return UsageError(C.Err, "--engine needs a path");
      O.Engine = Value;
    } else if (Name == "--by-title") {
      O.ByTitle = true;
    } else if (Name == "--no-text-check") {
      O.NoTextCheck = true;
    } else if (Name == "--allow-empty") {
      O.AllowEmpty = true;
    }
  }
  return ExitOk;
}

std::string EncodeOptionValue(std::string_view Value) {
  bool Plain = true;
  for (char C : Value) {
    const auto B = static_cast<unsigned char>(C);
    // Separators, brackets and quotes mean something to the options reader, and it trims blanks.
    if (B <= 32 || C == '"' || C == '=' || C == ';' || C == '{' || C == '}') Plain = false;
  }
  if (Plain) return std::string(Value);
  std::string Out = "\"";
  for (char C : Value) Out += C == '"' ? std::string_view("\"\"\"") : std::string_view(&C, 1);
  Out += '"';
  return Out;
}

std::string SettingsOptionsText(const THostOptions& O) {
  std::vector<std::string> Records;
  if (O.HasFile) Records.push_back(std::string(HV_OPTION_FILE_NAME) + "=" + EncodeOptionValue(O.File));
  if (O.HasColumns) Records.push_back(std::string(HV_OPTION_COLUMNS) + "=" + EncodeOptionValue(O.Columns));
  if (O.Title >= 0) Records.push_back(std::string(HV_OPTION_HAS_TITLE) + "=" + (O.Title ? "1" : "0"));
  std::string Text;
  for (const std::string& R : Records) {
    if (!Text.empty()) Text += ";\r\n";
    Text += R;
  }
  return Text;
}

int PrepareEngine(TCommandContext& C, const THostOptions& O) {
  if (!O.Device.empty()) {
    std::error_code Ec;
    const std::filesystem::path Dir = PathFromUtf8(O.Device);
    if (!std::filesystem::is_directory(Dir, Ec))
      return UsageError(C.Err, "--device: '" + O.Device + "' is not a folder");
    const std::string Emulator = CompanionFile(EmulatorFileName(), HALVERN_INSTALLED_EMULATOR);
    if (!std::filesystem::exists(PathFromUtf8(Emulator), Ec)) {
      C.Err << "halvern: the device emulator is missing: " << Emulator << "\n";
      return ExitFailure;
    }
    const std::filesystem::path Root = std::filesystem::absolute(Dir, Ec);
    const std::u8string RootText = (Ec ? Dir : Root).u8string();
    SetEnvironment("HALVERN_RAPI_LIBRARY", Emulator);
    SetEnvironment("HALVERN_DEVICE_ROOT", std::string(RootText.begin(), RootText.end()));
  }
  if (!O.Engine.empty() && !C.Engine.Load(O.Engine)) {
    C.Err << "halvern: " << C.Engine.Error() << "\n";
    return ExitFailure;
  }
  return ExitOk;
}

int DeviceFailed(TCommandContext& C, const THostOptions& O, const std::vector<std::string>& Events) {
  // The stream layer's messages name the file: the device answered, the file was the trouble.
  const bool FileLevel = std::any_of(Events.begin(), Events.end(), [](const std::string& E) {
    return E.starts_with("Cannot ") || E.starts_with("Stream ");
  });
  if (O.Device.empty() && !FileLevel) {
    // The device's own "not connected": the engine waited its time-out for a device that never came
    // (without a device library at all it waited for nothing, and says so itself).
    const std::string NotConnected = platform::SystemErrorText(1167);
    const bool Waited = std::find(Events.begin(), Events.end(), NotConnected) != Events.end();
    C.Err << "halvern: no device answered";
    if (Waited)
      C.Err << " within " << platform::ConnectTimeoutSeconds()
            << " s (HALVERN_CONNECT_TIMEOUT sets how long)";
    C.Err << ": connect the handheld (its Remote API must be installed), or add --device DIR to use the "
             "device emulator on folder DIR\n";
  }
  return ExitFailure;
}

std::string StreamToEngine(const THostOptions& O, std::string_view Text) {
  return O.Encoding == TEncoding::Gbk ? std::string(Text) : platform::Utf8ToAnsi(Text);
}

std::string EngineToStream(const THostOptions& O, std::string_view Gbk) {
  return O.Encoding == TEncoding::Gbk ? std::string(Gbk) : platform::AnsiToUtf8(Gbk);
}

}  // namespace halvern::host
