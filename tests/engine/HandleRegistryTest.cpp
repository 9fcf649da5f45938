#include <gtest/gtest.h>

#include <atomic>
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

TEST(HandleRegistry, IssuesDistinctNonZeroTokensAndNeverReusesThem) {
  auto R = CreateHandleRegistry();
  TCounted A, B;
  const uint32_t HA = R->Add(&A, THandleKind::Port);
  const uint32_t HB = R->Add(&B, THandleKind::Port);
  EXPECT_NE(HA, 0u);
  EXPECT_NE(HB, 0u);
  EXPECT_NE(HA, HB);
  EXPECT_EQ(R->Add(nullptr, THandleKind::Port), 0u);
  ASSERT_TRUE(R->Remove(HA));
  const uint32_t HA2 = R->Add(&A, THandleKind::Port);
  EXPECT_NE(HA2, HA) << "a stale handle must not reach the object registered again";
  EXPECT_FALSE(R->Resolve(HA, THandleKind::Port));
  EXPECT_EQ(R->Resolve(HA2, THandleKind::Port).Get(), &A);
  R->Clear();
  EXPECT_EQ(A.Count, 0);
  EXPECT_EQ(B.Count, 0);
}

TEST(HandleRegistry, WrapsPastZero) {
  auto R = CreateHandleRegistry(0xFFFFFFFEu);
  TCounted A, B, C;
  EXPECT_EQ(R->Add(&A, THandleKind::Port), 0xFFFFFFFEu);
  EXPECT_EQ(R->Add(&B, THandleKind::Port), 0xFFFFFFFFu);
  EXPECT_EQ(R->Add(&C, THandleKind::Page), 1u);
}

TEST(HandleRegistry, HoldsOneReferencePerEntryAndRemovesOneAtATime) {
  auto R = CreateHandleRegistry();
  TCounted A;
  const uint32_t H = R->Add(&A, THandleKind::Port);
  EXPECT_EQ(A.Count, 1);
  EXPECT_EQ(R->Add(&A, THandleKind::Port), H) << "a duplicate add shares the handle";
  EXPECT_EQ(A.Count, 2);
  EXPECT_EQ(R->Count(), 1u);
  {
    TComPtr<IInterface> Held = R->Resolve(H, THandleKind::Port);
    EXPECT_EQ(A.Count, 3);
  }
  EXPECT_EQ(A.Count, 2);
  EXPECT_TRUE(R->Remove(H));
  EXPECT_EQ(A.Count, 1);
  EXPECT_TRUE(R->Resolve(H, THandleKind::Port)) << "still live: it was added twice";
  EXPECT_TRUE(R->RemoveObject(&A, THandleKind::Port));
  EXPECT_EQ(A.Count, 0);
  EXPECT_FALSE(R->Remove(H));
  EXPECT_FALSE(R->RemoveObject(&A, THandleKind::Port));
  EXPECT_EQ(R->Count(), 0u);
}

TEST(HandleRegistry, KindMustMatch) {
  auto R = CreateHandleRegistry();
  TCounted Port, Page;
  const uint32_t HP = R->Add(&Port, THandleKind::Port);
  const uint32_t HG = R->Add(&Page, THandleKind::Page);
  EXPECT_FALSE(R->Resolve(HP, THandleKind::Page));
  EXPECT_FALSE(R->Resolve(HG, THandleKind::Port));
  EXPECT_TRUE(R->Resolve(HG, THandleKind::Page));
  EXPECT_EQ(R->HandleOf(&Port, THandleKind::Port), HP);
  EXPECT_EQ(R->HandleOf(&Port, THandleKind::Page), 0u);
  EXPECT_EQ(R->HandleOf(&Page, THandleKind::Page), HG);
  TCounted Stranger;
  EXPECT_EQ(R->HandleOf(&Stranger), 0u);
  EXPECT_FALSE(R->Resolve(0, THandleKind::Port));
  R->Remove(HP);
  EXPECT_EQ(R->HandleOf(&Port), 0u);
}

// Handles come and go in a pattern that leaves long probe runs behind removals: every live handle still
// reaches its own object, and every removed one reaches nothing.
TEST(HandleRegistry, EveryLiveHandleResolvesThroughChurn) {
  auto R = CreateHandleRegistry(0xFFFFF000u);  // the counter wraps past 0 on the way
  std::vector<TCounted> Objects(5000);
  std::vector<uint32_t> Handles;
  for (TCounted& O : Objects) Handles.push_back(R->Add(&O, THandleKind::Port));
  for (size_t I = 0; I < Objects.size(); I += 3) ASSERT_TRUE(R->Remove(Handles[I]));
  for (size_t I = 0; I < Objects.size(); I += 3) Handles[I] = R->Add(&Objects[I], THandleKind::Page);
  for (size_t I = 1; I < Objects.size(); I += 3) ASSERT_TRUE(R->RemoveObject(&Objects[I]));
  EXPECT_EQ(R->Count(), Objects.size() - (Objects.size() + 1) / 3);
  for (size_t I = 0; I < Objects.size(); ++I) {
    const THandleKind Kind = I % 3 == 0 ? THandleKind::Page : THandleKind::Port;
    const bool Live = I % 3 != 1;
    EXPECT_NE(Handles[I], 0u);
    EXPECT_EQ(R->Resolve(Handles[I], Kind).Get(), Live ? &Objects[I] : nullptr) << I;
    EXPECT_EQ(R->HandleOf(&Objects[I], Kind), Live ? Handles[I] : 0u) << I;
    EXPECT_EQ(Objects[I].Count, Live ? 1 : 0) << I;
  }
  R->Clear();
  for (const TCounted& O : Objects) ASSERT_EQ(O.Count, 0);
}

TEST(HandleRegistry, ResolvePortHandsOutThePortsInterfaces) {
  auto R = CreateHandleRegistry();
  auto Probe = std::make_shared<test::TProbe>();
  TComPtr<ITransNode> Import = test::TFakePort::Create(1, Probe);
  TComPtr<ITransNode> Export = test::TFakePort::Create(2, Probe);
  const uint32_t HI = R->Add(Import.Get(), THandleKind::Port);
  const uint32_t HE = R->Add(Export.Get(), THandleKind::Port);
  TCounted Page;
  const uint32_t HG = R->Add(&Page, THandleKind::Page);
  {
    const TResolvedPort P = R->ResolvePort(HI);
    ASSERT_TRUE(P);
    EXPECT_EQ(P.View.Node, Import.Get());
    ASSERT_NE(P.View.Reader, nullptr);
    EXPECT_EQ(P.View.Writer, nullptr);
    EXPECT_EQ(P.View.Fields, nullptr) << "the fake has no fast column access";
    P.View.Reader->MoveNext();
    EXPECT_EQ(Probe->MoveNexts, 1);
  }
  const TResolvedPort E = R->ResolvePort(HE);
  EXPECT_EQ(E.View.Reader, nullptr);
  ASSERT_NE(E.View.Writer, nullptr);
  E.View.Writer->Append();
  EXPECT_EQ(Probe->Appends, 1);
  EXPECT_FALSE(R->ResolvePort(HG)) << "a page handle names no port";
  EXPECT_FALSE(R->ResolvePort(0));
  EXPECT_FALSE(R->ResolvePort(HG + 1000));
  R->Clear();
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
    if (--FCount == 0) Removed = FRegistry.Remove(FOther);
    return FCount;
  }
  bool Removed = false;

 private:
  THandleRegistry& FRegistry;
  uint32_t FOther;
  int32_t FCount = 0;
};

TEST(HandleRegistry, ReleasesOutsideItsLock) {
  auto R = CreateHandleRegistry();
  TCounted Work;
  const uint32_t HW = R->Add(&Work, THandleKind::Port);
  TChained Page(*R, HW);
  const uint32_t HP = R->Add(&Page, THandleKind::Page);
  ASSERT_TRUE(R->Remove(HP));  // would deadlock if the release ran under the lock
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

// Many threads add, resolve and remove while others remove what a resolver still holds: a resolved
// reference always keeps its object alive, and every count returns to zero.
TEST(HandleRegistry, HammerFromManyThreads) {
  auto R = CreateHandleRegistry();
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
          TComPtr<IInterface> Held = R->Resolve(Handles[I], THandleKind::Port);
          if (!Held) continue;
          ++Resolved;
          std::this_thread::yield();
          if (static_cast<TCounted*>(Held.Get())->Count.load() < 1) Failed = true;
        }
      }
    });
  }
  // The finisher: removes and re-registers, like EngineFina followed by EngineInit.
  Threads.emplace_back([&] {
    for (int Round = 0; Round < Rounds; ++Round) {
      for (int I = 0; I < Objects; ++I) {
        const uint32_t Old = Handles[I];
        if (!R->Remove(Old)) Failed = true;
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
