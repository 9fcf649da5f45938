#include "cetext/CeFactories.h"

#include <atomic>

#include "cetext/CeTxtExport.h"
#include "cetext/CeTxtImPort.h"

namespace halvern {
namespace {

std::atomic<TConfigPageFactory> GConfigPageFactory{nullptr};

}  // namespace

TComPtr<ITransNode> CreateImportPort() {
  TComPtr<ITransNode> Port = MakeCePort<TCeTxtImPort>();
  Port->Initialize(ENGINE_PORT_IMPORT);
  return Port;
}

TComPtr<ITransNode> CreateExportPort() {
  TComPtr<ITransNode> Port = MakeCePort<TCeTxtExport>();
  Port->Initialize(ENGINE_PORT_EXPORT);
  return Port;
}

void SetConfigPageFactory(TConfigPageFactory Factory) noexcept {
  GConfigPageFactory.store(Factory);
}

TConfigPageFactory ConfigPageFactory() noexcept {
  return GConfigPageFactory.load();
}

}  // namespace halvern
