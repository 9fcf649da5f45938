// The system's message text for a Win32 error code, as GBK, without a trailing line break.
#pragma once

#include <cstdint>
#include <string>

namespace halvern::platform {

std::string SystemErrorText(uint32_t Code);

// SystemErrorText(8), "not enough memory", made by the first call and kept for the process, so that
// telling the host that memory ran out takes no memory of its own. Raises only from the first call: the
// engine makes that before its first port exists.
const std::string& OutOfMemoryText();

}  // namespace halvern::platform
