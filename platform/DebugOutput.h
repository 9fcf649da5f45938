// Where a diagnostic line goes when no file is named for it, and which thread wrote it.
#pragma once

#include <cstdint>
#include <string_view>

namespace halvern::platform {

// Writes one UTF-8 line (without its line end) to the process's debug output: standard error on Linux,
// the debugger's output on Windows. Never fails.
void WriteDebugLine(std::string_view Utf8Line) noexcept;

// The calling thread's number as the system's tools show it.
uint32_t CurrentThreadNumber() noexcept;

}  // namespace halvern::platform
