#include "engine/HandleRegistry.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

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

class THashRegistry : public THandleRegistry {
 public:
  explicit THashRegistry(uint32_t FirstToken) : FNext(FirstToken) {}

  uint32_t Add(IInterface* Obj, THandleKind Kind) override {
    if (!Obj) return 0;
    TComPtr<IInterface> Ref(Obj);  // counted before the lock: AddRef runs foreign code
    std::lock_guard Lock(FLock);
    const TObjectKey Key{Obj, Kind};
    if (auto It = FByObject.find(Key); It != FByObject.end()) {
      FEntries[It->second].Refs.push_back(std::move(Ref));
      return It->second;
    }
    const uint32_t Handle = IssueToken();
    TEntry& E = FEntries[Handle];
    E.Kind = Kind;
    E.Refs.push_back(std::move(Ref));
    FByObject.emplace(Key, Handle);
    return Handle;
  }

  bool Remove(uint32_t Handle) override {
    TComPtr<IInterface> Dropped;  // released after the lock is let go
    std::lock_guard Lock(FLock);
    auto It = FEntries.find(Handle);
    if (It == FEntries.end()) return false;
    Dropped = TakeOne(It);
    return true;
  }

  bool RemoveObject(IInterface* Obj, THandleKind Kind) override {
    TComPtr<IInterface> Dropped;
    std::lock_guard Lock(FLock);
    auto Found = FByObject.find(TObjectKey{Obj, Kind});
    if (Found == FByObject.end()) return false;
    Dropped = TakeOne(FEntries.find(Found->second));
    return true;
  }

  TComPtr<IInterface> Resolve(uint32_t Handle, THandleKind Kind) override {
    std::lock_guard Lock(FLock);
    auto It = FEntries.find(Handle);
    if (It == FEntries.end() || It->second.Kind != Kind) return {};
    return It->second.Refs.front();
  }

  uint32_t HandleOf(IInterface* Obj, THandleKind Kind) override {
    std::lock_guard Lock(FLock);
    auto It = FByObject.find(TObjectKey{Obj, Kind});
    return It == FByObject.end() ? 0 : It->second;
  }

  size_t Count() override {
    std::lock_guard Lock(FLock);
    return FEntries.size();
  }

  void Clear() override {
    std::unordered_map<uint32_t, TEntry> Dropped;
    {
      std::lock_guard Lock(FLock);
      Dropped.swap(FEntries);
      FByObject.clear();
    }
  }

  ~THashRegistry() override { Clear(); }

  // Forgets every entry without releasing its references.
  void Abandon() noexcept {
    std::lock_guard Lock(FLock);
    for (auto& [Handle, Entry] : FEntries)
      for (TComPtr<IInterface>& Ref : Entry.Refs) Ref.Detach();
    FEntries.clear();
    FByObject.clear();
  }

 private:
  struct TEntry {
    THandleKind Kind = THandleKind::Port;
    std::vector<TComPtr<IInterface>> Refs;  // one per Add
  };

  // Takes one reference out of the entry, erasing the entry with its last one. Lock held.
  TComPtr<IInterface> TakeOne(std::unordered_map<uint32_t, TEntry>::iterator It) {
    TComPtr<IInterface> Ref = std::move(It->second.Refs.back());
    It->second.Refs.pop_back();
    if (It->second.Refs.empty()) {
      FByObject.erase(TObjectKey{Ref.Get(), It->second.Kind});
      FEntries.erase(It);
    }
    return Ref;
  }

  // The next counter value that is neither 0 nor live. Lock held.
  uint32_t IssueToken() {
    for (;;) {
      const uint32_t Token = FNext++;
      if (Token != 0 && !FEntries.contains(Token)) return Token;
    }
  }

  std::mutex FLock;
  uint32_t FNext;
  std::unordered_map<uint32_t, TEntry> FEntries;
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
