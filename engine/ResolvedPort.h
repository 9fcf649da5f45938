// A port as the export glue sees it for one call: its interfaces, and what keeps them alive.
#pragma once

#include <atomic>
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
// reference on the port is held. Null where the port does not answer for one.
struct TPortView {
  ITransNode* Node = nullptr;
  ITransPort* Port = nullptr;              // what Node->GetPort gives
  IDataReader* Reader = nullptr;           // Port's record source, import ports only
  IDataWriter* Writer = nullptr;           // Port's record sink, export ports only
  IBorrowedFieldAccess* Fields = nullptr;  // Port's fast column access, when it offers one
};

// One call on a thread's own slot, counted in the thread's Depth (which only that thread changes) for as
// long as this lives.
class TBorrowedCall {
 public:
  explicit TBorrowedCall(std::atomic<int32_t>& Depth) noexcept : FDepth(Depth) { Enter(Depth); }
  TBorrowedCall(const TBorrowedCall&) = delete;
  TBorrowedCall& operator=(const TBorrowedCall&) = delete;
  ~TBorrowedCall() { Leave(FDepth); }

  // No read-modify-write: no other thread changes Depth.
  static void Enter(std::atomic<int32_t>& Depth) noexcept {
    Depth.store(Depth.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
  }
  static void Leave(std::atomic<int32_t>& Depth) noexcept {
    Depth.store(Depth.load(std::memory_order_relaxed) - 1, std::memory_order_relaxed);
  }

 private:
  std::atomic<int32_t>& FDepth;
};

// A resolved port, for the length of one call: its interfaces, borrowed. What keeps them alive is the
// calling thread's cached reference (a call on the thread's own slot, the usual case) or the call's own
// reference (a call inside another call of the same thread, or a thread without a cache). Move-only;
// the registry makes them.
//
// View refers to the slot's interfaces rather than holding a copy: the record and value calls read one
// or two of them, and copying all five first costs more than the rest of the lookup. Nothing is set up
// on that path beyond the reference and the depth count.
class TResolvedPort {
 public:
  // Nothing resolved.
  TResolvedPort() noexcept : View(kNone) {}
  // A call borrowing a thread's slot (Slot, its interfaces); the call is counted in the thread's Depth
  // (which only that thread changes) until this goes.
  TResolvedPort(const TPortView& Slot, std::atomic<int32_t>& Depth) noexcept : View(Slot), FDepth(&Depth) {
    TBorrowedCall::Enter(Depth);
  }
  // A call holding a reference of its own, with a copy of the port's interfaces (the rare path: a call
  // inside a call, or a thread without a cache). Raises std::bad_alloc.
  TResolvedPort(const TPortView& Found, TComPtr<IInterface> Ref)
      : TResolvedPort(std::make_unique<TOwned>(TOwned{Found, std::move(Ref)})) {}
  TResolvedPort(TResolvedPort&& Other) noexcept
      : View(Other.View), FOwned(std::move(Other.FOwned)), FDepth(std::exchange(Other.FDepth, nullptr)) {}
  TResolvedPort& operator=(TResolvedPort&&) = delete;
  ~TResolvedPort() {
    if (FDepth) TBorrowedCall::Leave(*FDepth);
  }

  explicit operator bool() const noexcept { return &View != &kNone; }

  const TPortView& View;

 private:
  struct TOwned {
    TPortView View;
    TComPtr<IInterface> Ref;
  };
  explicit TResolvedPort(std::unique_ptr<TOwned> Owned) noexcept
      : View(Owned->View), FOwned(std::move(Owned)) {}

  static constexpr TPortView kNone{};
  std::unique_ptr<TOwned> FOwned;  // only on the rare path; the borrowed one sets nothing up
  std::atomic<int32_t>* FDepth = nullptr;
};

}  // namespace halvern
