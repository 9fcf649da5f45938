// The user's regional settings and the local calendar, as the system holds them.
#pragma once

#include <cstdint>

namespace halvern::platform {

// The first character of the user's decimal separator: the regional settings on Windows, the C
// runtime's current locale elsewhere; '.' when none is set.
char UserDecimalSeparator();

// The current calendar year in local time.
int32_t CurrentLocalYear();

}  // namespace halvern::platform
