// The system's message text for a Win32 error code, as GBK, without a trailing line break.
#pragma once

#include <cstdint>
#include <string>

namespace halvern::platform {

std::string SystemErrorText(uint32_t Code);

}  // namespace halvern::platform
