#include "engine/ThreadPorts.h"

#include <atomic>
#include <mutex>
#include <new>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/ThreadValue.h"

namespace halvern {
namespace {

// A lock that needs no construction (not every runtime's std::mutex can be constant-initialised). It
// is taken only when a thread makes or gives back its cache and at a registry's end, never per call.
class TListLock {
 public:
  void lock() noexcept {
    while (FHeld.exchange(true, std::memory_order_acquire)) std::this_thread::yield();
  }
  void unlock() noexcept { FHeld.store(false, std::memory_order_release); }

 private:
  std::atomic<bool> FHeld{false};
};

// Constant-initialised and never destroyed, so that it is there for every registry's end however the
// runtime orders the library's objects at unload.
struct TThreadList {
  TListLock Lock;
  TThreadPorts* Head = nullptr;
};
static_assert(std::is_trivially_destructible_v<TThreadList>);
constinit TThreadList Threads;
constinit std::atomic<uint64_t> LastSerial{0};
constinit std::atomic<bool> Abandoned{false};

void Link(TThreadPorts* T) {
  std::lock_guard Lock(Threads.Lock);
  T->Next = Threads.Head;
  if (Threads.Head) Threads.Head->Prev = T;
  Threads.Head = T;
}

void Unlink(TThreadPorts* T) noexcept {
  std::lock_guard Lock(Threads.Lock);
  (T->Prev ? T->Prev->Next : Threads.Head) = T->Next;
  if (T->Next) T->Next->Prev = T->Prev;
  T->Prev = T->Next = nullptr;
}

// An ending thread's cache goes with it; its references are released on that thread, as its calls
// would have released them.
void OnThreadEnd(void* Value) {
  auto* T = static_cast<TThreadPorts*>(Value);
  Unlink(T);
  delete T;
}

// At unload every cache still listed is freed with its references, and the thread notices stop before
// the code they would run goes away.
struct TUnload {
  ~TUnload() {
    platform::ReleaseThreadValues();
    if (Abandoned) return;
    std::lock_guard Lock(Threads.Lock);
    // A cache a call is still using (a host unloading under a running call) is left as it is. Released
    // under the lock, which no port's destructor takes.
    for (TThreadPorts* T = Threads.Head; T;) {
      TThreadPorts* Next = T->Next;
      if (!T->Borrowing()) {
        (T->Prev ? T->Prev->Next : Threads.Head) = T->Next;
        if (T->Next) T->Next->Prev = T->Prev;
        delete T;
      }
      T = Next;
    }
  }
};
const TUnload Unload;

}  // namespace

TComPtr<IInterface> TCachedPort::Take() noexcept {
  TComPtr<IInterface> Out = std::move(Ref);
  Owner = 0;
  Handle = 0;
  Generation = 0;
  View = TPortView();
  return Out;
}

TThreadPorts* CurrentThreadPorts() noexcept {
  if (void* Value = platform::ThreadValue()) return static_cast<TThreadPorts*>(Value);
  auto* T = new (std::nothrow) TThreadPorts;
  if (T == nullptr) return nullptr;
  try {
    Link(T);
  } catch (...) {
    delete T;
    return nullptr;
  }
  if (!platform::SetThreadValue(T, &OnThreadEnd)) {
    Unlink(T);
    delete T;
    return nullptr;
  }
  return T;
}

void DropCachedPorts(uint64_t Owner, bool Release) noexcept {
  std::vector<TComPtr<IInterface>> Dropped;
  {
    std::lock_guard Lock(Threads.Lock);
    for (TThreadPorts* T = Threads.Head; T; T = T->Next) {
      if (T->Borrowing()) continue;
      for (TCachedPort& Slot : T->Slots) {
        if (Slot.Owner != Owner) continue;
        TComPtr<IInterface> Ref = Slot.Take();
        if (!Release) {
          Ref.Detach();
          continue;
        }
        try {
          Dropped.push_back(std::move(Ref));
        } catch (...) {
          // No room to defer it: released here, under the list's lock, which its destructor never takes.
        }
      }
    }
  }
  // Released outside the lock: a port's destructor may unregister something else.
}

bool AnyThreadBorrows(IInterface* Obj) noexcept {
  std::lock_guard Lock(Threads.Lock);
  for (const TThreadPorts* T = Threads.Head; T; T = T->Next)
    if (T->Borrowed.load(std::memory_order_acquire) == Obj) return true;
  return false;
}

uint64_t NewRegistrySerial() noexcept {
  return LastSerial.fetch_add(1, std::memory_order_relaxed) + 1;
}

void AbandonThreadPorts() noexcept {
  Abandoned = true;
}

}  // namespace halvern
