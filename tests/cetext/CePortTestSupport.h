// Scaffolding of the port tests: a counting event sink that records what a port reports, and helpers
// that walk a port the way the host's exports do.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <utility>
#include <vector>

#include "cetext/CeFactories.h"
#include "cetext/CeTransPort.h"
#include "transport/TransDefine.h"

namespace halvern::test {

// Records every LogMessage; counts its references exactly.
class TRecordingEvents final : public ITransEvents {
 public:
  HRESULT HV_STDCALL QueryInterface(const TGuid& Iid, void** Obj) override {
    if (Obj == nullptr) return E_NOINTERFACE;
    if (Iid == IInterface::IID || Iid == ITransEvents::IID) {
      *Obj = static_cast<ITransEvents*>(this);
      AddRef();
      return S_OK;
    }
    *Obj = nullptr;
    return E_NOINTERFACE;
  }
  int32_t HV_STDCALL AddRef() override { return ++Refs; }
  int32_t HV_STDCALL Release() override { return --Refs; }
  void HV_STDCALL LogMessage(int32_t Code, const std::string& Text) override { Log.emplace_back(Code, Text); }
  void HV_STDCALL ShowHint(const std::string&, const std::string&) override {}
  void HV_STDCALL SignalEvent(int32_t, int32_t, int32_t) override {}

  std::atomic<int32_t> Refs{0};
  std::vector<std::pair<int32_t, std::string>> Log;
};

template <class T>
TComPtr<T> As(const TComPtr<ITransNode>& Node) {
  return Node.Query<T>();
}

inline TComPtr<ITransField> Field(ITransPort* Port, int32_t Index) {
  TComPtr<ITransField> F;
  Port->GetField(Index, F.Put());
  return F;
}

// Every record of an import port as read through its columns, the way the host walks it.
inline std::vector<std::vector<std::string>> ReadAll(const TComPtr<ITransNode>& Node) {
  auto Reader = As<IDataReader>(Node);
  std::vector<std::vector<std::string>> Records;
  Reader->MoveFirst();
  while (!Reader->IsEof()) {
    std::vector<std::string> Values;
    for (int32_t I = 0; I < Reader->GetFieldCount(); ++I)
      Values.push_back(Field(Reader.Get(), I).Query<IFieldReader>()->GetAsString());
    Records.push_back(std::move(Values));
    Reader->MoveNext();
  }
  return Records;
}

// Appends and posts each record through the export port's columns.
inline void WriteAll(const TComPtr<ITransNode>& Node, const std::vector<std::vector<std::string>>& Records) {
  auto Writer = As<IDataWriter>(Node);
  for (const auto& Record : Records) {
    Writer->Append();
    for (size_t I = 0; I < Record.size(); ++I)
      Field(Writer.Get(), static_cast<int32_t>(I)).Query<IFieldWriter>()->SetAsString(Record[I]);
    Writer->Post();
  }
}

}  // namespace halvern::test
