#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "engine/FakePort.h"
#include "engine/HandleRegistry.h"

namespace halvern {
namespace {

// Counts references exactly.
class TCounted final : public IInterface {
 public:
  HRESULT HV_STDCALL QueryInterface(const TGuid&, void** Obj) override {
    *Obj = nullptr;
    return E_NOINTERFACE;
  }
  int32_t HV_STDCALL AddRef() override { return ++Count; }
  int32_t HV_STDCALL Release() override { return --Count; }
  std::atomic<int32_t> Count{0};
};

// The object a call on H of that kind reaches, or null.
IInterface* ObjectUnder(THandleRegistry& R, uint32_t H, THandleKind Kind = THandleKind::Port) {
  const THandleRegistry::TCall Call = R.Enter(H, Kind);
  return Call ? Call.Object() : nullptr;
}

TEST(HandleRegistry, IssuesDistinctNonZeroHandlesAndDoesNotSoonReissueThem) {
  THandleRegistry R;
  TCounted A, B;
  const uint32_t HA = R.Add(&A, THandleKind::Port);
  const uint32_t HB = R.Add(&B, THandleKind::Port);
  EXPECT_NE(HA, 0u);
  EXPECT_NE(HB, 0u);
  EXPECT_NE(HA, HB);
  EXPECT_EQ(R.Add(nullptr, THandleKind::Port), 0u);
  ASSERT_TRUE(R.Remove(HA, THandleKind::Port));
  const uint32_t HA2 = R.Add(&A, THandleKind::Port);
  EXPECT_NE(HA2, HA) << "a stale handle must not reach the object registered again";
  EXPECT_EQ(ObjectUnder(R, HA), nullptr);
  EXPECT_EQ(ObjectUnder(R, HA2), &A);
  // A port made and finished again and again: no value comes back.
  std::set<uint32_t> Seen{HA, HB, HA2};
  for (uint32_t I = 0; I < 3 * THandleRegistry::kReuseAfter; ++I) {
    const uint32_t H = R.Add(&B, THandleKind::Page);
    EXPECT_TRUE(Seen.insert(H).second) << I;
    ASSERT_TRUE(R.Remove(H, THandleKind::Page));
  }
  R.Clear();
  EXPECT_EQ(A.Count, 0);
  EXPECT_EQ(B.Count, 0);
}

// With a slot reused at once, its generation runs through every value but 0 before the slot's first
// handle comes back.
TEST(HandleRegistry, AGenerationWrapsPastZero) {
  THandleRegistry R(0);
  TCounted A;
  const uint32_t First = R.Add(&A, THandleKind::Port);
  uint32_t Last = First;
  for (uint32_t I = 1; I < THandleRegistry::kMaxGeneration; ++I) {
    ASSERT_TRUE(R.Remove(Last, THandleKind::Port));
    const uint32_t H = R.Add(&A, THandleKind::Port);
    ASSERT_NE(H >> THandleRegistry::kSlotBits, 0u) << I;
    ASSERT_NE(H, First) << I;
    Last = H;
  }
  ASSERT_TRUE(R.Remove(Last, THandleKind::Port));
  EXPECT_EQ(R.Add(&A, THandleKind::Port), First);
  R.Clear();
}

TEST(HandleRegistry, HoldsOneReferencePerEntryAndRemovesOneAtATime) {
  THandleRegistry Registry;
  THandleRegistry* R = &Registry;
  TCounted A;
  const uint32_t H = R->Add(&A, THandleKind::Port);
  EXPECT_EQ(A.Count, 1);
  EXPECT_EQ(R->Add(&A, THandleKind::Port), H) << "a duplicate add shares the handle";
  EXPECT_EQ(A.Count, 2);
  EXPECT_EQ(R->Count(), 1u);
  {
    const THandleRegistry::TCall Call = R->Enter(H, THandleKind::Port);
    EXPECT_EQ(Call.Object(), &A);
    EXPECT_EQ(A.Count, 2) << "a call takes no reference of its own";
  }
  EXPECT_TRUE(R->Remove(H, THandleKind::Port));
  EXPECT_EQ(A.Count, 1);
  EXPECT_EQ(ObjectUnder(*R, H), &A) << "still live: it was added twice";
  EXPECT_TRUE(R->RemoveObject(&A, THandleKind::Port));
  EXPECT_EQ(A.Count, 0);
  EXPECT_FALSE(R->Remove(H, THandleKind::Port));
  EXPECT_FALSE(R->RemoveObject(&A, THandleKind::Port));
  EXPECT_EQ(R->Count(), 0u);
}

TEST(HandleRegistry, KindMustMatch) {
  THandleRegistry Registry;
  THandleRegistry* R = &Registry;
  TCounted Port, Page;
  const uint32_t HP = R->Add(&Port, THandleKind::Port);
  const uint32_t HG = R->Add(&Page, THandleKind::Page);
  EXPECT_FALSE(R->Enter(HP, THandleKind::Page));
  EXPECT_FALSE(R->Enter(HG, THandleKind::Port));
  EXPECT_FALSE(R->Remove(HG, THandleKind::Port));
  EXPECT_TRUE(R->Enter(HG, THandleKind::Page));
  EXPECT_EQ(R->HandleOf(&Port, THandleKind::Port), HP);
  EXPECT_EQ(R->HandleOf(&Port, THandleKind::Page), 0u);
  EXPECT_EQ(R->HandleOf(&Page, THandleKind::Page), HG);
  TCounted Stranger;
  EXPECT_EQ(R->HandleOf(&Stranger), 0u);
  EXPECT_FALSE(R->Enter(0, THandleKind::Port));
  R->Remove(HP, THandleKind::Port);
  EXPECT_EQ(R->HandleOf(&Port), 0u);
}

// Handles come and go, their slots reused at once: every live handle still reaches its own object, and
// every removed one reaches nothing.
TEST(HandleRegistry, EveryLiveHandleResolvesThroughChurn) {
  THandleRegistry Registry(0);
  THandleRegistry* R = &Registry;
  std::vector<TCounted> Objects(5000);
  std::vector<uint32_t> Handles;
  for (TCounted& O : Objects) Handles.push_back(R->Add(&O, THandleKind::Port));
  for (size_t I = 0; I < Objects.size(); I += 3) ASSERT_TRUE(R->Remove(Handles[I], THandleKind::Port));
  for (size_t I = 0; I < Objects.size(); I += 3) Handles[I] = R->Add(&Objects[I], THandleKind::Page);
  for (size_t I = 1; I < Objects.size(); I += 3) ASSERT_TRUE(R->RemoveObject(&Objects[I]));
  EXPECT_EQ(R->Count(), Objects.size() - (Objects.size() + 1) / 3);
  for (size_t I = 0; I < Objects.size(); ++I) {
    const THandleKind Kind = I % 3 == 0 ? THandleKind::Page : THandleKind::Port;
    const bool Live = I % 3 != 1;
    EXPECT_NE(Handles[I], 0u);
    EXPECT_EQ(ObjectUnder(*R, Handles[I], Kind), Live ? &Objects[I] : nullptr) << I;
    EXPECT_EQ(R->HandleOf(&Objects[I], Kind), Live ? Handles[I] : 0u) << I;
    EXPECT_EQ(Objects[I].Count, Live ? 1 : 0) << I;
  }
  R->Clear();
  for (const TCounted& O : Objects) ASSERT_EQ(O.Count, 0);
}

TEST(HandleRegistry, ACallHandsOutThePortsInterfaces) {
  THandleRegistry R;
  auto Probe = std::make_shared<test::TProbe>();
  TComPtr<ITransNode> Import = test::TFakePort::Create(1, Probe);
  TComPtr<ITransNode> Export = test::TFakePort::Create(2, Probe);
  const uint32_t HI = R.Add(Import.Get(), THandleKind::Port);
  const uint32_t HE = R.Add(Export.Get(), THandleKind::Port);
  TCounted Page;
  const uint32_t HG = R.Add(&Page, THandleKind::Page);
  {
    const THandleRegistry::TCall P = R.Enter(HI, THandleKind::Port);
    ASSERT_TRUE(P);
    EXPECT_EQ(P.Port().Node, Import.Get());
    ASSERT_NE(P.Port().Reader, nullptr);
    EXPECT_EQ(P.Port().Writer, nullptr);
    EXPECT_EQ(P.Port().Fields, nullptr) << "the fake has no fast column access";
    EXPECT_EQ(P.Page(), nullptr);
    P.Port().Reader->MoveNext();
    EXPECT_EQ(Probe->MoveNexts, 1);
  }
  const THandleRegistry::TCall E = R.Enter(HE, THandleKind::Port);
  EXPECT_EQ(E.Port().Reader, nullptr);
  ASSERT_NE(E.Port().Writer, nullptr);
  E.Port().Writer->Append();
  EXPECT_EQ(Probe->Appends, 1);
  EXPECT_FALSE(R.Enter(HG, THandleKind::Port)) << "a page handle names no port";
  EXPECT_FALSE(R.Enter(0, THandleKind::Port));
  EXPECT_FALSE(R.Enter(HG + 1000, THandleKind::Page));
  EXPECT_FALSE(R.Enter(0xFFFFFFFFu, THandleKind::Port));
}

// Unregisters another object when its last reference goes, as a page does with its working port.
class TChained : public IInterface {
 public:
  TChained(THandleRegistry& R, uint32_t Other) : FRegistry(R), FOther(Other) {}
  HRESULT HV_STDCALL QueryInterface(const TGuid&, void** Obj) override {
    *Obj = nullptr;
    return E_NOINTERFACE;
  }
  int32_t HV_STDCALL AddRef() override { return ++FCount; }
  int32_t HV_STDCALL Release() override {
    if (--FCount == 0) Removed = FRegistry.Remove(FOther, THandleKind::Port);
    return FCount;
  }
  bool Removed = false;

 private:
  THandleRegistry& FRegistry;
  uint32_t FOther;
  int32_t FCount = 0;
};

TEST(HandleRegistry, ReleasesOutsideItsLock) {
  THandleRegistry Registry;
  THandleRegistry* R = &Registry;
  TCounted Work;
  const uint32_t HW = R->Add(&Work, THandleKind::Port);
  TChained Page(*R, HW);
  const uint32_t HP = R->Add(&Page, THandleKind::Page);
  ASSERT_TRUE(R->Remove(HP, THandleKind::Page));  // would deadlock if the release ran under the lock
  EXPECT_TRUE(Page.Removed);
  EXPECT_EQ(Work.Count, 0);

  TCounted Other;
  R->Add(&Other, THandleKind::Port);
  TChained Page2(*R, R->HandleOf(&Other));
  R->Add(&Page2, THandleKind::Page);
  R->Clear();
  EXPECT_TRUE(Page2.Removed || Other.Count == 0);
  EXPECT_EQ(Other.Count, 0);
  EXPECT_EQ(R->Count(), 0u);
}

TEST(HandleRegistry, LibraryRegistryIsOneObject) {
  THandleRegistry* First = &GetHandleRegistry();
  std::atomic<THandleRegistry*> Seen{nullptr};
  std::thread T([&] { Seen = &GetHandleRegistry(); });
  T.join();
  EXPECT_EQ(Seen.load(), First);
}

// Many threads call in while another removes what a call is still inside: a call always finds its object
// alive, and every count returns to zero.
TEST(HandleRegistry, HammerFromManyThreads) {
  THandleRegistry Registry;
  THandleRegistry* R = &Registry;
  constexpr int Objects = 64;
  constexpr int Rounds = 300;
  std::vector<TCounted> Items(Objects);
  std::vector<std::atomic<uint32_t>> Handles(Objects);
  for (int I = 0; I < Objects; ++I) Handles[I] = R->Add(&Items[I], THandleKind::Port);

  std::atomic<bool> Failed{false};
  std::atomic<int> Resolved{0};
  std::vector<std::thread> Threads;
  // Resolvers: hold the reference for a moment while the finisher may remove the entry.
  for (int T = 0; T < 3; ++T) {
    Threads.emplace_back([&, T] {
      for (int Round = 0; Round < Rounds; ++Round) {
        for (int I = T; I < Objects; I += 3) {
          const THandleRegistry::TCall Call = R->Enter(Handles[I], THandleKind::Port);
          if (!Call) continue;
          ++Resolved;
          std::this_thread::yield();
          if (static_cast<TCounted*>(Call.Object())->Count.load() < 1) Failed = true;
        }
      }
    });
  }
  // The finisher: removes and re-registers, like EngineFina followed by EngineInit.
  Threads.emplace_back([&] {
    for (int Round = 0; Round < Rounds; ++Round) {
      for (int I = 0; I < Objects; ++I) {
        const uint32_t Old = Handles[I];
        if (!R->Remove(Old, THandleKind::Port)) Failed = true;
        const uint32_t New = R->Add(&Items[I], THandleKind::Port);
        if (New == Old) Failed = true;
        Handles[I] = New;
      }
    }
  });
  for (auto& T : Threads) T.join();
  EXPECT_FALSE(Failed);
  EXPECT_GT(Resolved.load(), 0);
  EXPECT_EQ(R->Count(), static_cast<size_t>(Objects));
  R->Clear();
  for (auto& Item : Items) EXPECT_EQ(Item.Count, 0);
}

}  // namespace
}  // namespace halvern
