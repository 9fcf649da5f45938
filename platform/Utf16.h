// UTF-8 <-> UTF-16, for the system interfaces that take wide text (Windows) and the texts of the host
// program, which are UTF-8. What does not convert (a broken UTF-8 sequence, a lone surrogate) becomes
// U+FFFD, never an error and never a shorter result that hides it. Pure; thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace halvern::platform {

std::u16string Utf8ToUtf16(std::string_view Utf8);
std::string Utf16ToUtf8(std::u16string_view Utf16);

}  // namespace halvern::platform
