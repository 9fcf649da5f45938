// A clean library state per test: an empty registry and the fake factories in the engine's slots.
#pragma once

#include <gtest/gtest.h>

#include "engine/EngineState.h"
#include "engine/FakePort.h"
#include "engine/HandleRegistry.h"
#include "halvern.h"

namespace halvern::test {

// The port registered under H, or empty: what the tests look at behind the exports.
inline TComPtr<ITransNode> PortUnder(uint32_t H) {
  const THandleRegistry::TCall Call = GetHandleRegistry().Enter(H, THandleKind::Port);
  return TComPtr<ITransNode>(Call ? Call.Port().Node : nullptr);
}

// The probe the fake factories give their ports.
inline std::shared_ptr<TProbe>& FactoryProbe() {
  static std::shared_ptr<TProbe> Probe;
  return Probe;
}

inline TComPtr<ITransNode> MakeFakeImport() {
  return TFakePort::Create(1, FactoryProbe());
}
inline TComPtr<ITransNode> MakeFakeExport() {
  return TFakePort::Create(2, FactoryProbe());
}

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GetHandleRegistry().Clear();
    FactoryProbe() = Probe;
    TEngineIdentity Id;
    Id.Name = "Name17-----------";
    Id.Description = "Description";
    Id.TypeNumber = 3;
    Id.ImportPortFactory = &MakeFakeImport;
    Id.ExportPortFactory = &MakeFakeExport;
    SetEngineIdentity(Id);
  }
  void TearDown() override {
    GetHandleRegistry().Clear();
    ClearEngineIdentity();
    EXPECT_EQ(Probe->Live, 0) << "a fake port outlived its handles";
  }

  // A registered fake port of the given kind; Port points at it while the registry holds it.
  uint32_t Register(int32_t Kind, std::vector<int32_t> Types = {ftString, ftString}) {
    TComPtr<ITransNode> Node = TFakePort::Create(Kind, Probe, std::move(Types));
    Port = TFakePort::From(Node.Get());
    return GetHandleRegistry().Add(Node.Get(), THandleKind::Port);
  }

  std::shared_ptr<TProbe> Probe = std::make_shared<TProbe>();
  TFakePort* Port = nullptr;
};

}  // namespace halvern::test
