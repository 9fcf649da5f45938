// Each thread's cache of the ports it resolved last, so that the record and value calls (millions per
// transfer) reach their port without the registry's lock or a reference count of their own.
//
// A slot holds one counted reference to a port, the handle it was found under, and the removal count of
// the registry (its generation) when that was last true. A call that finds its handle in its slot with
// the registry's current generation borrows the slot's reference: no handle was removed since the slot was
// checked, so the handle still names that port, and the slot's reference keeps the port alive for the
// whole call whatever other threads do, because only the owning thread changes its slots. Anything else
// (another handle, any removal since) goes back to the registry under its lock.
//
// A call made inside another call of the same thread (a host's event procedure calling back in) must not
// change a slot the outer call borrows; Borrowed names the port the thread's borrowing call runs on, and
// while it is set calls take a reference of their own instead. Finalizing reads it too (engine/CallGate.h):
// a port some thread's call still runs on is closed when that call leaves.
//
// A port stays in a slot after its handle is removed until the owning thread's next call that misses, the
// thread's end, or the registry's end: the removing thread drops its own slot at once, so a port used from
// one thread goes as soon as EngineFina lets go of it, as before.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/ResolvedPort.h"
#include "platform/ThreadValue.h"

namespace halvern {

struct TCachedPort {
  uint64_t Owner = 0;  // the serial number of the registry that filled it; 0 when empty
  uint32_t Handle = 0;
  uint64_t Generation = 0;
  TComPtr<IInterface> Ref;
  TPortView View;

  bool Holds(uint64_t Registry, uint32_t H, uint64_t Gen) const noexcept {
    return Owner == Registry && Handle == H && Generation == Gen;
  }
  // Empties the slot, handing its reference to the caller (to be released where that is safe).
  TComPtr<IInterface> Take() noexcept;
};

class TThreadPorts {
 public:
  static constexpr uint32_t kSlots = 4;  // a power of two: slots are picked by the handle's low bits

  TCachedPort& SlotFor(uint32_t Handle) noexcept { return Slots[Handle & (kSlots - 1)]; }

  TCachedPort Slots[kSlots];
  // The port (its registered interface) of the call of this thread running on a borrowed slot; null when
  // none does. Only the owning thread changes it; finalizing and the unload read it.
  std::atomic<IInterface*> Borrowed{nullptr};
  bool Borrowing() const noexcept { return Borrowed.load(std::memory_order_relaxed) != nullptr; }

  // The list of every thread's cache, under the module's lock.
  TThreadPorts* Prev = nullptr;
  TThreadPorts* Next = nullptr;
};

// The calling thread's cache, made on its first call; null when it cannot be made (the call then takes
// a reference of its own).
TThreadPorts* CurrentThreadPorts() noexcept;
// The calling thread's cache when it has one; never makes one.
inline TThreadPorts* ExistingThreadPorts() noexcept {
  return static_cast<TThreadPorts*>(platform::ThreadValue());
}

// Empties every thread's slots that registry Owner filled, releasing their references (or, when
// Release is false, forgetting them unreleased: process termination). For the registry's end and the
// library's unload, when no call may run on that registry; a thread found in a call all the same keeps
// its slots (a leak rather than a port destroyed under a running call).
void DropCachedPorts(uint64_t Owner, bool Release) noexcept;
// Whether some thread's borrowed call runs on Obj.
bool AnyThreadBorrows(IInterface* Obj) noexcept;
// A serial number for a new registry, never 0 and never reused.
uint64_t NewRegistrySerial() noexcept;
// At process termination: the module's end releases nothing any thread still holds.
void AbandonThreadPorts() noexcept;

}  // namespace halvern
