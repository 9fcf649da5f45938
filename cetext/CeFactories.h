// The factories behind EngineInit: each makes a new port, already holding its class's default columns
// and initialised for its direction, and hands out its ITransNode.
#pragma once

#include "transport/TransDefine.h"

namespace halvern {

TComPtr<ITransNode> CreateImportPort();  // TCeTxtImPort, Initialize(1)
TComPtr<ITransNode> CreateExportPort();  // TCeTxtExport, Initialize(2)

}  // namespace halvern
