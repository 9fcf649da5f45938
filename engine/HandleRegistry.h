// The library's one handle registry: the host holds 32-bit handles, never objects.
//
// Each entry holds one counted reference to a port (its ITransNode), a configuration page (its
// IConfigPageEx) or a page's working port. Handles are tokens issued here, never 0 for a live entry and
// not reissued until the counter wraps, so a stale handle does not silently reach a later port.
// Resolving costs the same however many handles are live. One lock serialises every operation; the
// registry is created on first use and released at unload.
#pragma once

#include <cstdint>

#include "transport/TransBase.h"

namespace halvern {

// What an entry is, so that a page handle given to a port export (or the reverse) is not resolved.
enum class THandleKind : int32_t { Port = 1, Page = 2 };

class THandleRegistry {
 public:
  virtual ~THandleRegistry() = default;

  // Adds one entry holding a new reference to Obj and returns its handle. Adding an object that is
  // already registered adds another entry under the same handle (removal takes one entry at a time).
  virtual uint32_t Add(IInterface* Obj, THandleKind Kind) = 0;
  // Removes the first entry with this handle value; false when none is registered.
  virtual bool Remove(uint32_t Handle) = 0;
  // Removes the first entry of this object; false when it is not registered.
  virtual bool RemoveObject(IInterface* Obj) = 0;
  // A counted reference to the registered object when Handle is live and of that kind; else empty.
  virtual TComPtr<IInterface> Resolve(uint32_t Handle, THandleKind Kind) = 0;
  // The handle under which Obj is registered, or 0.
  virtual uint32_t HandleOf(IInterface* Obj) = 0;
};

// Creates the registry on first use (thread-safe).
THandleRegistry& GetHandleRegistry();

}  // namespace halvern
