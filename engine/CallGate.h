// Finishing a port or page (its Close, its HidePage) only once no call uses it any more.
//
// EngineFina and ConfigFina first remove the handle, so no new call reaches the object; what runs
// already must finish on intact state. The finish therefore runs at once when no call of any thread is
// inside the object, and otherwise when the last such call leaves, on that call's thread. Nothing ever
// waits: a thread that finalizes from inside an event procedure of the same object, or while another
// thread's call on it waits for the finalizing thread, cannot deadlock. Each finish runs exactly once.
//
// Calls are known two ways. A call on a thread's own cached slot (the record and value calls) marks the
// thread's Borrowed with the object, without a fence; the finalizer pairs that with a process-wide
// barrier (platform/ProcessBarrier.h). Every other call holds a counted reference, entered here.
//
// Thread-safety: all of it; one lock guards the counts and the pending finishes.
#pragma once

#include <atomic>
#include <cstdint>
#include <utility>

#include "transport/TransBase.h"

namespace halvern {

using TFinishProc = void (*)(IInterface* Obj);

// Finishes waiting for a call to leave, process-wide: read on the way out of every borrowed call, so
// that the usual case (none) costs one load.
extern std::atomic<int32_t> GPendingFinishes;

// Counted calls on Obj (the registered interface pointer). Enter raises std::bad_alloc.
void EnterCountedCall(IInterface* Obj);
void LeaveCountedCall(IInterface* Obj) noexcept;

// Obj's handle is already gone: Finish(Obj) runs now when no call uses Obj, else when the last one
// leaves. Errors Finish raises are swallowed (the host has finished with the object either way).
void FinishWhenIdle(TComPtr<IInterface> Obj, TFinishProc Finish);

// Runs the pending finishes whose object no call uses any more; for a call's way out.
void FinishIdle() noexcept;

// A counted call on a registered object: keeps it alive, and its finish waiting, while this lives.
class TCountedCall {
 public:
  TCountedCall() noexcept = default;
  // Obj's call is already entered.
  explicit TCountedCall(TComPtr<IInterface> Obj) noexcept : FObj(std::move(Obj)) {}
  TCountedCall(TCountedCall&& Other) noexcept : FObj(std::move(Other.FObj)) {}
  TCountedCall& operator=(TCountedCall&&) = delete;
  ~TCountedCall() {
    if (FObj) LeaveCountedCall(FObj.Get());
  }

  IInterface* Get() const noexcept { return FObj.Get(); }
  explicit operator bool() const noexcept { return static_cast<bool>(FObj); }

 private:
  TComPtr<IInterface> FObj;
};

}  // namespace halvern
