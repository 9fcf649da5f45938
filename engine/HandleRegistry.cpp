#include "engine/HandleRegistry.h"

#include <atomic>
#include <bit>
#include <functional>
#include <mutex>  // std::lock_guard
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/SpinLock.h"
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

// One handle's entry, in a node of its own: a call in progress finds it again by address.
struct TEntry {
  THandleKind Kind = THandleKind::Port;
  TPortView View;
  IInterface* Obj = nullptr;              // what every reference in Refs counts
  std::vector<TComPtr<IInterface>> Refs;  // one per Add; never empty while Calls > 0
  uint32_t Calls = 0;                     // calls in progress on it
  bool Removed = false;  // out of the table: the last call to end destroys it, with its reference
};

using TEntryNode = std::unique_ptr<TEntry>;

// Entries by handle: open addressing with linear probing in a power-of-two table kept at most half full,
// so a lookup is one multiply and, nearly always, one slot. Removal shifts the rest of a probe run back
// instead of leaving markers, so lookups stay short however many handles come and go. Handle 0 marks an
// empty slot (it is never issued). Slots own their entries' nodes, which never move. Not thread-safe: the
// registry's lock guards it.
class TEntryTable {
 public:
  TEntry* Find(uint32_t Handle) const noexcept {
    if (FSlots.empty()) return nullptr;
    for (size_t I = Home(Handle);; I = (I + 1) & FMask) {
      const TSlot& S = FSlots[I];
      if (S.Handle == Handle) return S.Entry.get();
      if (S.Handle == 0) return nullptr;
    }
  }

  // Makes room for one more entry; the table is unchanged when that fails.
  void Reserve() {
    if ((FCount + 1) * 2 > FSlots.size()) Grow();
  }

  // Handle must not be present, and Reserve must have made room for it.
  void Insert(uint32_t Handle, TEntryNode Node) noexcept { Place(Handle, std::move(Node)); }

  // Removes Handle's entry (which must be present) and returns its node.
  TEntryNode Erase(uint32_t Handle) noexcept {
    size_t Hole = Home(Handle);
    while (FSlots[Hole].Handle != Handle) Hole = (Hole + 1) & FMask;
    TEntryNode Removed = std::move(FSlots[Hole].Entry);
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
    --FCount;
    return Removed;
  }

  size_t Count() const noexcept { return FCount; }

  // Visits every entry's node; Visit may take the node over.
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
    TEntryNode Entry;
  };

  // Fibonacci hashing: the top bits of the product spread consecutive tokens over the table.
  size_t Home(uint32_t Handle) const noexcept {
    return static_cast<size_t>((Handle * 0x9E3779B9u) >> FShift) & FMask;
  }

  void Place(uint32_t Handle, TEntryNode Node) noexcept {
    size_t I = Home(Handle);
    while (FSlots[I].Handle != 0) I = (I + 1) & FMask;
    FSlots[I].Handle = Handle;
    FSlots[I].Entry = std::move(Node);
    ++FCount;
  }

  void Grow() {
    const size_t Size = FSlots.empty() ? 16 : FSlots.size() * 2;
    std::vector<TSlot> Old(Size);
    std::swap(Old, FSlots);
    FMask = Size - 1;
    FShift = 32 - std::countr_zero(Size);
    FCount = 0;
    for (TSlot& S : Old)
      if (S.Handle != 0) Place(S.Handle, std::move(S.Entry));
  }

  std::vector<TSlot> FSlots;
  size_t FCount = 0;
  size_t FMask = 0;
  int FShift = 32;
};

// What a removal gives up, released by its destructor after the lock is let go: one of several references
// of an entry, or a whole entry that had no call in progress.
struct TDropped {
  TComPtr<IInterface> Ref;
  TEntryNode Entry;
};

class THashRegistry : public THandleRegistry {
 public:
  explicit THashRegistry(uint32_t FirstToken) : FNext(FirstToken) {}

  uint32_t Add(IInterface* Obj, THandleKind Kind) override {
    if (!Obj) return 0;
    // Counted, looked into and allocated before the lock: AddRef and QueryInterface run foreign code.
    // Whatever is not taken over is released after the lock is let go.
    TEntryNode Node = std::make_unique<TEntry>();
    Node->Kind = Kind;
    Node->View = Kind == THandleKind::Port ? FindPortView(Obj) : TPortView();
    Node->Obj = Obj;
    Node->Refs.push_back(TComPtr<IInterface>(Obj));
    std::lock_guard Lock(FLock);
    const TObjectKey Key{Obj, Kind};
    if (auto It = FByObject.find(Key); It != FByObject.end()) {
      FEntries.Find(It->second)->Refs.push_back(std::move(Node->Refs.front()));
      return It->second;
    }
    const uint32_t Handle = IssueToken();
    FEntries.Reserve();  // so that nothing below can fail once the handle is mapped
    FByObject.emplace(Key, Handle);
    FEntries.Insert(Handle, std::move(Node));
    return Handle;
  }

  bool Remove(uint32_t Handle) override {
    TDropped Dropped;  // released after the lock is let go
    std::lock_guard Lock(FLock);
    if (Handle == 0 || !FEntries.Find(Handle)) return false;
    Dropped = TakeOne(Handle);
    return true;
  }

  bool RemoveObject(IInterface* Obj, THandleKind Kind) override {
    TDropped Dropped;
    std::lock_guard Lock(FLock);
    auto Found = FByObject.find(TObjectKey{Obj, Kind});
    if (Found == FByObject.end()) return false;
    Dropped = TakeOne(Found->second);
    return true;
  }

  TComPtr<IInterface> Resolve(uint32_t Handle, THandleKind Kind) override {
    TEntry* E = BeginCall(Handle, Kind);
    if (!E) return {};
    // The call keeps the entry's reference, so the object can be counted outside the lock.
    const TResolvedPort Call = MakeCall(E, TPortView());
    return TComPtr<IInterface>(E->Obj);
  }

  TResolvedPort ResolvePort(uint32_t Handle) override {
    TEntry* E = BeginCall(Handle, THandleKind::Port);
    // View never changes after the entry was published under the lock BeginCall took.
    return E ? MakeCall(E, E->View) : TResolvedPort();
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
    TEntryTable Dropped;  // released after the lock is let go
    std::lock_guard Lock(FLock);
    Dropped = FEntries.Take();
    FByObject.clear();
    Dropped.ForEach([](TEntryNode& Node) { KeepForCalls(Node); });
  }

  ~THashRegistry() override { Clear(); }

  // Forgets every entry without releasing its references.
  void Abandon() noexcept {
    TEntryTable Forgotten;
    std::lock_guard Lock(FLock);
    Forgotten = FEntries.Take();
    FByObject.clear();
    Forgotten.ForEach([](TEntryNode& Node) {
      for (TComPtr<IInterface>& Ref : Node->Refs) Ref.Detach();
      KeepForCalls(Node);
    });
  }

 protected:
  void EndCall(void* Entry) noexcept override {
    TEntryNode Finished;  // destroyed, with its reference, after the lock is let go
    auto* E = static_cast<TEntry*>(Entry);
    std::lock_guard Lock(FLock);
    if (--E->Calls == 0 && E->Removed) Finished.reset(E);
  }

 private:
  // Counts a call on Handle's entry when it is live and of that kind; the entry, or null.
  TEntry* BeginCall(uint32_t Handle, THandleKind Kind) noexcept {
    std::lock_guard Lock(FLock);
    TEntry* E = Handle != 0 ? FEntries.Find(Handle) : nullptr;
    if (!E || E->Kind != Kind) return nullptr;
    ++E->Calls;
    return E;
  }

  // An entry leaving the table while calls are in progress passes to them: the last to end destroys it.
  // Lock held.
  static void KeepForCalls(TEntryNode& Node) noexcept {
    if (Node->Calls == 0) return;
    Node->Removed = true;
    Node.release();
  }

  // Takes one reference out of Handle's entry (which is live), erasing the entry with its last one.
  // Lock held.
  TDropped TakeOne(uint32_t Handle) noexcept {
    TDropped Dropped;
    TEntry& E = *FEntries.Find(Handle);
    if (E.Refs.size() > 1) {
      Dropped.Ref = std::move(E.Refs.back());
      E.Refs.pop_back();
      return Dropped;
    }
    FByObject.erase(TObjectKey{E.Obj, E.Kind});
    Dropped.Entry = FEntries.Erase(Handle);
    KeepForCalls(Dropped.Entry);
    return Dropped;
  }

  // The next counter value that is neither 0 nor live. Lock held.
  uint32_t IssueToken() {
    for (;;) {
      const uint32_t Token = FNext++;
      if (Token != 0 && !FEntries.Find(Token)) return Token;
    }
  }

  TSpinLock FLock;
  uint32_t FNext;
  TEntryTable FEntries;
  std::unordered_map<TObjectKey, uint32_t, TObjectKeyHash> FByObject;
};

// The library's registry. It is made on first use, after every load-time object of the library, so the
// runtime destroys it before them at unload, releasing what is still registered. At process termination
// on Windows it must release nothing (other threads are gone mid-call): AbandonHandleRegistry makes its
// destruction leave every reference alone.
std::atomic<THashRegistry*> Made{nullptr};
std::atomic<bool> Abandoned{false};

class TLibraryRegistry final : public THashRegistry {
 public:
  TLibraryRegistry() : THashRegistry(1) { Made = this; }
  ~TLibraryRegistry() override {
    Made = nullptr;
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

THandleRegistry& GetHandleRegistry() {
  return *LibraryRegistry();
}

void ReleaseHandleRegistry() noexcept {
  try {
    // Never creates the registry: at unload that would be work for nothing.
    if (THashRegistry* R = Made.load()) R->Clear();
  } catch (...) {
    // A destructor that raised at unload: nothing can be reported any more.
  }
}

void AbandonHandleRegistry() noexcept {
  Abandoned = true;
}

}  // namespace halvern
