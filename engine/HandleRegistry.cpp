#include "engine/HandleRegistry.h"

#include <functional>
#include <new>
#include <utility>

#include "transport/BorrowedFields.h"
#include "transport/ConfigPage.h"
#include "transport/TransDefine.h"

namespace halvern {
namespace {

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

IConfigPageEx* FindPage(IInterface* Obj) {
  return TComPtr<IInterface>(Obj).Query<IConfigPageEx>().Get();
}

}  // namespace

size_t THandleRegistry::TObjectKeyHash::operator()(const TObjectKey& K) const noexcept {
  return std::hash<IInterface*>()(K.Obj) ^ (static_cast<size_t>(K.Kind) << 1);
}

uint32_t THandleRegistry::Add(IInterface* Obj, THandleKind Kind) {
  if (!Obj) return 0;
  // Counted and asked before the lock: both run the object's own code.
  std::vector<TComPtr<IInterface>> Refs;
  Refs.emplace_back(Obj);
  const TPortView View = Kind == THandleKind::Port ? FindPortView(Obj) : TPortView();
  IConfigPageEx* const Page = Kind == THandleKind::Page ? FindPage(Obj) : nullptr;
  TComPtr<IInterface> Unused;  // released after the lock when a step below raises
  std::lock_guard Lock(FLock);
  const TObjectKey Key{Obj, Kind};
  if (auto It = FByObject.find(Key); It != FByObject.end()) {
    TSlot& Slot = At(It->second);
    Slot.Refs.push_back(std::move(Refs.front()));
    return SlotHandle(Slot);
  }
  // Everything that can fail comes before anything is recorded.
  const uint32_t Index = NextIndex();
  try {
    FByObject.emplace(Key, Index);
  } catch (...) {
    Unused = std::move(Refs.front());
    throw;
  }
  TSlot& Slot = At(Index);
  if (Index == FUsed) {
    ++FUsed;
  } else {
    FFreeHead = Slot.NextFree;
    if (FFreeHead == kNoSlot) FFreeTail = kNoSlot;
    --FFreeCount;
  }
  Slot.Obj = Obj;
  Slot.Kind = Kind;
  Slot.View = View;
  Slot.Page = Page;
  Slot.Refs = std::move(Refs);
  Slot.NextFree = kNoSlot;
  ++FLive;
  const uint32_t Handle = SlotHandle(Slot);
  Slot.State.store(uint64_t{Handle} << 32, std::memory_order_release);
  return Handle;
}

uint32_t THandleRegistry::NextIndex() {
  if (FFreeHead != kNoSlot && (FFreeCount > FReuseAfter || FUsed == kMaxSlots)) return FFreeHead;
  if (FUsed == kMaxSlots) throw std::bad_alloc();
  if (FUsed % kChunkSize == 0) {
    auto* Chunk = new TSlot[kChunkSize];
    for (uint32_t I = 0; I < kChunkSize; ++I) Chunk[I].Index = FUsed + I;
    FChunks[FUsed >> kChunkBits].store(Chunk, std::memory_order_release);
  }
  return FUsed;
}

THandleRegistry::TSlot* THandleRegistry::LiveSlot(uint32_t Handle, THandleKind Kind) const noexcept {
  TSlot* const Slot = SlotOf(Handle);
  if (!Slot || Slot->State.load(std::memory_order_relaxed) >> 32 != Handle) return nullptr;
  return Slot->Kind == Kind ? Slot : nullptr;
}

bool THandleRegistry::Kill(TSlot& Slot, TFinishProc Finish) noexcept {
  Slot.Finish = Finish;
  FByObject.erase(TObjectKey{Slot.Obj, Slot.Kind});
  --FLive;
  const uint64_t Old = Slot.State.fetch_and(kCallsMask, std::memory_order_acq_rel);
  return (Old & kCallsMask) == 0;
}

THandleRegistry::TSlot* THandleRegistry::RemoveLocked(TSlot& Slot, TFinishProc Finish,
                                                      TComPtr<IInterface>& Dropped) {
  if (Slot.Refs.size() > 1) {
    Dropped = std::move(Slot.Refs.back());
    Slot.Refs.pop_back();
    return nullptr;
  }
  return Kill(Slot, Finish) ? &Slot : nullptr;
}

bool THandleRegistry::Remove(uint32_t Handle, THandleKind Kind, TFinishProc Finish) {
  TComPtr<IInterface> Dropped;
  TSlot* Idle = nullptr;
  {
    std::lock_guard Lock(FLock);
    TSlot* const Slot = LiveSlot(Handle, Kind);
    if (!Slot) return false;
    Idle = RemoveLocked(*Slot, Finish, Dropped);
  }
  if (Idle) Empty(*Idle);
  return true;
}

bool THandleRegistry::RemoveObject(IInterface* Obj, THandleKind Kind) {
  TComPtr<IInterface> Dropped;
  TSlot* Idle = nullptr;
  {
    std::lock_guard Lock(FLock);
    const auto It = FByObject.find(TObjectKey{Obj, Kind});
    if (It == FByObject.end()) return false;
    Idle = RemoveLocked(At(It->second), nullptr, Dropped);
  }
  if (Idle) Empty(*Idle);
  return true;
}

void THandleRegistry::Empty(TSlot& Slot) noexcept {
  if (Slot.Finish && !Slot.Failed.load(std::memory_order_relaxed)) {
    try {
      Slot.Finish(Slot.Obj);
    } catch (...) {
      // The host finished with the object whatever its closing did.
    }
  }
  std::vector<TComPtr<IInterface>> Refs;  // released after the lock
  std::lock_guard Lock(FLock);
  Refs = std::move(Slot.Refs);
  Slot.Obj = nullptr;
  Slot.View = TPortView();
  Slot.Page = nullptr;
  Slot.Finish = nullptr;
  Slot.Failed.store(false, std::memory_order_relaxed);
  Slot.Generation = Slot.Generation == kMaxGeneration ? 1 : Slot.Generation + 1;
  // Last in the queue: the slot that has been free longest is reused first.
  Slot.NextFree = kNoSlot;
  if (FFreeTail == kNoSlot)
    FFreeHead = Slot.Index;
  else
    At(FFreeTail).NextFree = Slot.Index;
  FFreeTail = Slot.Index;
  ++FFreeCount;
}

uint32_t THandleRegistry::HandleOf(IInterface* Obj, THandleKind Kind) {
  std::lock_guard Lock(FLock);
  const auto It = FByObject.find(TObjectKey{Obj, Kind});
  return It == FByObject.end() ? 0 : SlotHandle(At(It->second));
}

size_t THandleRegistry::Count() {
  std::lock_guard Lock(FLock);
  return FLive;
}

void THandleRegistry::Clear() {
  std::vector<TSlot*> Idle;
  {
    std::lock_guard Lock(FLock);
    Idle.reserve(FLive);
    for (uint32_t I = 0; I < FUsed; ++I) {
      TSlot& Slot = At(I);
      if (Slot.State.load(std::memory_order_relaxed) >> 32 != 0 && Kill(Slot, nullptr)) Idle.push_back(&Slot);
    }
  }
  for (TSlot* Slot : Idle) Empty(*Slot);
}

THandleRegistry::~THandleRegistry() {
  const bool Abandoned = FAbandoned.load();
  if (!Abandoned) Clear();
  // Left now: the slots with a call still inside (abandoned: every slot). Their references are kept,
  // never released, and each gets a call that never leaves, so that the late call does not empty it
  // into a registry that is gone; the chunks stay allocated for that call to leave through.
  bool Kept = false;
  for (uint32_t I = 0; I < FUsed; ++I) {
    TSlot& Slot = At(I);
    if (!Abandoned && Slot.State.load() == 0) continue;
    Slot.State.fetch_add(1);
    for (TComPtr<IInterface>& Ref : Slot.Refs) Ref.Detach();
    Kept = true;
  }
  if (Kept) return;
  for (std::atomic<TSlot*>& Chunk : FChunks) delete[] Chunk.load();
}

namespace {

// The library's registry. It is made on first use, after every load-time object of the library, so the
// runtime destroys it before them at unload, releasing what is still registered.
struct TLibraryRegistry {
  TLibraryRegistry() { GLibraryRegistry.store(&Registry, std::memory_order_release); }
  ~TLibraryRegistry() { GLibraryRegistry.store(nullptr, std::memory_order_release); }
  THandleRegistry Registry;
};

}  // namespace

constinit std::atomic<THandleRegistry*> GLibraryRegistry{nullptr};

THandleRegistry& MakeHandleRegistry() {
  static TLibraryRegistry Library;
  return Library.Registry;
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
  if (THandleRegistry* R = GLibraryRegistry.load()) R->Abandon();
}

}  // namespace halvern
