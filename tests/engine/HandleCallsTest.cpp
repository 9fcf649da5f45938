// Calls on handles against removals: a call takes no reference and leaves nothing behind, a removed
// handle never resolves again, a port outlives every call inside it (whatever runs inside the call or on
// other threads) and goes as the last call leaves, and its closing work runs exactly once.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/FakePort.h"
#include "engine/HandleRegistry.h"

namespace halvern {
namespace {

using test::TFakePort;
using test::TProbe;

// Registers a new fake import port and lets go of the creator's reference: the registry (and any
// cache) then holds it alone, so the probe's Live count shows when the last reference went.
uint32_t AddPort(THandleRegistry& R, const std::shared_ptr<TProbe>& Probe) {
  TComPtr<ITransNode> Port = TFakePort::Create(1, Probe);
  return R.Add(Port.Get(), THandleKind::Port);
}

// The references on H's port.
int32_t RefsOf(THandleRegistry& R, uint32_t H) {
  const THandleRegistry::TCall Call = R.Enter(H, THandleKind::Port);
  TFakePort* const Port = Call ? TFakePort::From(Call.Port().Node) : nullptr;
  return Port ? Port->RefCount() : -1;
}

bool Resolves(THandleRegistry& R, uint32_t H) {
  return static_cast<bool>(R.Enter(H, THandleKind::Port));
}

// Closes a fake port (a finish as EngineFina gives one).
void ClosePort(IInterface* Obj) {
  TComPtr<IInterface>(Obj).Query<ITransNode>()->Close();
}

TEST(HandleCalls, CallsTakeNoReferenceAndARemovalReleasesAtOnce) {
  THandleRegistry R;
  auto Probe = std::make_shared<TProbe>();
  const uint32_t H = AddPort(R, Probe);
  for (int I = 0; I < 1000; ++I) {
    const THandleRegistry::TCall P = R.Enter(H, THandleKind::Port);
    ASSERT_TRUE(P);
    P.Port().Reader->MoveNext();
  }
  EXPECT_EQ(Probe->MoveNexts, 1000);
  EXPECT_EQ(RefsOf(R, H), 1) << "the registry's reference only";
  ASSERT_TRUE(R.Remove(H, THandleKind::Port));
  EXPECT_EQ(Probe->Live, 0);
  EXPECT_FALSE(Resolves(R, H));
}

TEST(HandleCalls, ARemovalOnAnotherThreadIsSeenAtTheNextCall) {
  auto R = std::make_unique<THandleRegistry>();
  auto Probe = std::make_shared<TProbe>();
  const uint32_t H = AddPort(*R, Probe);
  const uint32_t Kept = AddPort(*R, Probe);
  ASSERT_TRUE(Resolves(*R, H));
  ASSERT_TRUE(Resolves(*R, Kept));
  std::thread([&] { EXPECT_TRUE(R->Remove(H, THandleKind::Port)); }).join();
  EXPECT_EQ(Probe->Live, 1) << "no call was inside: the port went at once";
  EXPECT_FALSE(Resolves(*R, H)) << "a removed handle must not resolve";
  EXPECT_TRUE(Resolves(*R, Kept));
  R.reset();
  EXPECT_EQ(Probe->Live, 0);
}

// A call inside a call (an event procedure calling back in) removes the outer call's handle, with its
// closing work, and calls on another port: the outer call's port stays alive and open until the outer
// call ends, and then is closed once and goes.
TEST(HandleCalls, ACallInsideACallLeavesTheOuterCallsPortAlone) {
  THandleRegistry R;
  auto Probe = std::make_shared<TProbe>();
  const uint32_t Outer = AddPort(R, Probe);
  const uint32_t Other = AddPort(R, Probe);
  {
    const THandleRegistry::TCall Call = R.Enter(Outer, THandleKind::Port);
    ASSERT_TRUE(Call);
    {
      const THandleRegistry::TCall Again = R.Enter(Outer, THandleKind::Port);
      ASSERT_TRUE(R.Remove(Outer, THandleKind::Port, &ClosePort));
      EXPECT_FALSE(R.Remove(Outer, THandleKind::Port, &ClosePort)) << "one removal gets it";
      const THandleRegistry::TCall Inner = R.Enter(Other, THandleKind::Port);
      ASSERT_TRUE(Inner);
      EXPECT_NE(Inner.Port().Node, Call.Port().Node);
      EXPECT_FALSE(Resolves(R, Outer));
    }
    EXPECT_EQ(Probe->Live, 2);
    EXPECT_EQ(Probe->Closed, 0) << "closed under a running call";
    Call.Port().Reader->MoveNext();  // under ASan, a destroyed port fails here
    EXPECT_EQ(Probe->MoveNexts, 1);
  }
  EXPECT_EQ(Probe->Closed, 1) << "closed as the last call left";
  EXPECT_EQ(Probe->Live, 1);
  EXPECT_TRUE(Resolves(R, Other));
}

// A thread that resolves a handle (filling its slot) and then idles, alive, until it is let go.
class TIdleCaller {
 public:
  TIdleCaller(THandleRegistry& R, uint32_t H) {
    FThread = std::thread([this, &R, H] {
      EXPECT_TRUE(Resolves(R, H));
      std::unique_lock Lock(FLock);
      FStage = 1;
      FChanged.notify_all();
      FChanged.wait(Lock, [this] { return FStage == 2; });
    });
    std::unique_lock Lock(FLock);
    FChanged.wait(Lock, [this] { return FStage == 1; });
  }
  // Lets the thread end and waits for it.
  void Finish() {
    {
      std::lock_guard Lock(FLock);
      FStage = 2;
    }
    FChanged.notify_all();
    FThread.join();
  }
  ~TIdleCaller() {
    if (FThread.joinable()) Finish();
  }

 private:
  std::mutex FLock;
  std::condition_variable FChanged;
  int FStage = 0;
  std::thread FThread;
};

TEST(HandleCalls, AThreadThatCalledHoldsNothing) {
  THandleRegistry R;
  auto Probe = std::make_shared<TProbe>();
  const uint32_t H = AddPort(R, Probe);
  TIdleCaller Worker(R, H);
  ASSERT_TRUE(R.Remove(H, THandleKind::Port, &ClosePort));
  EXPECT_EQ(Probe->Closed, 1);
  EXPECT_EQ(Probe->Live, 0) << "the idle worker keeps nothing of the port";
  Worker.Finish();
}

TEST(HandleCalls, ARegistrysEndReleasesWithoutClosing) {
  auto R = std::make_unique<THandleRegistry>();
  auto Probe = std::make_shared<TProbe>();
  const uint32_t H = AddPort(*R, Probe);
  TIdleCaller Worker(*R, H);
  R.reset();
  EXPECT_EQ(Probe->Live, 0);
  EXPECT_EQ(Probe->Closed, 0);
  Worker.Finish();
}

// Callers run record calls while a finisher removes their handles, with their closing work, and registers
// fresh ports: no call may see a closed or destroyed port (the address and thread sanitizers watch), each
// port is closed exactly once, and every port goes in the end.
TEST(HandleCalls, HammerOfCallsAgainstRemovals) {
  auto R = std::make_unique<THandleRegistry>();
  auto Probe = std::make_shared<TProbe>();
  constexpr int Ports = 8;
  constexpr int Rounds = 2000;
  std::vector<std::atomic<uint32_t>> Handles(Ports);
  for (auto& H : Handles) H = AddPort(*R, Probe);
  std::atomic<bool> Done{false};
  std::atomic<int> Calls{0};
  std::atomic<bool> ClosedSeen{false};
  std::vector<std::thread> Callers;
  for (int T = 0; T < 3; ++T) {
    Callers.emplace_back([&, T] {
      for (int I = T; !Done; I = (I + 1) % Ports) {
        const THandleRegistry::TCall P = R->Enter(Handles[static_cast<size_t>(I)], THandleKind::Port);
        if (!P) continue;
        if (TFakePort::From(P.Port().Node)->IsClosed()) ClosedSeen = true;
        P.Port().Reader->MoveNext();
        ++Calls;
      }
    });
  }
  for (int Round = 0; Round < Rounds; ++Round) {
    auto& H = Handles[static_cast<size_t>(Round % Ports)];
    const uint32_t Old = H;
    H = AddPort(*R, Probe);
    ASSERT_TRUE(R->Remove(Old, THandleKind::Port, &ClosePort));
    if (Round % 64 == 0) std::this_thread::yield();
  }
  Done = true;
  for (auto& T : Callers) T.join();
  EXPECT_GT(Calls.load(), 0);
  EXPECT_EQ(Probe->MoveNexts.load(), Calls.load());
  EXPECT_FALSE(ClosedSeen) << "a call ran on a closed port";
  EXPECT_EQ(Probe->Closed, Rounds);
  EXPECT_EQ(Probe->Live, Ports);
  R.reset();
  EXPECT_EQ(Probe->Live, 0);
}

}  // namespace
}  // namespace halvern
