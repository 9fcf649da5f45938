// The export glue: turning a host's handle into the port or page it names, and the bodies of the 34
// exports. The bodies know only the transport interfaces, never a port class; each resolves its handle,
// keeps the object alive for the whole call (so EngineFina from another thread cannot destroy it
// underneath), acts, and turns every error into its neutral answer: nothing unwinds into the host.
// engine/Exports.cpp gives them their C names.
//
// Thread-safety: as the registry's; calls on one port are not serialized.
#pragma once

#include <utility>

#include "config/ConfigPage.h"
#include "engine/HandleRegistry.h"
#include "halvern.h"
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

// The port or page under Handle, counted; empty when Handle is not live or names the other kind.
TComPtr<ITransNode> ResolvePort(uint32_t Handle);
TComPtr<IConfigPageEx> ResolvePage(uint32_t Handle);
// The port's column access (through GetPort), or empty.
TComPtr<ITransPort> ResolveTransPort(uint32_t Handle);

// The port's direction interface (IDataReader or IDataWriter), or empty.
template <class T>
TComPtr<T> ResolvePortAs(uint32_t Handle) {
  return ResolveTransPort(Handle).template Query<T>();
}

namespace exports {

// Same names, arguments and results as the C exports (declared in halvern.h); all noexcept.
#define HV_DECLARE_BODY(Ret, Name, Params) Ret Name Params noexcept;
HV_EXPORT_LIST(HV_DECLARE_BODY)
#undef HV_DECLARE_BODY

}  // namespace exports
}  // namespace halvern
