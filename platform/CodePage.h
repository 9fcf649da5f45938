// Code page 936 (GBK), the ANSI code page of every text the engine handles, and its conversions to
// UTF-16 (the system's wide texts, the device's file names) and UTF-8 (the trace, the host program).
//
// One converter for the whole process: tables built once, at the first conversion of a character that is
// not ASCII, from the system's own converter, so a text converts through them exactly as the system would
// convert it. Text the tables do not cover (a broken or unmapped character, a character outside GBK)
// goes to the system's converter. Every function is safe from any thread at any time.
#pragma once

#include <cstddef>
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

// Appends Utf8 in GBK to Out and returns true when every character has a GBK code that converts back to
// it; otherwise returns false with Out as it was.
bool Utf8ToAnsiExact(std::string_view Utf8, std::string& Out);

// For loops that convert millions of values into their own buffer (the host program's CSV output):
// the room AnsiToUtf8Into needs for GbkBytes of input (two bytes of GBK make at most three of UTF-8).
constexpr size_t Utf8Room(size_t GbkBytes) {
  return GbkBytes + GbkBytes / 2 + 1;
}
// Converts Gbk into Out, which has Utf8Room(Gbk.size()) bytes, and returns the bytes written; npos, when
// Gbk holds anything but ASCII and double-byte characters that have a code point, means AnsiToUtf8 is
// to convert it instead.
size_t AnsiToUtf8Into(std::string_view Gbk, char* Out);

}  // namespace halvern::platform
