// The per-thread port cache behind ResolvePort: a port is counted once per thread, not once per call, yet
// a removed handle never resolves again, a call's port outlives whatever runs inside the call, and every
// cached reference goes back when its handle's removal is seen, its thread ends or its registry ends.
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

// The references on H's port besides the one this asks for.
int32_t RefsOf(THandleRegistry& R, uint32_t H) {
  TComPtr<IInterface> Obj = R.Resolve(H, THandleKind::Port);
  return TFakePort::From(static_cast<ITransNode*>(Obj.Get()))->RefCount() - 1;
}

TEST(ThreadPorts, RepeatedCallsOnOneThreadCountThePortOnce) {
  auto R = CreateHandleRegistry();
  auto Probe = std::make_shared<TProbe>();
  const uint32_t H = AddPort(*R, Probe);
  ASSERT_TRUE(R->ResolvePort(H));
  const int32_t Cached = RefsOf(*R, H);
  EXPECT_EQ(Cached, 2) << "the registry's reference and the thread's slot";
  for (int I = 0; I < 1000; ++I) {
    const TResolvedPort P = R->ResolvePort(H);
    ASSERT_TRUE(P);
    P.View.Reader->MoveNext();
  }
  EXPECT_EQ(Probe->MoveNexts, 1000);
  EXPECT_EQ(RefsOf(*R, H), Cached);
  // The removing thread's own slot goes with the handle: a port used on one thread goes at once.
  ASSERT_TRUE(R->Remove(H));
  EXPECT_EQ(Probe->Live, 0);
  EXPECT_FALSE(R->ResolvePort(H));
}

TEST(ThreadPorts, ARemovalOnAnotherThreadIsSeenAtTheNextCall) {
  auto R = CreateHandleRegistry();
  auto Probe = std::make_shared<TProbe>();
  const uint32_t H = AddPort(*R, Probe);
  const uint32_t Kept = AddPort(*R, Probe);
  ASSERT_TRUE(R->ResolvePort(H));
  ASSERT_TRUE(R->ResolvePort(Kept));
  std::thread([&] { EXPECT_TRUE(R->Remove(H)); }).join();
  EXPECT_EQ(Probe->Live, 2) << "this thread's slot still holds the removed port";
  EXPECT_FALSE(R->ResolvePort(H)) << "a removed handle must not resolve from a cached slot";
  EXPECT_EQ(Probe->Live, 1) << "the stale slot was given back when the removal was seen";
  EXPECT_TRUE(R->ResolvePort(Kept)) << "a slot whose handle lives on stays good";
  R.reset();
  EXPECT_EQ(Probe->Live, 0);
}

// Handles 1 and 5 share a slot. A call inside a call (an event procedure calling back in) removes the
// outer call's handle and resolves the handle sharing its slot: the outer call's port must stay alive
// and untouched until the outer call ends.
TEST(ThreadPorts, ACallInsideACallLeavesTheOuterCallsPortAlone) {
  auto R = CreateHandleRegistry(1);
  auto Probe = std::make_shared<TProbe>();
  std::vector<uint32_t> H;
  for (int I = 0; I < 5; ++I) H.push_back(AddPort(*R, Probe));
  ASSERT_EQ(H.front(), 1u);
  ASSERT_EQ(H.back(), 5u);
  {
    const TResolvedPort Outer = R->ResolvePort(1);
    ASSERT_TRUE(Outer);
    ASSERT_TRUE(R->Remove(1));
    {
      const TResolvedPort Inner = R->ResolvePort(5);
      ASSERT_TRUE(Inner);
      EXPECT_NE(Inner.View.Node, Outer.View.Node);
    }
    EXPECT_EQ(Probe->Live, 5);
    Outer.View.Reader->MoveNext();  // under ASan, a destroyed port fails here
    EXPECT_EQ(Probe->MoveNexts, 1);
  }
  EXPECT_FALSE(R->ResolvePort(1));
  EXPECT_TRUE(R->ResolvePort(5));
  EXPECT_EQ(Probe->Live, 4) << "the outer call's port went once the thread looked again";
}

// A thread that resolves a handle (filling its slot) and then idles, alive, until it is let go.
class TIdleCaller {
 public:
  TIdleCaller(THandleRegistry& R, uint32_t H) {
    FThread = std::thread([this, &R, H] {
      EXPECT_TRUE(R.ResolvePort(H));
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

TEST(ThreadPorts, AThreadsSlotsGoWithTheThread) {
  auto R = CreateHandleRegistry();
  auto Probe = std::make_shared<TProbe>();
  const uint32_t H = AddPort(*R, Probe);
  TIdleCaller Worker(*R, H);
  ASSERT_TRUE(R->Remove(H));
  EXPECT_EQ(Probe->Live, 1) << "the idle worker's slot still holds the port";
  Worker.Finish();
  EXPECT_EQ(Probe->Live, 0);
}

TEST(ThreadPorts, ARegistrysEndEmptiesEveryThreadsSlots) {
  auto R = CreateHandleRegistry();
  auto Probe = std::make_shared<TProbe>();
  const uint32_t H = AddPort(*R, Probe);
  TIdleCaller Worker(*R, H);
  R.reset();
  EXPECT_EQ(Probe->Live, 0) << "the live worker's slot was emptied with its registry";
  Worker.Finish();
}

// Callers run record calls on cached slots while a finisher removes their handles and registers fresh
// ports: no call may see a destroyed port (the address and thread sanitizers watch), each resolved port is
// one a handle named, and every port goes in the end.
TEST(ThreadPorts, HammerOfCallsAgainstRemovals) {
  auto R = CreateHandleRegistry();
  auto Probe = std::make_shared<TProbe>();
  constexpr int Ports = 8;
  constexpr int Rounds = 2000;
  std::vector<std::atomic<uint32_t>> Handles(Ports);
  for (auto& H : Handles) H = AddPort(*R, Probe);
  std::atomic<bool> Done{false};
  std::atomic<int> Calls{0};
  std::vector<std::thread> Callers;
  for (int T = 0; T < 3; ++T) {
    Callers.emplace_back([&, T] {
      for (int I = T; !Done; I = (I + 1) % Ports) {
        const TResolvedPort P = R->ResolvePort(Handles[static_cast<size_t>(I)]);
        if (!P) continue;
        P.View.Reader->MoveNext();
        ++Calls;
      }
    });
  }
  for (int Round = 0; Round < Rounds; ++Round) {
    auto& H = Handles[static_cast<size_t>(Round % Ports)];
    const uint32_t Old = H;
    H = AddPort(*R, Probe);
    ASSERT_TRUE(R->Remove(Old));
    if (Round % 64 == 0) std::this_thread::yield();
  }
  Done = true;
  for (auto& T : Callers) T.join();
  EXPECT_GT(Calls.load(), 0);
  EXPECT_EQ(Probe->MoveNexts.load(), Calls.load());
  EXPECT_EQ(Probe->Live, Ports);
  R.reset();
  EXPECT_EQ(Probe->Live, 0);
}

}  // namespace
}  // namespace halvern
