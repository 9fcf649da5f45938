// The engine's identity and its two port factories: module-level slots that the library's main block
// fills at load (engine/Halvern.cpp), so that the export glue never names a port class. Empty until then:
// EngineInit answers ENGINE_ERR_CREATE for an empty factory slot.
//
// Thread-safety: the slots are written once at load, before any export can run, and cleared at unload;
// in between they are only read.
#pragma once

#include <cstdint>
#include <string>

#include "transport/TransDefine.h"

namespace halvern {

// Stores a new port, already initialised for its direction, as ITransNode; empty when none was made.
using TPortFactory = TComPtr<ITransNode> (*)();

struct TEngineIdentity {
  std::string Name;         // GBK
  std::string Description;  // GBK
  int32_t TypeNumber = 0;
  TPortFactory ImportPortFactory = nullptr;
  TPortFactory ExportPortFactory = nullptr;
};

// The current slots (read-only outside start-up and unload).
const TEngineIdentity& EngineIdentity() noexcept;
// Start-up and unload (and tests) fill or clear the slots.
void SetEngineIdentity(TEngineIdentity Identity);
void ClearEngineIdentity() noexcept;

}  // namespace halvern
