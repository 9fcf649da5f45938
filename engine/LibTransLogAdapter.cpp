#include "engine/LibTransLogAdapter.h"

namespace halvern {

TComPtr<ITransEvents> TLibTransLogAdapter::Create() {
  return TComPtr<ITransEvents>(new TLibTransLogAdapter);
}

HRESULT HV_STDCALL TLibTransLogAdapter::QueryInterface(const TGuid& Iid, void** Obj) {
  if (!Obj) return E_NOINTERFACE;
  if (Iid == IInterface::IID || Iid == ITransEvents::IID) {
    *Obj = static_cast<ITransEvents*>(this);
  } else if (Iid == ITransObject::IID) {
    *Obj = static_cast<ITransObject*>(this);
  } else {
    *Obj = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

int32_t HV_STDCALL TLibTransLogAdapter::AddRef() {
  return ++FRefCount;
}

int32_t HV_STDCALL TLibTransLogAdapter::Release() {
  const int32_t Count = --FRefCount;
  if (Count == 0) delete this;
  return Count;
}

void HV_STDCALL TLibTransLogAdapter::LogMessage(int32_t Code, const std::string& Text) {
  if (HV_LOG_PROC Proc = FLogCallback.load()) Proc(FUserData.load(), Code, Text.c_str());
}

void HV_STDCALL TLibTransLogAdapter::ShowHint(const std::string& Caption, const std::string& Text) {
  if (HV_HINT_PROC Proc = FHintCallback.load()) Proc(FUserData.load(), Caption.c_str(), Text.c_str());
}

void TLibTransLogAdapter::SetCallback(void* UserData, int32_t EventKind, HV_PROC Callback) noexcept {
  FUserData.store(UserData);
  // The host registered a procedure of the kind's own signature behind the generic pointer type.
  switch (EventKind) {
    case EVENT_LOG_MESSAGE: FLogCallback.store(reinterpret_cast<HV_LOG_PROC>(Callback)); break;
    case EVENT_SHOW_HINT: FHintCallback.store(reinterpret_cast<HV_HINT_PROC>(Callback)); break;
    default: break;
  }
}

}  // namespace halvern
