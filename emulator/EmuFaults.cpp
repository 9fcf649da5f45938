#include "emulator/EmuFaults.h"

#include <string>

#include "device/RapiTypes.h"

namespace rapiemu {
namespace {

namespace rapi = halvern::rapi;

std::string_view Trim(std::string_view S) {
  while (!S.empty() && (S.front() == ' ' || S.front() == '\t')) S.remove_prefix(1);
  while (!S.empty() && (S.back() == ' ' || S.back() == '\t')) S.remove_suffix(1);
  return S;
}

// Decimal digits only; std::from_chars is avoided because its lookup table is a unique symbol, which
// would keep the library loaded after dlclose.
template <class T>
std::optional<T> Number(std::string_view S) {
  S = Trim(S);
  if (S.empty() || S.size() > 19) return std::nullopt;
  uint64_t Value = 0;
  for (char C : S) {
    if (C < '0' || C > '9') return std::nullopt;
    Value = Value * 10 + static_cast<uint64_t>(C - '0');
  }
  if (Value > static_cast<uint64_t>(static_cast<T>(~T{0}))) return std::nullopt;
  return static_cast<T>(Value);
}

// "N[:CODE]"; without N the fault applies from the start.
TFaultAfter After(std::string_view Value, uint32_t DefaultCode) {
  TFaultAfter F{0, DefaultCode};
  const size_t Colon = Value.find(':');
  if (auto N = Number<uint64_t>(Value.substr(0, Colon))) F.Limit = *N;
  if (Colon != std::string_view::npos) {
    if (auto C = Number<uint32_t>(Value.substr(Colon + 1))) F.Code = *C;
  }
  return F;
}

uint32_t Code(std::string_view Value, uint32_t Default) {
  return Number<uint32_t>(Value).value_or(Default);
}

}  // namespace

TFaults ParseFaults(std::string_view Text) {
  TFaults F;
  while (!Text.empty()) {
    const size_t Comma = Text.find(',');
    const std::string_view Item = Trim(Text.substr(0, Comma));
    Text = Comma == std::string_view::npos ? std::string_view() : Text.substr(Comma + 1);
    const size_t Eq = Item.find('=');
    const std::string_view Name = Trim(Item.substr(0, Eq));
    const std::string_view Value = Eq == std::string_view::npos ? std::string_view() : Item.substr(Eq + 1);
    if (Name == "init")
      F.Init = Code(Value, rapi::ErrorDeviceNotConnected);
    else if (Name == "open")
      F.Open = Code(Value, rapi::ErrorAccessDenied);
    else if (Name == "read-after")
      F.ReadAfter = After(Value, rapi::ErrorDeviceNotConnected);
    else if (Name == "write-after")
      F.WriteAfter = After(Value, rapi::ErrorDiskFull);
    else if (Name == "short-write")
      F.ShortWrite = true;
    else if (Name == "seteof")
      F.SetEof = Code(Value, rapi::ErrorAccessDenied);
    else if (Name == "seek-after")
      F.SeekAfter = After(Value, rapi::ErrorDeviceNotConnected);
    else if (Name == "fail-call")
      F.FailCall = After(Value, rapi::ErrorDeviceNotConnected);
    else if (Name == "delete")
      F.Delete = Code(Value, rapi::ErrorAccessDenied);
    else if (Name == "move")
      F.Move = Code(Value, rapi::ErrorAccessDenied);
    else if (Name == "dock-after")
      F.DockAfter = Number<uint64_t>(Value).value_or(0);
  }
  return F;
}

}  // namespace rapiemu
