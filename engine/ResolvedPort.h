// A port as the export glue sees it for one call: its interfaces, and what keeps them alive.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <utility>

#include "engine/CallGate.h"
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

// One call on a thread's own slot, marked in the thread's Borrowed (which only that thread changes) for
// as long as this lives.
class TBorrowedCall {
 public:
  TBorrowedCall(std::atomic<IInterface*>& Borrowed, IInterface* Port) noexcept : FBorrowed(Borrowed) {
    Enter(Borrowed, Port);
  }
  TBorrowedCall(const TBorrowedCall&) = delete;
  TBorrowedCall& operator=(const TBorrowedCall&) = delete;
  ~TBorrowedCall() { Leave(FBorrowed); }

  // The mark is made before the caller checks that the handle still names the port, and the compiler
  // keeps that order; the finalizer's process-wide barrier supplies the rest (engine/CallGate.h).
  static void Enter(std::atomic<IInterface*>& Borrowed, IInterface* Port) noexcept {
    Borrowed.store(Port, std::memory_order_relaxed);
    std::atomic_signal_fence(std::memory_order_seq_cst);
  }
  // Released, so that a finish run elsewhere after it sees everything the call did.
  static void Leave(std::atomic<IInterface*>& Borrowed) noexcept {
    Borrowed.store(nullptr, std::memory_order_release);
    if (GPendingFinishes.load(std::memory_order_relaxed) != 0) [[unlikely]]
      FinishIdle();
  }

 private:
  std::atomic<IInterface*>& FBorrowed;
};

// A resolved port, for the length of one call: its interfaces, borrowed. What keeps them alive is the
// calling thread's cached reference (a call on the thread's own slot, the usual case) or the call's own
// counted reference (a call inside another call of the same thread, or a thread without a cache).
// Move-only; the registry makes them.
//
// View refers to the slot's interfaces rather than holding a copy: the record and value calls read one
// or two of them, and copying all five first costs more than the rest of the lookup. Nothing is set up
// on that path beyond the reference and the thread's mark.
class TResolvedPort {
 public:
  // Nothing resolved.
  TResolvedPort() noexcept : View(kNone) {}
  // A call borrowing a thread's slot (Slot, its interfaces), already marked in the thread's Borrowed;
  // the mark goes with this.
  TResolvedPort(const TPortView& Slot, std::atomic<IInterface*>& Borrowed) noexcept
      : View(Slot), FBorrowed(&Borrowed) {}
  // A counted call of its own, with a copy of the port's interfaces (the rare path: a call inside a
  // call, or a thread without a cache). Raises std::bad_alloc.
  TResolvedPort(const TPortView& Found, TCountedCall Call)
      : TResolvedPort(std::make_unique<TOwned>(Found, std::move(Call))) {}
  TResolvedPort(TResolvedPort&& Other) noexcept
      : View(Other.View),
        FOwned(std::move(Other.FOwned)),
        FBorrowed(std::exchange(Other.FBorrowed, nullptr)) {}
  TResolvedPort& operator=(TResolvedPort&&) = delete;
  ~TResolvedPort() {
    if (FBorrowed) TBorrowedCall::Leave(*FBorrowed);
  }

  explicit operator bool() const noexcept { return &View != &kNone; }

  const TPortView& View;

 private:
  struct TOwned {
    TOwned(const TPortView& V, TCountedCall C) noexcept : View(V), Call(std::move(C)) {}
    TPortView View;
    TCountedCall Call;
  };
  explicit TResolvedPort(std::unique_ptr<TOwned> Owned) noexcept
      : View(Owned->View), FOwned(std::move(Owned)) {}

  static constexpr TPortView kNone{};
  std::unique_ptr<TOwned> FOwned;  // only on the rare path; the borrowed one sets nothing up
  std::atomic<IInterface*>* FBorrowed = nullptr;
};

}  // namespace halvern
