// Locale-aware case-insensitive comparison of ANSI (GBK) texts.
#pragma once

#include <string_view>

namespace halvern::platform {

// True when A and B are equal ignoring letter case.
bool SameText(std::string_view A, std::string_view B);

}  // namespace halvern::platform
