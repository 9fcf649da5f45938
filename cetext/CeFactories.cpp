#include "cetext/CeFactories.h"

#include "cetext/CeTxtExport.h"
#include "cetext/CeTxtImPort.h"

namespace halvern {

TComPtr<ITransNode> CreateImportPort() {
  TComPtr<ITransNode> Port = MakeCePort<TCeTxtImPort>();
  Port->Initialize(1);
  return Port;
}

TComPtr<ITransNode> CreateExportPort() {
  TComPtr<ITransNode> Port = MakeCePort<TCeTxtExport>();
  Port->Initialize(2);
  return Port;
}

}  // namespace halvern
