#include "ConfigTestSupport.h"

namespace halvern::test {

TComPtr<ITransNode> TFakePort::Make(std::vector<std::string> Defaults, int32_t Kind) {
  auto* Port = new TFakePort;
  TComPtr<ITransNode> Node(static_cast<ITransNode*>(Port));
  Port->FDefaults = std::move(Defaults);
  Port->FColumns = Port->FDefaults;
  Port->FKind = Kind;
  return Node;
}

HRESULT HV_CALL TFakePort::QueryInterface(const TGuid& Iid, void** Obj) {
  *Obj = nullptr;
  if (Iid == IInterface::IID || Iid == ITransNode::IID)
    *Obj = static_cast<ITransNode*>(this);
  else if (Iid == ITransPort::IID)
    *Obj = static_cast<ITransPort*>(this);
  else if (Iid == ITransObject::IID)
    *Obj = static_cast<ITransObject*>(this);
  else if (Iid == ITransEvents::IID && FEvents)
    return FEvents->QueryInterface(Iid, Obj);
  if (!*Obj) return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

}  // namespace halvern::test
