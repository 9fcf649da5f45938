// The faults a test asks the emulator to inject, parsed from HALVERN_DEVICE_FAULTS (syntax in
// emulator/RapiEmu.h). A plain value; parsing never fails, unknown items are ignored.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace rapiemu {

struct TFaultAfter {
  uint64_t Limit = 0;  // bytes (reads, writes) or calls (seeks) allowed before the fault
  uint32_t Code = 0;
};

struct TFaults {
  std::optional<uint32_t> Init;
  std::optional<uint32_t> Open;
  std::optional<TFaultAfter> ReadAfter;
  std::optional<TFaultAfter> WriteAfter;
  bool ShortWrite = false;
  std::optional<uint32_t> SetEof;
  std::optional<TFaultAfter> SeekAfter;
  std::optional<TFaultAfter> FailCall;  // Limit: the 1-based number of the call that fails
  std::optional<uint32_t> Delete;
  std::optional<uint32_t> Move;
  std::optional<uint64_t> DockAfter;  // milliseconds from the request until the device appears
};

TFaults ParseFaults(std::string_view Text);

}  // namespace rapiemu
