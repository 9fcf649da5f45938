// Code page 936 (GBK), the ANSI code page of every text the engine handles.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace halvern::platform {

// True when B begins a double-byte character in code page 936.
bool IsLeadByte(uint8_t B) noexcept;

// Conversions between GBK and UTF-16. Bytes that do not convert become U+FFFD / '?' rather than failing.
std::u16string AnsiToWide(std::string_view Gbk);
std::string WideToAnsi(std::u16string_view Wide);

// For terminals and CSV files of the host program.
std::string AnsiToUtf8(std::string_view Gbk);
std::string Utf8ToAnsi(std::string_view Utf8);

}  // namespace halvern::platform
