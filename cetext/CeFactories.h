// The factories behind EngineInit: each makes a new port, already holding its class's default columns
// and initialised for its direction, and hands out its ITransNode.
#pragma once

#include "transport/EditablePort.h"
#include "transport/TransDefine.h"

namespace halvern {

TComPtr<ITransNode> CreateImportPort();  // TCeTxtImPort, for ENGINE_PORT_IMPORT
TComPtr<ITransNode> CreateExportPort();  // TCeTxtExport, for ENGINE_PORT_EXPORT

// The factory behind the ports' CreateConfigPage, set by the engine's wiring at load (and by tests);
// while none is set a port makes no page. Written before any port is asked for a page.
void SetConfigPageFactory(TConfigPageFactory Factory) noexcept;
TConfigPageFactory ConfigPageFactory() noexcept;

}  // namespace halvern
