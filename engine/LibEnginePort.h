// The export glue: turning a host's handle into the port or page it names, and the bodies of the 34
// exports. The bodies know only the transport interfaces, never a port class; each resolves its handle,
// keeps the object alive and intact for the whole call (EngineFina or ConfigFina from another thread
// removes the handle at once but closes the object only when the last call on it has left), acts, and
// turns every error into its neutral answer: nothing unwinds into the host.
// engine/Exports.cpp gives them their C names.
//
// Thread-safety: as the registry's; calls on one port are not serialized.
#pragma once

#include <utility>

#include "engine/HandleRegistry.h"
#include "halvern.h"
#include "transport/ConfigPage.h"
#include "transport/TransDefine.h"

namespace halvern {

// The port under Handle with its interfaces, kept alive for as long as the result is held: by the
// calling thread's cached reference, so a call on a port the thread used last takes no lock and counts
// nothing (the record and value exports, which run once per record or value, take this path); empty when
// Handle is not live or names a page.
inline TResolvedPort ResolvePortView(uint32_t Handle) {
  return GetHandleRegistry().ResolvePort(Handle);
}

// Body(View) for the port under Handle, View being its interfaces (null ones when Handle is not live or
// names a page), kept alive for the call: ResolvePortView for the record and value exports, at the cost
// of one more copy of Body.
template <class TBody>
inline decltype(auto) WithPortView(uint32_t Handle, TBody&& Body) {
  return GetHandleRegistry().WithPort(Handle, std::forward<TBody>(Body));
}

// One call's interface T of a registered port or page, with the counted call that keeps the object alive
// and its finalization waiting (engine/CallGate.h) for as long as this lives. Move-only.
template <class T>
class TCall {
 public:
  TCall() noexcept = default;
  TCall(TCountedCall Call, TComPtr<T> Ptr) noexcept : FCall(std::move(Call)), FPtr(std::move(Ptr)) {}
  TCall(TCall&&) noexcept = default;
  TCall& operator=(TCall&&) = delete;

  explicit operator bool() const noexcept { return static_cast<bool>(FPtr); }
  T* operator->() const noexcept { return FPtr.Get(); }
  T& operator*() const noexcept { return *FPtr; }
  T* Get() const noexcept { return FPtr.Get(); }
  const TComPtr<T>& Ptr() const noexcept { return FPtr; }
  // A plain reference to the interface: it keeps the object alive, but not its finalization waiting.
  operator TComPtr<T>() const& noexcept { return FPtr; }
  // Another interface of the same object, within the same call.
  template <class U>
  TCall<U> Query() && {
    TComPtr<U> Other = FPtr.template Query<U>();
    return std::move(*this).With(std::move(Other));
  }
  // Other, reached from this object, within the same call (empty when Other is).
  template <class U>
  TCall<U> With(TComPtr<U> Other) && {
    if (!Other) return {};
    return TCall<U>(std::move(FCall), std::move(Other));
  }

 private:
  TCountedCall FCall;
  TComPtr<T> FPtr;
};

// The port or page under Handle, for one call; empty when Handle is not live or names the other kind.
TCall<ITransNode> ResolvePort(uint32_t Handle);
TCall<IConfigPageEx> ResolvePage(uint32_t Handle);
// The port's column access (through GetPort), or empty.
TCall<ITransPort> ResolveTransPort(uint32_t Handle);

// The port's direction interface (IDataReader or IDataWriter), or empty.
template <class T>
TCall<T> ResolvePortAs(uint32_t Handle) {
  return ResolveTransPort(Handle).template Query<T>();
}

namespace exports {

// Same names, arguments and results as the C exports (declared in halvern.h); all noexcept.
#define HV_DECLARE_BODY(Ret, Name, Params) Ret Name Params noexcept;
HV_EXPORT_LIST(HV_DECLARE_BODY)
#undef HV_DECLARE_BODY

}  // namespace exports
}  // namespace halvern
