// Regional settings from the C runtime's current locale.
#include "platform/Locale.h"

#include <clocale>
#include <ctime>

namespace halvern::platform {

char UserDecimalSeparator() {
  const std::lconv* L = std::localeconv();
  return L && L->decimal_point && L->decimal_point[0] != '\0' ? L->decimal_point[0] : '.';
}

int32_t CurrentLocalYear() {
  const std::time_t Now = std::time(nullptr);
  std::tm Tm{};
  localtime_r(&Now, &Tm);
  return Tm.tm_year + 1900;
}

}  // namespace halvern::platform
