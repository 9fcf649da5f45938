#include "engine/FakePort.h"

#include "platform/TextCompare.h"

namespace halvern::test {

TComPtr<ITransNode> TFakePort::Create(int32_t Kind, std::shared_ptr<TProbe> Probe,
                                      std::vector<int32_t> Types) {
  return TComPtr<ITransNode>(new TFakePort(Kind, std::move(Probe), Types));
}

TFakePort::TFakePort(int32_t Kind, std::shared_ptr<TProbe> Probe, const std::vector<int32_t>& Types)
    : FProbe(std::move(Probe)), FKind(Kind), FColumnCount(Types.size()) {
  ++FProbe->Live;
  IInterface* Self = static_cast<ITransNode*>(this);
  for (size_t I = 0; I < Types.size(); ++I) {
    FReaders.push_back(std::make_unique<TFakeReaderColumn>(Self, static_cast<int32_t>(I), Types[I]));
    FWriters.push_back(std::make_unique<TFakeWriterColumn>(Self, static_cast<int32_t>(I), Types[I]));
  }
}

TFakePort::~TFakePort() {
  --FProbe->Live;
}

HRESULT HV_STDCALL TFakePort::QueryInterface(const TGuid& Iid, void** Obj) {
  *Obj = nullptr;
  if (Iid == IInterface::IID || Iid == ITransNode::IID) {
    *Obj = static_cast<ITransNode*>(this);
  } else if (Iid == ITransPort::IID) {
    *Obj = static_cast<ITransPort*>(static_cast<IDataReader*>(this));
  } else if (Iid == IDataReader::IID && FKind == 1) {
    *Obj = static_cast<IDataReader*>(this);
  } else if (Iid == IDataWriter::IID && FKind == 2) {
    *Obj = static_cast<IDataWriter*>(this);
  } else if (Iid == ITransObject::IID) {
    *Obj = static_cast<ITransObject*>(this);
  } else if (Iid == ITransEvents::IID) {
    // Delegated to the stored sink.
    return FEvents ? FEvents->QueryInterface(Iid, Obj) : E_NOINTERFACE;
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

void HV_STDCALL TFakePort::GetField(int32_t Index, ITransField** Field) {
  *Field = nullptr;
  if (Index < 0 || static_cast<size_t>(Index) >= FColumnCount) return;
  // An export port's columns are writers, an import port's readers.
  if (FKind == 2)
    *Field = static_cast<TCustomTransField*>(FWriters[static_cast<size_t>(Index)].get());
  else
    *Field = static_cast<TCustomTransField*>(FReaders[static_cast<size_t>(Index)].get());
  (*Field)->AddRef();
}

void HV_STDCALL TFakePort::FindField(const std::string& Name, ITransField** Field) {
  *Field = nullptr;
  for (size_t I = 0; I < FColumnCount; ++I) {
    TComPtr<ITransField> F;
    GetField(static_cast<int32_t>(I), F.Put());
    if (F && platform::SameText(F->GetName(), Name)) {
      *Field = F.Detach();
      return;
    }
  }
}

bool HV_STDCALL TFakePort::CreateConfigPage(IConfigPageEx** Page) {
  *Page = nullptr;
  if (!MakesPage) return false;
  *Page = new TFakePage(TComPtr<ITransNode>(this), FProbe);
  (*Page)->AddRef();
  return true;
}

}  // namespace halvern::test
