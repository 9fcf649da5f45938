// The bridge from a port's ITransEvents to the host's plain event procedures. EngineInit gives every
// port its own adapter with no procedures set; EngineSetEvent fills them in. The port holds the adapter
// through its events reference; the adapter holds nothing of the port.
//
// Reference counted, destroyed with its last reference. No lock: like every pair of calls on one port,
// setting a procedure while another call raises an event is not serialized.
#pragma once

#include <atomic>

#include "halvern.h"
#include "transport/TransDefine.h"

namespace halvern {

class TLibTransLogAdapter : public TObject, public ITransEvents, public ITransObject {
 public:
  // A new adapter with its first reference counted to the caller.
  static TComPtr<ITransEvents> Create();

  HRESULT HV_STDCALL QueryInterface(const TGuid& Iid, void** Obj) override;
  int32_t HV_STDCALL AddRef() override;
  int32_t HV_STDCALL Release() override;

  // Calls the host's procedure with a text pointer that is never null; nothing when none is set.
  void HV_STDCALL LogMessage(int32_t Code, const std::string& Text) override;
  void HV_STDCALL ShowHint(const std::string& Caption, const std::string& Text) override;
  void HV_STDCALL SignalEvent(int32_t, int32_t, int32_t) override {}

  TObject* HV_STDCALL GetObject() override { return this; }

  // UserData is replaced whatever the kind; the kind then picks which procedure Callback replaces
  // (EVENT_LOG_MESSAGE, EVENT_SHOW_HINT; any other kind replaces none).
  void SetCallback(void* UserData, int32_t EventKind, HV_PROC Callback) noexcept;

  HV_HINT_PROC HintCallback() const noexcept { return FHintCallback.load(); }
  HV_LOG_PROC LogCallback() const noexcept { return FLogCallback.load(); }
  void* UserData() const noexcept { return FUserData.load(); }

 protected:
  TLibTransLogAdapter() = default;
  ~TLibTransLogAdapter() override = default;

 private:
  std::atomic<int32_t> FRefCount{0};
  // Atomic so that a racing EngineSetEvent cannot tear a pointer; the pair is still not a unit.
  std::atomic<HV_HINT_PROC> FHintCallback{nullptr};
  std::atomic<HV_LOG_PROC> FLogCallback{nullptr};
  std::atomic<void*> FUserData{nullptr};
};

}  // namespace halvern
