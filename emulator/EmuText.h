// UTF-16 helpers of the emulator: simple case folding for name matching, and conversions between the
// UTF-16 names the device receives and UTF-8. Pure functions, thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace rapiemu {

// Lower case of one UTF-16 unit for the letters that have a simple one-to-one case pair: ASCII,
// Latin-1, Greek, Cyrillic and full-width Latin.
char16_t FoldCase(char16_t C) noexcept;
bool SameNameNoCase(std::u16string_view A, std::u16string_view B) noexcept;
std::u16string FoldName(std::u16string_view S);

std::string Utf16ToUtf8(std::u16string_view S);
// Invalid sequences give U+FFFD.
std::u16string Utf8ToUtf16(std::string_view S);

}  // namespace rapiemu
