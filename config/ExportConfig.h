// The device text engine's configuration page.
#pragma once

#include "config/ConfigPage.h"

namespace halvern {

class TCeTransPort;

// Creates a page bound to Port (LoadFrom done) and returns its IConfigPageEx; empty when none was made.
TComPtr<IConfigPageEx> CreateCeConfig(TCeTransPort* Port);

}  // namespace halvern
