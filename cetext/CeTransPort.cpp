#include "cetext/CeTransPort.h"

#include <utility>

#include "cetext/CeFactories.h"
#include "platform/TextCompare.h"

namespace halvern {

void TCeTransPort::ReportError(const std::string& Text) {
  if (FEvents) FEvents->LogMessage(EVENT_CODE_TRANSFER, Text);
}

bool TCeTransPort::GetInterface(const TGuid& Iid, void** Obj) {
  if (Iid == IInterface::IID || Iid == ITransNode::IID) {
    *Obj = static_cast<ITransNode*>(this);
  } else if (Iid == ITransPort::IID) {
    *Obj = static_cast<ITransPort*>(this);
  } else if (Iid == ITransObject::IID) {
    *Obj = static_cast<ITransObject*>(this);
  } else {
    return false;
  }
  return true;
}

HRESULT HV_STDCALL TCeTransPort::QueryInterface(const TGuid& Iid, void** Obj) {
  if (Obj == nullptr) return E_NOINTERFACE;
  *Obj = nullptr;
  // The port does not implement the event operations: it hands out the sink the host attached.
  if (Iid == ITransEvents::IID) {
    if (!FEvents) return E_NOINTERFACE;
    *Obj = TComPtr<ITransEvents>(FEvents).Detach();
    return S_OK;
  }
  if (!GetInterface(Iid, Obj)) return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

int32_t HV_STDCALL TCeTransPort::AddRef() {
  return ++FRefCount;
}

int32_t HV_STDCALL TCeTransPort::Release() {
  const int32_t Count = --FRefCount;
  if (Count == 0) delete this;
  return Count;
}

void HV_STDCALL TCeTransPort::GetPort(ITransPort** Port) {
  if (Port == nullptr) return;
  *Port = static_cast<ITransPort*>(this);
  AddRef();
}

bool HV_STDCALL TCeTransPort::Initialize(int32_t Kind) {
  FKind = Kind;
  return true;
}

bool HV_STDCALL TCeTransPort::CreateConfigPage(IConfigPageEx** Page) {
  if (Page == nullptr) return false;
  *Page = nullptr;
  // The page keeps a reference to this port for as long as it exists.
  if (const TConfigPageFactory Factory = ConfigPageFactory()) *Page = Factory(*this).Detach();
  return *Page != nullptr;
}

void TCeTransPort::ApplySettings(const TPortSettings& Settings) {
  // Copied first: should memory run out, the port keeps all of its settings.
  TakeSettings(TPortSettings(Settings));
}

void TCeTransPort::TakeSettings(TPortSettings&& Settings) noexcept {
  FFileName = std::move(Settings.FileName);
  FHasTitle = Settings.HasTitle;
  FColumns = std::move(Settings.Columns);
}

TComPtr<ITransNode> TCeTransPort::CreateWorkingCopy() const {
  // A port of this class starts with the class's defaults; the copy then takes this port's settings.
  TComPtr<ITransNode> Node = CreateSameClass();
  auto* Work = dynamic_cast<TCeTransPort*>(Node.Get());
  if (!Work) return {};
  Node->Initialize(FKind);
  Work->ApplySettings(Settings());
  return Node;
}

void HV_STDCALL TCeTransPort::FindField(const std::string& Name, ITransField** Field) {
  if (Field == nullptr) return;
  *Field = nullptr;
  for (size_t I = 0; I < FColumns.size(); ++I) {
    if (platform::SameText(FColumns[I], Name)) {
      GetField(static_cast<int32_t>(I), Field);
      return;
    }
  }
}

void HV_STDCALL TCeTransPort::GetField(int32_t, ITransField** Field) {
  if (Field != nullptr) *Field = nullptr;
}

}  // namespace halvern
