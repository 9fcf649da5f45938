#include "cetext/CeFactories.h"

namespace halvern {

// Placeholders until the device text ports exist: no port is made.
TComPtr<ITransNode> CreateImportPort() {
  return {};
}
TComPtr<ITransNode> CreateExportPort() {
  return {};
}

}  // namespace halvern
