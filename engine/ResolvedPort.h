// A port as the export glue sees it for one call: its interfaces, and what keeps them alive.
#pragma once

#include <atomic>
#include <cstdint>
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

// A resolved port, for the length of one call: its interfaces, borrowed. What keeps them alive is the
// calling thread's cached reference (a call on the thread's own slot, the usual case) or the call's own
// reference (a call inside another call of the same thread, or a thread without a cache). Move-only;
// the registry makes them.
class TResolvedPort {
 public:
  TResolvedPort() = default;
  TResolvedPort(TResolvedPort&& Other) noexcept
      : View(Other.View),
        FRef(std::move(Other.FRef)),
        FDepth(std::exchange(Other.FDepth, nullptr)),
        FLive(Other.FLive) {}
  TResolvedPort& operator=(TResolvedPort&&) = delete;
  ~TResolvedPort() {
    if (FDepth) FDepth->store(FDepth->load(std::memory_order_relaxed) - 1, std::memory_order_relaxed);
  }

  explicit operator bool() const noexcept { return FLive; }

  TPortView View;

  // The registry's side. Borrowing: the call runs on a thread's cached slot, and is counted in that
  // thread's Depth (which only that thread changes) until this goes.
  void Borrowing(std::atomic<int32_t>& Depth) noexcept {
    Depth.store(Depth.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    FDepth = &Depth;
  }
  void Found(const TPortView& Found) noexcept {
    View = Found;
    FLive = true;
  }
  // Found, with a reference of the call's own.
  void Found(const TPortView& Found, TComPtr<IInterface> Ref) noexcept {
    this->Found(Found);
    FRef = std::move(Ref);
  }

 private:
  TComPtr<IInterface> FRef;
  std::atomic<int32_t>* FDepth = nullptr;
  bool FLive = false;
};

}  // namespace halvern
