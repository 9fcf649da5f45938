#include "engine/CallGate.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "engine/ThreadPorts.h"
#include "platform/ProcessBarrier.h"

namespace halvern {

constinit std::atomic<int32_t> GPendingFinishes{0};

namespace {

constinit std::atomic<uint32_t> GLeaveOrder{0};

struct TPending {
  TComPtr<IInterface> Obj;
  TFinishProc Finish = nullptr;
};

struct TGate {
  std::mutex Lock;
  std::vector<std::pair<IInterface*, int32_t>> Counted;  // objects with counted calls running
  std::vector<TPending> Pending;

  // At unload a finish still pending waits for a call that never left (a host unloading under a running
  // call, or a process ending with other threads stopped mid-call): its object is left alone rather than
  // destroyed under that call.
  ~TGate() {
    for (TPending& P : Pending) P.Obj.Detach();
  }

  bool InUse(IInterface* Obj) const noexcept {
    for (const auto& [Counted, Calls] : Counted)
      if (Counted == Obj) return true;
    return AnyThreadBorrows(Obj);
  }
};

// Made on first use, destroyed at unload with the library's other objects (no call runs then).
TGate& Gate() {
  static TGate G;
  return G;
}

}  // namespace

void EnterCountedCall(IInterface* Obj) {
  TGate& G = Gate();
  std::lock_guard Lock(G.Lock);
  for (auto& [Counted, Calls] : G.Counted) {
    if (Counted == Obj) {
      ++Calls;
      return;
    }
  }
  G.Counted.emplace_back(Obj, 1);
}

void LeaveCountedCall(IInterface* Obj) noexcept {
  {
    TGate& G = Gate();
    std::lock_guard Lock(G.Lock);
    auto It = std::find_if(G.Counted.begin(), G.Counted.end(), [&](const auto& C) { return C.first == Obj; });
    if (It != G.Counted.end() && --It->second == 0) {
      *It = G.Counted.back();
      G.Counted.pop_back();
    }
  }
  if (GPendingFinishes.load(std::memory_order_relaxed) != 0) FinishIdle();
}

void FinishWhenIdle(TComPtr<IInterface> Obj, TFinishProc Finish) {
  {
    TGate& G = Gate();
    std::lock_guard Lock(G.Lock);
    G.Pending.push_back(TPending{std::move(Obj), Finish});
    GPendingFinishes.fetch_add(1, std::memory_order_seq_cst);
  }
  // Pairs with the fence-free entry of borrowed calls: a call that entered before this is seen in its
  // thread's Borrowed below; one entering after it sees the handle gone and never reaches the object.
  platform::ProcessBarrier();
  FinishIdle();
}

void FinishIdle() noexcept {
  // A leaving call cleared its Borrowed before it got here; other leavers' must be seen in turn, or two
  // calls leaving together could each take the other for still running. Every leaver passes through this
  // one read-modify-write in a single order, so the later one sees what the earlier one cleared.
  GLeaveOrder.fetch_add(1, std::memory_order_seq_cst);
  for (;;) {
    TPending Ready;
    {
      TGate& G = Gate();
      std::lock_guard Lock(G.Lock);
      auto It = std::find_if(G.Pending.begin(), G.Pending.end(),
                             [&](const TPending& P) { return !G.InUse(P.Obj.Get()); });
      if (It == G.Pending.end()) return;
      Ready = std::move(*It);
      G.Pending.erase(It);
      GPendingFinishes.fetch_sub(1, std::memory_order_relaxed);
    }
    // Outside the lock: a finish reports through the host's event procedures, which may call back in.
    try {
      Ready.Finish(Ready.Obj.Get());
    } catch (...) {
      // The host finished with the object whatever its finish did.
    }
  }
}

}  // namespace halvern
