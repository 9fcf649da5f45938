// The interfaces through which the host's dialog frame drives a configuration page step by step.
#pragma once

#include "transport/TransDefine.h"

namespace halvern {

struct IConfigPage : IInterface {
  static constexpr TGuid IID{0x8134A9E9, 0x5610, 0x4A28, {0x9B, 0x99, 0x2F, 0xC4, 0xE5, 0x93, 0x8B, 0x6A}};

  // ParentWindow is the host's native window (an HWND on Windows).
  virtual bool HV_STDCALL ShowPage(void* ParentWindow, uint8_t Flag) = 0;
  virtual void HV_STDCALL HidePage() = 0;
  virtual bool HV_STDCALL IsBOF() = 0;
  virtual bool HV_STDCALL IsEOF() = 0;
  virtual bool HV_STDCALL CheckSucceed() = 0;
  virtual void HV_STDCALL UpdatePort() = 0;
  virtual void HV_STDCALL First() = 0;
  virtual void HV_STDCALL Last() = 0;
  virtual void HV_STDCALL Next() = 0;
  virtual void HV_STDCALL Previous() = 0;

 protected:
  ~IConfigPage() = default;
};

struct IConfigPageEx : IConfigPage {
  static constexpr TGuid IID{0x6DCC42D1, 0x6084, 0x482E, {0x85, 0x0F, 0x8D, 0xE3, 0x06, 0x83, 0x13, 0x45}};

  // The working port the page edits, or null.
  virtual void HV_STDCALL GetWorkPort(ITransPort** Port) = 0;

 protected:
  ~IConfigPageEx() = default;
};

}  // namespace halvern
