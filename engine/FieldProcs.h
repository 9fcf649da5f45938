// The typed value procedures behind FieldGetProc: one per value shape, each resolving the port handle
// and column index on every call, so an address stays valid for as long as the library is loaded and
// belongs to no handle. Read procedures serve import ports, write procedures export ports; a handle of
// the wrong kind or direction, an index that names no column, a null pointer or any error inside the
// engine gives the procedure's neutral answer. Stateless apart from the registry.
#pragma once

#include "halvern.h"

namespace halvern {

// The procedure for a direction (1 read, 2 write) and field type code, or null.
HV_PROC FieldValueProc(int32_t Direction, int32_t FieldType) noexcept;

}  // namespace halvern
