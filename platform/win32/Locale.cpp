// Regional settings from the user's locale in the system, which the C runtime's locale does not follow.
#include "platform/Locale.h"

#include <windows.h>

#include <ctime>

namespace halvern::platform {

char UserDecimalSeparator() {
  char Buf[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, Buf, sizeof Buf) > 1 && Buf[0] != '\0')
    return Buf[0];
  return '.';
}

int32_t CurrentLocalYear() {
  const std::time_t Now = std::time(nullptr);
  std::tm Tm{};
  localtime_s(&Tm, &Now);
  return Tm.tm_year + 1900;
}

}  // namespace halvern::platform
