// The library's one handle registry: the host holds 32-bit handles, never objects.
//
// Each entry holds one counted reference to a port (its ITransNode), a configuration page (its
// IConfigPageEx) or a page's working port (its ITransNode); callers pass those interface pointers, so the
// same object always arrives as the same pointer. Handles are tokens issued here, never 0 for a live entry
// and not reissued until the counter wraps (then 0 and live values are skipped), so a stale handle does
// not silently reach a later port. Resolving costs the same however many handles are live: the lock,
// one probe of an open-addressed table and one AddRef/Release pair. A port's typed interfaces (its node,
// column access, record source or sink and fast column access) are looked up once, when it is added, and
// handed out borrowed with each resolve. A port resolved again on the same thread with no handle removed
// in between comes from the thread's cache (engine/ThreadPorts.h): no lock and no count at all. One lock
// serialises every other operation; references are given up outside it, so a destructor that unregisters
// something else cannot deadlock. The library's registry is created on first use and released at unload.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <utility>

#include "engine/ResolvedPort.h"
#include "engine/ThreadPorts.h"
#include "transport/TransBase.h"

namespace halvern {

// What an entry is, so that a page handle given to a port export (or the reverse) is not resolved.
enum class THandleKind : int32_t { Port = 1, Page = 2 };

class THandleRegistry {
 public:
  virtual ~THandleRegistry() = default;

  // Adds one entry holding a new reference to Obj and returns its handle (0 only for a null Obj).
  // Adding an object already registered as that kind adds another entry under the same handle: it stays
  // live until removed as often as it was added.
  virtual uint32_t Add(IInterface* Obj, THandleKind Kind) = 0;
  // Removes one entry with this handle value; false when none is registered.
  virtual bool Remove(uint32_t Handle) = 0;
  // Removes one entry of this object and kind; false when it is not registered.
  virtual bool RemoveObject(IInterface* Obj, THandleKind Kind = THandleKind::Port) = 0;
  // A counted reference to the registered object when Handle is live and of that kind; else empty.
  virtual TComPtr<IInterface> Resolve(uint32_t Handle, THandleKind Kind) = 0;
  // The registered object under Handle when it is live and of that kind, as a counted call (engine/
  // CallGate.h): finalizing it waits for the result to go. Empty otherwise.
  virtual TCountedCall ResolveCall(uint32_t Handle, THandleKind Kind) = 0;
  // Removes one entry with this handle value when it is of that kind, handing its reference to the
  // caller; empty when none is. Of two threads finalizing the same handle, one gets it.
  virtual TComPtr<IInterface> Take(uint32_t Handle, THandleKind Kind) = 0;
  // The port under Handle with its interfaces, alive for as long as the result is kept (within one
  // call); empty when Handle is not a live port handle. Inline: this runs once per record and value, and
  // usually ends at the thread's own slot.
  TResolvedPort ResolvePort(uint32_t Handle) {
    if (TThreadPorts* const Thread = BorrowingThread(Handle)) {
      const TCachedPort& Slot = Thread->SlotFor(Handle);
      TBorrowedCall::Enter(Thread->Borrowed, Slot.Ref.Get());
      TResolvedPort Port(Slot.View, Thread->Borrowed);
      if (Holds(Slot, Handle)) return Port;
    }
    return Handle != 0 ? ResolveSlowly(Handle) : TResolvedPort();
  }
  // Body(View) for the port under Handle, with View its interfaces (all null when Handle is not a live
  // port handle), the port kept alive for the call; returns what Body returns. As ResolvePort, with the
  // thread's own slot and every other case each given their own copy of Body, so that the usual case
  // tests nothing on the way out but whether a finish waits.
  template <class TBody>
  decltype(auto) WithPort(uint32_t Handle, TBody&& Body) {
    if (TThreadPorts* const Thread = BorrowingThread(Handle)) {
      const TCachedPort& Slot = Thread->SlotFor(Handle);
      const TBorrowedCall Call(Thread->Borrowed, Slot.Ref.Get());
      if (Holds(Slot, Handle)) return Body(Slot.View);
    }
    const TResolvedPort Port = Handle != 0 ? ResolveSlowly(Handle) : TResolvedPort();
    return Body(Port.View);
  }
  // The handle under which Obj is registered as that kind, or 0.
  virtual uint32_t HandleOf(IInterface* Obj, THandleKind Kind = THandleKind::Port) = 0;
  // Number of live handles.
  virtual size_t Count() = 0;
  // Gives up every reference without closing anything; the registry stays usable.
  virtual void Clear() = 0;

 protected:
  // The calling thread's cache when a call on Handle may borrow from it: the thread has one and no call
  // of the thread borrows already. Else null.
  static TThreadPorts* BorrowingThread(uint32_t Handle) noexcept {
    TThreadPorts* const Thread = ExistingThreadPorts();
    return Thread != nullptr && Handle != 0 && !Thread->Borrowing() ? Thread : nullptr;
  }
  // Whether Slot holds Handle with no handle removed since it was checked. Asked after the call is
  // marked in the thread's Borrowed: a finalizer that removed the handle before this load sees the mark.
  bool Holds(const TCachedPort& Slot, uint32_t Handle) const noexcept {
    return Slot.Holds(FSerial, Handle, FGeneration.load(std::memory_order_acquire));
  }
  // ResolvePort for a handle (not 0) that is not in the calling thread's slot.
  virtual TResolvedPort ResolveSlowly(uint32_t Handle) = 0;

  // This registry among all (threads' slots record which registry filled them).
  const uint64_t FSerial = NewRegistrySerial();
  // Entries erased so far: a thread's slot is good only while this has not moved since it was checked.
  std::atomic<uint64_t> FGeneration{1};
};

// A registry of its own (tests); FirstToken is the first handle value it tries to issue.
std::unique_ptr<THandleRegistry> CreateHandleRegistry(uint32_t FirstToken = 1);

// The library's registry, created on first use (thread-safe).
THandleRegistry& MakeHandleRegistry();
extern std::atomic<THandleRegistry*> GLibraryRegistry;  // set while the library's registry exists
inline THandleRegistry& GetHandleRegistry() {
  THandleRegistry* R = GLibraryRegistry.load(std::memory_order_acquire);
  return R != nullptr ? *R : MakeHandleRegistry();
}

// The library's registry gives up its references (ports are not closed). The runtime's destruction of
// the registry at unload does the same; this is for unloads that must do it at a moment of their own.
void ReleaseHandleRegistry() noexcept;
// At process termination: the registry's destruction will release nothing.
void AbandonHandleRegistry() noexcept;

}  // namespace halvern
