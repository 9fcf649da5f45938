// The event sink through which a port talks to the host, and the column access shared by record
// sources and sinks.
#pragma once

#include <string>

#include "transport/TransBase.h"

namespace halvern {

struct ITransField;

struct ITransEvents : IInterface {
  static constexpr TGuid IID{0x9F62E8E5, 0x64E4, 0x43C1, {0x97, 0xFE, 0xE1, 0x1E, 0xED, 0x85, 0x70, 0x04}};

  virtual void HV_STDCALL LogMessage(int32_t Code, const std::string& Text) = 0;
  virtual void HV_STDCALL ShowHint(const std::string& Caption, const std::string& Text) = 0;
  virtual void HV_STDCALL SignalEvent(int32_t P1, int32_t P2, int32_t P3) = 0;

 protected:
  ~ITransEvents() = default;
};

struct ITransPort : IInterface {
  static constexpr TGuid IID{0xFD7EE84E, 0x7DE3, 0x4A54, {0x9B, 0x95, 0x27, 0x35, 0x92, 0xFF, 0x17, 0x6F}};

  virtual int32_t HV_STDCALL GetFieldCount() = 0;
  // First column whose name matches ignoring letter case; null when none does.
  virtual void HV_STDCALL FindField(const std::string& Name, ITransField** Field) = 0;
  // Null when Index is below 0 or not below GetFieldCount.
  virtual void HV_STDCALL GetField(int32_t Index, ITransField** Field) = 0;

 protected:
  ~ITransPort() = default;
};

}  // namespace halvern
