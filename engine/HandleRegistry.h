// The library's one handle registry, and the protocol every call on a handle follows.
//
// The host holds 32-bit handles, never objects. A handle names a slot of the registry's table and the
// slot's generation: the low kSlotBits bits are the slot's index, the high bits its generation, which is
// never 0, so no live handle is 0. Finding a handle's slot is an index into the table, whatever the
// number of live handles. A slot's generation moves on each time it is emptied, and an emptied slot is
// reused only once more than kReuseAfter others are free (or the table is full), so a dead handle's value
// comes back only after more than kMaxGeneration * kReuseAfter (about 16.8 million) handles were issued:
// a stale handle does not silently reach a later port.
//
// Why a call on a handle is safe. Each slot has one atomic word, State: the slot's live handle in the
// high half (0 once the handle is dead) and in the low half the number of calls inside the slot's
// object. The rest of a slot (the object, its references, its interfaces, its kind) changes only under
// the registry's lock, and only while no call can be inside: before the handle is published in State,
// or after State has come down to 0.
//  1. A call enters with a compare-and-swap that adds one to the count and requires the high half to be
//     its handle: it enters a live handle only, and once it is in, the slot can be neither emptied nor
//     reused, since that needs State to be 0. The call then uses the slot's object and interfaces
//     without taking a reference of its own, and leaves by taking one off the count.
//  2. Removing a handle (EngineFina, ConfigFina, a page's working port going) clears the high half
//     under the lock, in one atomic step that leaves the count as it is. No call enters after it; the
//     calls already inside go on with everything intact.
//  3. Whoever brings State to 0 (the remover, when the count it found was 0, else the last call to
//     leave) empties the slot: it runs the closing work (a port's Close, a page's HidePage), gives back
//     the slot's references and puts the slot on the free list. State comes down to 0 once per handle,
//     so the work runs exactly once and with no call inside, and nobody ever waits: a handle finalized
//     from another thread, or from an event procedure inside a call on the same port, leaves the work to
//     the call still inside, which does it on its own thread as it returns.
//  4. An emptied slot is published again only with its next generation, so the old handle no longer
//     matches its State and every call on it answers as for an unknown handle.
//  5. Ordering: entering acquires, so a call sees the slot as it was published under the lock; every
//     change of State is a read-modify-write that releases, so whoever empties the slot sees what every
//     call inside it did.
//  6. The closing work and every release of a reference run outside the lock: they run a port's or a
//     page's own code, which may call the registry again (a page's end removes its working port; a
//     port's Close reports to the host, whose event procedure may call any export).
//  7. One thing a call inside may change: Failed, a flag that goes once from false to true while the
//     handle lives (Fail, when memory ran out in the port). By 5 whoever empties the slot sees it, and
//     then skips the closing work: a failed port's records are not whole, so an export writes nothing.
//     The flag is cleared with the rest of the slot before the slot is published again.
// The table grows by chunks of slots that never move and live as long as the registry, so a call reads
// its slot without the lock.
//
// Unload: the registry gives up its references without closing anything (Clear). A slot with a call
// still inside when the registry ends (a host unloading under a running call) keeps its object and its
// memory, and the late call never empties it into a registry that is gone. At process termination on
// Windows (other threads stopped mid-call) it gives up nothing: AbandonHandleRegistry.
//
// Thread-safety: all of it.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "transport/TransBase.h"

namespace halvern {

struct ITransNode;
struct ITransPort;
struct IDataReader;
struct IDataWriter;
struct IBorrowedFieldAccess;
struct IConfigPageEx;

// What an entry is, so that a page handle given to a port export (or the reverse) is not resolved.
enum class THandleKind : int32_t { Port = 1, Page = 2 };

// The interfaces of a registered port, asked for once, when it is added; null where the port does not
// answer for one. Valid while a call is inside the port.
struct TPortView {
  ITransNode* Node = nullptr;
  ITransPort* Port = nullptr;              // what Node->GetPort gives
  IDataReader* Reader = nullptr;           // Port's record source, import ports only
  IDataWriter* Writer = nullptr;           // Port's record sink, export ports only
  IBorrowedFieldAccess* Fields = nullptr;  // Port's fast column access, when it offers one
};

// A handle's closing work, run once no call is inside. What it raises is swallowed: the host has
// finished with the object whatever its closing does.
using TFinishProc = void (*)(IInterface* Obj);

class THandleRegistry {
  struct TSlot;

 public:
  static constexpr uint32_t kSlotBits = 20;  // up to 1,048,576 live handles
  static constexpr uint32_t kMaxGeneration = (1u << (32 - kSlotBits)) - 1;
  static constexpr uint32_t kReuseAfter = 4096;

  // One call inside a registered object: while it lives, the object and its interfaces stay as they
  // are, and removing the handle leaves the closing work to it. Empty when the handle named nothing.
  class TCall {
   public:
    TCall() noexcept = default;
    TCall(const TCall&) = delete;
    TCall& operator=(const TCall&) = delete;
    ~TCall() {
      if (FSlot) FRegistry->Leave(*FSlot);
    }

    explicit operator bool() const noexcept { return FSlot != nullptr; }
    IInterface* Object() const noexcept { return FSlot->Obj; }
    const TPortView& Port() const noexcept { return FSlot->View; }  // all null for a page
    IConfigPageEx* Page() const noexcept { return FSlot->Page; }    // null for a port
    // Whether memory ran out in the object, and marking it so: true for the one call that marks it.
    bool Failed() const noexcept { return FSlot->Failed.load(std::memory_order_relaxed); }
    bool Fail() const noexcept { return !FSlot->Failed.exchange(true, std::memory_order_relaxed); }

   private:
    friend class THandleRegistry;
    TCall(THandleRegistry& Registry, TSlot& Slot) noexcept : FRegistry(&Registry), FSlot(&Slot) {}
    THandleRegistry* FRegistry = nullptr;
    TSlot* FSlot = nullptr;
  };

  // ReuseAfter: how many slots must be free before the longest-free one is reused (tests lower it).
  explicit THandleRegistry(uint32_t ReuseAfter = kReuseAfter) noexcept : FReuseAfter(ReuseAfter) {}
  THandleRegistry(const THandleRegistry&) = delete;
  THandleRegistry& operator=(const THandleRegistry&) = delete;
  ~THandleRegistry();

  // Adds one entry holding a new reference to Obj and returns its handle (0 only for a null Obj). Adding
  // an object already registered as that kind adds another entry under the same handle: it stays live
  // until removed as often as it was added. Raises std::bad_alloc, also when the table is full.
  uint32_t Add(IInterface* Obj, THandleKind Kind);
  // Removes one entry under Handle when it is live and of that kind; false when it is not. With the
  // handle's last entry the handle dies at once, and once no call is inside, Finish(Obj) runs (when
  // given, and the object did not fail) and the references go. Of two threads removing the same entry, one
  // gets it.
  bool Remove(uint32_t Handle, THandleKind Kind, TFinishProc Finish = nullptr);
  // Remove for the handle under which Obj is registered as that kind.
  bool RemoveObject(IInterface* Obj, THandleKind Kind = THandleKind::Port);

  // The one way to reach a registered object: a call inside the object under Handle when Handle is live
  // and of that kind, else an empty call. A few atomic operations, no lock.
  TCall Enter(uint32_t Handle, THandleKind Kind) noexcept {
    TSlot* const Slot = SlotOf(Handle);
    if (!Slot) return {};
    uint64_t Old = Slot->State.load(std::memory_order_relaxed);
    do {
      if (Old >> 32 != Handle) return {};
    } while (!Slot->State.compare_exchange_weak(Old, Old + 1, std::memory_order_acquire,
                                                std::memory_order_relaxed));
    // Read once inside: the kind cannot change while a call is in.
    if (Slot->Kind == Kind) return TCall(*this, *Slot);
    Leave(*Slot);
    return {};
  }

  // The handle under which Obj is registered as that kind, or 0.
  uint32_t HandleOf(IInterface* Obj, THandleKind Kind = THandleKind::Port);
  // Number of live handles.
  size_t Count();
  // Removes every handle without closing anything; the registry stays usable.
  void Clear();
  // At process termination: the registry's end gives up nothing.
  void Abandon() noexcept { FAbandoned.store(true); }

 private:
  static constexpr uint32_t kChunkBits = 8;
  static constexpr uint32_t kChunkSize = 1u << kChunkBits;
  static constexpr uint32_t kMaxSlots = 1u << kSlotBits;
  static constexpr uint32_t kNoSlot = UINT32_MAX;
  static constexpr uint64_t kCallsMask = 0xFFFFFFFFu;

  // On a cache line of its own, so that calls on different ports from different threads do not slow
  // each other down.
  struct alignas(64) TSlot {
    std::atomic<uint64_t> State{0};   // live handle << 32 | calls inside
    std::atomic<bool> Failed{false};  // set by a call inside, read by whoever empties the slot
    // Set under the lock before the handle is published; read by the calls inside.
    IInterface* Obj = nullptr;
    THandleKind Kind = THandleKind::Port;
    TPortView View;
    IConfigPageEx* Page = nullptr;
    // Under the lock only, and by whoever empties the slot.
    std::vector<TComPtr<IInterface>> Refs;  // one per Add
    TFinishProc Finish = nullptr;
    uint32_t Index = 0;
    uint32_t Generation = 1;
    uint32_t NextFree = kNoSlot;
  };

  struct TObjectKey {
    IInterface* Obj;
    THandleKind Kind;
    friend bool operator==(const TObjectKey&, const TObjectKey&) = default;
  };
  struct TObjectKeyHash {
    size_t operator()(const TObjectKey& K) const noexcept;
  };

  TSlot* SlotOf(uint32_t Handle) const noexcept {
    if (Handle >> kSlotBits == 0) return nullptr;  // generation 0 is never issued
    const uint32_t Index = Handle & (kMaxSlots - 1);
    TSlot* const Chunk = FChunks[Index >> kChunkBits].load(std::memory_order_acquire);
    return Chunk ? &Chunk[Index & (kChunkSize - 1)] : nullptr;
  }
  void Leave(TSlot& Slot) noexcept {
    if (Slot.State.fetch_sub(1, std::memory_order_acq_rel) == 1) [[unlikely]]
      Empty(Slot);
  }
  // Runs the slot's closing work and frees it: its handle is dead and no call is inside.
  [[gnu::noinline]] void Empty(TSlot& Slot) noexcept;

  static uint32_t SlotHandle(const TSlot& Slot) noexcept { return Slot.Generation << kSlotBits | Slot.Index; }
  // The slot at Index, which is below FUsed; lock held.
  TSlot& At(uint32_t Index) const noexcept {
    return FChunks[Index >> kChunkBits].load(std::memory_order_relaxed)[Index & (kChunkSize - 1)];
  }
  // The slot under Handle when it is live and of that kind; lock held.
  TSlot* LiveSlot(uint32_t Handle, THandleKind Kind) const noexcept;
  // Remove under the lock; Dropped takes a reference to release, and the result is the slot to empty
  // (its handle now dead, no call inside) or null.
  TSlot* RemoveLocked(TSlot& Slot, TFinishProc Finish, TComPtr<IInterface>& Dropped);
  // Kills Slot's handle: true when no call was inside. Lock held.
  bool Kill(TSlot& Slot, TFinishProc Finish) noexcept;
  // The index of the slot the next Add takes: the longest-free one once more than FReuseAfter are free
  // (or the table is full), else a new one, its chunk made when needed. Not taken yet. Lock held.
  uint32_t NextIndex();

  std::mutex FLock;
  std::atomic<TSlot*> FChunks[kMaxSlots / kChunkSize] = {};
  uint32_t FUsed = 0;  // slots ever handed out: the chunks hold slots [0, FUsed) and more
  uint32_t FFreeHead = kNoSlot, FFreeTail = kNoSlot, FFreeCount = 0;
  size_t FLive = 0;
  const uint32_t FReuseAfter;
  std::atomic<bool> FAbandoned{false};
  std::unordered_map<TObjectKey, uint32_t, TObjectKeyHash> FByObject;  // to the slot's index
};

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
