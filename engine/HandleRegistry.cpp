#include "engine/HandleRegistry.h"

#include <array>
#include <atomic>
#include <bit>
#include <functional>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/CallGate.h"
#include "engine/ThreadPorts.h"
#include "transport/BorrowedFields.h"
#include "transport/TransDefine.h"

namespace halvern {
namespace {

struct TObjectKey {
  IInterface* Obj;
  THandleKind Kind;
  friend bool operator==(const TObjectKey&, const TObjectKey&) = default;
};

struct TObjectKeyHash {
  size_t operator()(const TObjectKey& K) const noexcept {
    return std::hash<IInterface*>()(K.Obj) ^ (static_cast<size_t>(K.Kind) << 1);
  }
};

// A port's interfaces, asked for once. Runs the port's own code: never called with the lock held. The
// references the queries count are given back at once; the registry's own reference keeps the port, and
// with it these interfaces, alive.
TPortView FindPortView(IInterface* Obj) {
  TPortView View;
  TComPtr<ITransNode> Node;
  Obj->QueryInterface(ITransNode::IID, Node.PutVoid());
  if (!Node) return View;
  TComPtr<ITransPort> Port;
  Node->GetPort(Port.Put());
  View.Node = Node.Get();
  View.Port = Port.Get();
  View.Reader = Port.Query<IDataReader>().Get();
  View.Writer = Port.Query<IDataWriter>().Get();
  View.Fields = Port.Query<IBorrowedFieldAccess>().Get();
  return View;
}

// One handle's entry.
struct TEntry {
  THandleKind Kind = THandleKind::Port;
  TPortView View;
  std::vector<TComPtr<IInterface>> Refs;  // one per Add
};

// Entries by handle: open addressing with linear probing in a power-of-two table kept at most half full,
// so a lookup is one multiply and, nearly always, one slot. Removal shifts the rest of a probe run back
// instead of leaving markers, so lookups stay short however many handles come and go. Handle 0 marks an
// empty slot (it is never issued). Not thread-safe: the registry's lock guards it.
class TEntryTable {
 public:
  TEntry* Find(uint32_t Handle) noexcept {
    if (FSlots.empty()) return nullptr;
    for (size_t I = Home(Handle);; I = (I + 1) & FMask) {
      TSlot& S = FSlots[I];
      if (S.Handle == Handle) return &S.Entry;
      if (S.Handle == 0) return nullptr;
    }
  }

  // Handle must not be present.
  TEntry& Insert(uint32_t Handle) {
    if ((FCount + 1) * 2 > FSlots.size()) Grow();
    size_t I = Home(Handle);
    while (FSlots[I].Handle != 0) I = (I + 1) & FMask;
    FSlots[I].Handle = Handle;
    ++FCount;
    return FSlots[I].Entry;
  }

  // Removes Handle's entry (which must be present) and returns it.
  TEntry Erase(uint32_t Handle) {
    size_t Hole = Home(Handle);
    while (FSlots[Hole].Handle != Handle) Hole = (Hole + 1) & FMask;
    TEntry Removed = std::move(FSlots[Hole].Entry);
    // Later members of the run whose home is not between the hole and themselves move into the hole.
    for (size_t I = (Hole + 1) & FMask; FSlots[I].Handle != 0; I = (I + 1) & FMask) {
      const size_t H = Home(FSlots[I].Handle);
      const bool StaysPut = Hole <= I ? (Hole < H && H <= I) : (Hole < H || H <= I);
      if (StaysPut) continue;
      FSlots[Hole].Handle = FSlots[I].Handle;
      FSlots[Hole].Entry = std::move(FSlots[I].Entry);
      Hole = I;
    }
    FSlots[Hole].Handle = 0;
    FSlots[Hole].Entry = TEntry();
    --FCount;
    return Removed;
  }

  size_t Count() const noexcept { return FCount; }

  template <class F>
  void ForEach(F&& Visit) {
    for (TSlot& S : FSlots)
      if (S.Handle != 0) Visit(S.Entry);
  }

  // Empties the table, handing its entries to the caller (to be released outside the lock).
  TEntryTable Take() noexcept {
    TEntryTable Taken;
    std::swap(Taken.FSlots, FSlots);
    std::swap(Taken.FCount, FCount);
    std::swap(Taken.FMask, FMask);
    std::swap(Taken.FShift, FShift);
    return Taken;
  }

 private:
  struct TSlot {
    uint32_t Handle = 0;
    TEntry Entry;
  };

  // Fibonacci hashing: the top bits of the product spread consecutive tokens over the table.
  size_t Home(uint32_t Handle) const noexcept {
    return static_cast<size_t>((Handle * 0x9E3779B9u) >> FShift) & FMask;
  }

  void Grow() {
    const size_t Size = FSlots.empty() ? 16 : FSlots.size() * 2;
    std::vector<TSlot> Old(Size);
    std::swap(Old, FSlots);
    FMask = Size - 1;
    FShift = 32 - std::countr_zero(Size);
    FCount = 0;
    for (TSlot& S : Old)
      if (S.Handle != 0) Insert(S.Handle) = std::move(S.Entry);
  }

  std::vector<TSlot> FSlots;
  size_t FCount = 0;
  size_t FMask = 0;
  int FShift = 32;
};

class THashRegistry : public THandleRegistry {
 public:
  explicit THashRegistry(uint32_t FirstToken) : FNext(FirstToken) {}

  uint32_t Add(IInterface* Obj, THandleKind Kind) override {
    if (!Obj) return 0;
    TComPtr<IInterface> Ref(Obj);  // counted before the lock: AddRef runs foreign code
    const TPortView View = Kind == THandleKind::Port ? FindPortView(Obj) : TPortView();
    std::lock_guard Lock(FLock);
    const TObjectKey Key{Obj, Kind};
    if (auto It = FByObject.find(Key); It != FByObject.end()) {
      FEntries.Find(It->second)->Refs.push_back(std::move(Ref));
      return It->second;
    }
    // Built whole before anything is recorded, so that running out of memory part way leaves neither an
    // object mapped to a missing entry nor an entry without its reference.
    TEntry Fresh;
    Fresh.Kind = Kind;
    Fresh.View = View;
    Fresh.Refs.push_back(std::move(Ref));
    const uint32_t Handle = IssueToken();
    const auto Mapped = FByObject.emplace(Key, Handle).first;
    try {
      FEntries.Insert(Handle) = std::move(Fresh);
    } catch (...) {
      FByObject.erase(Mapped);
      throw;
    }
    return Handle;
  }

  bool Remove(uint32_t Handle) override {
    TComPtr<IInterface> Dropped, Cached;  // released after the lock is let go
    {
      std::lock_guard Lock(FLock);
      if (Handle == 0 || !FEntries.Find(Handle)) return false;
      Dropped = TakeOne(Handle);
    }
    Cached = DropOwnSlot(Handle);
    return true;
  }

  bool RemoveObject(IInterface* Obj, THandleKind Kind) override {
    TComPtr<IInterface> Dropped, Cached;
    uint32_t Handle = 0;
    {
      std::lock_guard Lock(FLock);
      auto Found = FByObject.find(TObjectKey{Obj, Kind});
      if (Found == FByObject.end()) return false;
      Handle = Found->second;
      Dropped = TakeOne(Handle);
    }
    Cached = DropOwnSlot(Handle);
    return true;
  }

  TCountedCall ResolveCall(uint32_t Handle, THandleKind Kind) override {
    std::lock_guard Lock(FLock);
    const TEntry* E = Handle != 0 ? FEntries.Find(Handle) : nullptr;
    if (!E || E->Kind != Kind) return {};
    // Entered under the lock: a finalizer that takes the handle after this sees the call.
    EnterCountedCall(E->Refs.front().Get());
    return TCountedCall(E->Refs.front());
  }

  TComPtr<IInterface> Take(uint32_t Handle, THandleKind Kind) override {
    TComPtr<IInterface> Taken, Cached;
    {
      std::lock_guard Lock(FLock);
      const TEntry* E = Handle != 0 ? FEntries.Find(Handle) : nullptr;
      if (!E || E->Kind != Kind) return {};
      Taken = TakeOne(Handle);
    }
    Cached = DropOwnSlot(Handle);
    return Taken;
  }

  TComPtr<IInterface> Resolve(uint32_t Handle, THandleKind Kind) override {
    std::lock_guard Lock(FLock);
    const TEntry* E = Handle != 0 ? FEntries.Find(Handle) : nullptr;
    if (!E || E->Kind != Kind) return {};
    return E->Refs.front();
  }

  uint32_t HandleOf(IInterface* Obj, THandleKind Kind) override {
    std::lock_guard Lock(FLock);
    auto It = FByObject.find(TObjectKey{Obj, Kind});
    return It == FByObject.end() ? 0 : It->second;
  }

  size_t Count() override {
    std::lock_guard Lock(FLock);
    return FEntries.Count();
  }

  void Clear() override {
    TEntryTable Dropped;
    {
      std::lock_guard Lock(FLock);
      Dropped = FEntries.Take();
      FByObject.clear();
      FGeneration.fetch_add(1, std::memory_order_release);
    }
    // The calling thread's slots go now; other threads' go at their next call, or when they end.
    if (TThreadPorts* Thread = ExistingThreadPorts(); Thread && !Thread->Borrowing()) {
      for (TCachedPort& Slot : Thread->Slots)
        if (Slot.Owner == FSerial) Slot.Take();
    }
  }

  ~THashRegistry() override {
    Clear();
    DropCachedPorts(FSerial, true);
  }

  // Forgets every entry without releasing its references.
  void Abandon() noexcept {
    std::lock_guard Lock(FLock);
    FEntries.ForEach([](TEntry& Entry) {
      for (TComPtr<IInterface>& Ref : Entry.Refs) Ref.Detach();
    });
    FEntries.Take();
    FByObject.clear();
    DropCachedPorts(FSerial, false);
  }

 private:
  // A port not in the thread's slot: the call's own reference for a call inside a call (or a thread
  // without a cache), else the slot filled again.
  TResolvedPort ResolveSlowly(uint32_t Handle) override {
    TThreadPorts* Thread = CurrentThreadPorts();
    if (Thread == nullptr || Thread->Borrowing()) {
      TPortView View;
      TCountedCall Call = CountedPort(Handle, View);
      if (!Call) return {};
      return TResolvedPort(View, std::move(Call));
    }
    TCachedPort& Slot = Thread->SlotFor(Handle);
    // Read before the lookup: a removal after it makes the next call look again.
    const uint64_t Generation = FGeneration.load(std::memory_order_acquire);
    // Released last, after the result counts the call as running on the slots: a release can run a
    // port's destructor, and whatever that calls must not change the slot handed out.
    std::array<TComPtr<IInterface>, TThreadPorts::kSlots> Stale;
    std::unique_lock Lock(FLock);
    Recheck(*Thread, Generation, Stale);
    if (!Slot.Holds(FSerial, Handle, Generation)) {
      const TEntry* E = FEntries.Find(Handle);
      if (!E || E->Kind != THandleKind::Port) return {};
      Stale[Handle & (TThreadPorts::kSlots - 1)] = Slot.Take();
      Slot.Ref = E->Refs.front();
      Slot.View = E->View;
      Slot.Owner = FSerial;
      Slot.Handle = Handle;
      Slot.Generation = Generation;
    }
    // Marked under the lock: a finalizer that takes the handle after this sees the call.
    TBorrowedCall::Enter(Thread->Borrowed, Slot.Ref.Get());
    Lock.unlock();
    return TResolvedPort(Slot.View, Thread->Borrowed);
  }

  // ResolveCall for a port, with its interfaces in View. The call is left, when it must be, outside the
  // lock: leaving may run a finish.
  TCountedCall CountedPort(uint32_t Handle, TPortView& View) {
    std::lock_guard Lock(FLock);
    const TEntry* E = FEntries.Find(Handle);
    if (!E || E->Kind != THandleKind::Port) return {};
    EnterCountedCall(E->Refs.front().Get());
    View = E->View;
    return TCountedCall(E->Refs.front());
  }

  // Brings the thread's slots of this registry up to Generation: a slot whose handle still names the
  // same port is kept, any other is emptied into Stale. Lock held; the thread is not in a call.
  void Recheck(TThreadPorts& Thread, uint64_t Generation,
               std::array<TComPtr<IInterface>, TThreadPorts::kSlots>& Stale) {
    for (uint32_t I = 0; I < TThreadPorts::kSlots; ++I) {
      TCachedPort& Slot = Thread.Slots[I];
      if (Slot.Owner != FSerial || Slot.Generation == Generation) continue;
      const TEntry* E = FEntries.Find(Slot.Handle);
      if (E && E->Kind == THandleKind::Port && E->Refs.front().Get() == Slot.Ref.Get()) {
        Slot.Generation = Generation;
      } else {
        Stale[I] = Slot.Take();
      }
    }
  }

  // The calling thread's slot for a handle just removed, emptied unless a call of the thread is running
  // on it; the caller releases what it gives.
  TComPtr<IInterface> DropOwnSlot(uint32_t Handle) noexcept {
    TThreadPorts* Thread = ExistingThreadPorts();
    if (Thread == nullptr || Thread->Borrowing()) return {};
    TCachedPort& Slot = Thread->SlotFor(Handle);
    if (Slot.Owner != FSerial || Slot.Handle != Handle) return {};
    return Slot.Take();
  }

  // Takes one reference out of Handle's entry (which is live), erasing the entry with its last one.
  // Lock held.
  TComPtr<IInterface> TakeOne(uint32_t Handle) {
    TEntry& E = *FEntries.Find(Handle);
    TComPtr<IInterface> Ref = std::move(E.Refs.back());
    E.Refs.pop_back();
    if (E.Refs.empty()) {
      FByObject.erase(TObjectKey{Ref.Get(), E.Kind});
      FEntries.Erase(Handle);
      // Every thread's cached slots are checked again before they are used.
      FGeneration.fetch_add(1, std::memory_order_seq_cst);
    }
    return Ref;
  }

  // The next counter value that is neither 0 nor live. Lock held.
  uint32_t IssueToken() {
    for (;;) {
      const uint32_t Token = FNext++;
      if (Token != 0 && !FEntries.Find(Token)) return Token;
    }
  }

  std::mutex FLock;
  uint32_t FNext;
  TEntryTable FEntries;
  std::unordered_map<TObjectKey, uint32_t, TObjectKeyHash> FByObject;
};

// The library's registry. It is made on first use, after every load-time object of the library, so the
// runtime destroys it before them at unload, releasing what is still registered. At process termination
// on Windows it must release nothing (other threads are gone mid-call): AbandonHandleRegistry makes its
// destruction leave every reference alone.
std::atomic<bool> Abandoned{false};

class TLibraryRegistry final : public THashRegistry {
 public:
  TLibraryRegistry() : THashRegistry(1) { GLibraryRegistry.store(this, std::memory_order_release); }
  ~TLibraryRegistry() override {
    GLibraryRegistry.store(nullptr, std::memory_order_release);
    if (Abandoned) Abandon();
  }
};

THandleRegistry* LibraryRegistry() {
  static TLibraryRegistry Registry;
  return &Registry;
}

}  // namespace

std::unique_ptr<THandleRegistry> CreateHandleRegistry(uint32_t FirstToken) {
  return std::make_unique<THashRegistry>(FirstToken);
}

constinit std::atomic<THandleRegistry*> GLibraryRegistry{nullptr};

THandleRegistry& MakeHandleRegistry() {
  return *LibraryRegistry();
}

void ReleaseHandleRegistry() noexcept {
  try {
    // Never creates the registry: at unload that would be work for nothing.
    if (THandleRegistry* R = GLibraryRegistry.load()) R->Clear();
  } catch (...) {
    // A destructor that raised at unload: nothing can be reported any more.
  }
}

void AbandonHandleRegistry() noexcept {
  Abandoned = true;
  AbandonThreadPorts();
}

}  // namespace halvern
