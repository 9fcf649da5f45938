// The window in which `halvern configure` shows a port's configuration page, as a host application
// embeds it: the page above an OK and a Cancel button. The page needs a Windows host; elsewhere there is
// no such window. One implementation per system (posix/, win32/).
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "host/EngineLib.h"

namespace halvern::host {

// True where the page can be shown.
bool ConfigDialogAvailable();

// Shows the page of Port (a port of Engine) and waits for the user. OK validates the page, which itself
// says what is missing, and closes the window only when the entries are valid: true, with Options the
// working port's options text (GBK). Cancel or closing the window: false. Where the page cannot be
// shown, says why on Err: false.
bool RunConfigDialog(TEngineLib& Engine, uint32_t Port, std::ostream& Err, std::string& Options);

}  // namespace halvern::host
