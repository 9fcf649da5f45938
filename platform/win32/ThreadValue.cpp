// A TLS index, taken on first use. Each ending thread's notice comes from a TLS callback, which the
// loader calls in every module that has one, a program as well as a DLL: a program that links the
// engine in has no entry point of its own to pass the notice on.
#include "platform/ThreadValue.h"

#include <windows.h>

#include <atomic>

namespace halvern::platform {
namespace {

constinit std::atomic<DWORD> Index{TLS_OUT_OF_INDEXES};
constinit std::atomic<TThreadEndProc> EndProc{nullptr};

// The library's index, allocated by whichever thread gets there first.
DWORD TakeIndex() noexcept {
  DWORD Current = Index.load(std::memory_order_acquire);
  if (Current != TLS_OUT_OF_INDEXES) return Current;
  const DWORD Mine = TlsAlloc();
  if (Mine == TLS_OUT_OF_INDEXES) return Mine;
  if (!Index.compare_exchange_strong(Current, Mine, std::memory_order_acq_rel)) {
    TlsFree(Mine);
    return Current;
  }
  return Mine;
}

}  // namespace

void* ThreadValue() noexcept {
  const DWORD I = Index.load(std::memory_order_acquire);
  return I == TLS_OUT_OF_INDEXES ? nullptr : TlsGetValue(I);
}

bool SetThreadValue(void* Value, TThreadEndProc Proc) noexcept {
  const DWORD I = TakeIndex();
  if (I == TLS_OUT_OF_INDEXES) return false;
  TThreadEndProc None = nullptr;
  EndProc.compare_exchange_strong(None, Proc);
  return TlsSetValue(I, Value) != FALSE;
}

void ThreadEnding() noexcept {
  const DWORD I = Index.load(std::memory_order_acquire);
  if (I == TLS_OUT_OF_INDEXES) return;
  void* Value = TlsGetValue(I);
  if (Value == nullptr) return;
  TlsSetValue(I, nullptr);
  if (TThreadEndProc Proc = EndProc.load()) Proc(Value);
}

void ReleaseThreadValues() noexcept {
  const DWORD I = Index.exchange(TLS_OUT_OF_INDEXES);
  if (I != TLS_OUT_OF_INDEXES) TlsFree(I);
}

namespace {

void NTAPI OnTlsEvent(PVOID, DWORD Reason, PVOID) {
  if (Reason == DLL_THREAD_DETACH) ThreadEnding();
}

}  // namespace
}  // namespace halvern::platform

// The runtime's TLS directory calls every pointer placed between its .CRT$XLA and .CRT$XLZ markers.
extern "C" {
[[gnu::section(".CRT$XLH"), gnu::used]] PIMAGE_TLS_CALLBACK HvThreadValueTlsCallback =
    &halvern::platform::OnTlsEvent;
}
