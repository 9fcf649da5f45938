// The library's one handle registry: the host holds 32-bit handles, never objects.
//
// Each entry holds one counted reference to a port (its ITransNode), a configuration page (its
// IConfigPageEx) or a page's working port (its ITransNode); callers pass those interface pointers, so the
// same object always arrives as the same pointer. Handles are tokens issued here, never 0 for a live entry
// and not reissued until the counter wraps (then 0 and live values are skipped), so a stale handle does
// not silently reach a later port. Resolving costs the same however many handles are live: one probe of
// an open-addressed table under the lock. A port's typed interfaces (its node, column access, record
// source or sink and fast column access) are looked up once, when it is added, and handed out borrowed.
//
// The record and value exports run once per value, so their resolve (ResolvePort) takes no reference on
// the port: the entry counts the calls in progress instead, and an entry removed while calls are in
// progress stops resolving at once but keeps its reference until the last of those calls ends (that call
// gives it up). A port removed by another thread therefore stays alive until every call on it ends, as if
// each call held a reference of its own. Entries live in nodes of their own, so a call can find its entry
// again however the table has changed meanwhile.
//
// One spin lock serialises every operation; its sections are a few instructions long and run no foreign
// code: references are taken and given up outside it, so a destructor that unregisters something else
// cannot deadlock. The library's registry is created on first use and released at unload. A registry must
// outlive every TResolvedPort it handed out.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "transport/TransBase.h"

namespace halvern {

struct ITransNode;
struct ITransPort;
struct IDataReader;
struct IDataWriter;
struct IBorrowedFieldAccess;

// The interfaces of a registered port, found when it was added. Borrowed: valid only while a counted
// reference on the port is held (a TResolvedPort's call keeps the registry's). Null where the port does
// not answer for one.
struct TPortView {
  ITransNode* Node = nullptr;
  ITransPort* Port = nullptr;              // what Node->GetPort gives
  IDataReader* Reader = nullptr;           // Port's record source, import ports only
  IDataWriter* Writer = nullptr;           // Port's record sink, export ports only
  IBorrowedFieldAccess* Fields = nullptr;  // Port's fast column access, when it offers one
};

class THandleRegistry;

// A call in progress on a resolved port: the port's interfaces, borrowed for as long as this lives (the
// registry keeps its reference on the port until the call ends), and the registry entry that counts the
// call. Move-only; ends the call when destroyed. Empty when the handle named no port. Use it on the
// thread and within the call that resolved it.
class TResolvedPort {
 public:
  TResolvedPort() noexcept = default;
  TResolvedPort(TResolvedPort&& Other) noexcept
      : View(std::exchange(Other.View, TPortView())),
        FOwner(std::exchange(Other.FOwner, nullptr)),
        FEntry(std::exchange(Other.FEntry, nullptr)) {}
  TResolvedPort& operator=(TResolvedPort&& Other) noexcept {
    if (this != &Other) {
      End();
      View = std::exchange(Other.View, TPortView());
      FOwner = std::exchange(Other.FOwner, nullptr);
      FEntry = std::exchange(Other.FEntry, nullptr);
    }
    return *this;
  }
  TResolvedPort(const TResolvedPort&) = delete;
  TResolvedPort& operator=(const TResolvedPort&) = delete;
  ~TResolvedPort() { End(); }

  explicit operator bool() const noexcept { return FEntry != nullptr; }

  TPortView View;

 private:
  friend class THandleRegistry;
  TResolvedPort(THandleRegistry* Owner, void* Entry, const TPortView& PortView) noexcept
      : View(PortView), FOwner(Owner), FEntry(Entry) {}
  inline void End() noexcept;

  THandleRegistry* FOwner = nullptr;
  void* FEntry = nullptr;  // the registry's entry; opaque here
};

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
  // A call on the port under Handle, with its interfaces; empty when Handle is not a live port handle.
  // The port is kept alive until the call ends, even when its handle is removed meanwhile.
  virtual TResolvedPort ResolvePort(uint32_t Handle) = 0;
  // The handle under which Obj is registered as that kind, or 0.
  virtual uint32_t HandleOf(IInterface* Obj, THandleKind Kind = THandleKind::Port) = 0;
  // Number of live handles.
  virtual size_t Count() = 0;
  // Gives up every reference without closing anything (an entry with calls in progress gives up its
  // reference when they end); the registry stays usable.
  virtual void Clear() = 0;

 protected:
  // A call counted in Entry, which the registry ends with EndCall when the guard goes.
  TResolvedPort MakeCall(void* Entry, const TPortView& View) noexcept { return {this, Entry, View}; }
  virtual void EndCall(void* Entry) noexcept = 0;

 private:
  friend class TResolvedPort;
};

inline void TResolvedPort::End() noexcept {
  if (FEntry) FOwner->EndCall(std::exchange(FEntry, nullptr));
}

// A registry of its own (tests); FirstToken is the first handle value it tries to issue.
std::unique_ptr<THandleRegistry> CreateHandleRegistry(uint32_t FirstToken = 1);

// The library's registry, created on first use (thread-safe).
THandleRegistry& GetHandleRegistry();

// The library's registry gives up its references (ports are not closed). The runtime's destruction of
// the registry at unload does the same; this is for unloads that must do it at a moment of their own.
void ReleaseHandleRegistry() noexcept;
// At process termination: the registry's destruction will release nothing.
void AbandonHandleRegistry() noexcept;

}  // namespace halvern
