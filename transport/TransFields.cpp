#include "transport/TransFields.h"

#include <cstdio>

namespace halvern {

HRESULT HV_STDCALL TCollectObject::QueryInterface(const TGuid& Iid, void** Obj) {
  if (!Obj) return E_NOINTERFACE;
  *Obj = nullptr;
  if (!GetInterface(Iid, Obj)) {
    *Obj = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

int32_t HV_STDCALL TCollectObject::AddRef() {
  IInterface* Owner = FController.load();
  if (!Owner) return 0;
  ++FRefCount;
  return Owner->AddRef();
}

int32_t HV_STDCALL TCollectObject::Release() {
  IInterface* Owner = FController.load();
  if (!Owner) return 0;
  --FRefCount;
  // Never destroys this object: the port owns it.
  return Owner->Release();
}

bool TCollectObject::GetInterface(const TGuid& Iid, void** Obj) {
  if (Iid == IInterface::IID) {
    *Obj = static_cast<IInterface*>(this);
    return true;
  }
  return false;
}

void TCollectObject::ReleaseController() noexcept {
  IInterface* Owner = FController.exchange(nullptr);
  if (!Owner) return;
  for (int32_t N = FRefCount.exchange(0); N > 0; --N) Owner->Release();
}

std::string HV_STDCALL TCustomTransField::GetName() {
  if (!FName.empty()) return FName;
  // "列(%d)": the column's position stands in for a missing name.
  char Text[32];
  std::snprintf(Text, sizeof Text, "\xC1\xD0(%d)", static_cast<int>(GetIndex()));
  return Text;
}

bool TCustomTransField::GetInterface(const TGuid& Iid, void** Obj) {
  if (Iid == ITransField::IID) {
    *Obj = static_cast<ITransField*>(this);
    return true;
  }
  return TCollectObject::GetInterface(Iid, Obj);
}

bool TCustomFieldReader::GetInterface(const TGuid& Iid, void** Obj) {
  if (Iid == IFieldReader::IID) {
    *Obj = static_cast<IFieldReader*>(this);
    return true;
  }
  return TCustomTransField::GetInterface(Iid, Obj);
}

bool TCustomFiledWriter::GetInterface(const TGuid& Iid, void** Obj) {
  if (Iid == IFieldWriter::IID) {
    *Obj = static_cast<IFieldWriter*>(this);
    return true;
  }
  return TCustomTransField::GetInterface(Iid, Obj);
}

}  // namespace halvern
