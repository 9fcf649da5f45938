#include "host/ConfigDialog.h"

#include <ostream>

namespace halvern::host {

bool ConfigDialogAvailable() {
  return false;
}

bool RunConfigDialog(TEngineLib&, uint32_t, std::ostream& Err, std::string&) {
  Err << "halvern: this system has no window for the configuration page\n";
  return false;
}

}  // namespace halvern::host
