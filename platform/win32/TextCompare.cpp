// Case-insensitive comparison in the user's locale. Both texts are widened from code page 936 first:
// CompareStringA would interpret them in the process's ANSI code page, which need not be 936.
#include "platform/TextCompare.h"

#include <windows.h>

#include "platform/CodePage.h"

namespace halvern::platform {

bool SameText(std::string_view A, std::string_view B) {
  if (A.size() == B.size() && A == B) return true;
  const std::u16string WA = AnsiToWide(A);
  const std::u16string WB = AnsiToWide(B);
  if (WA.empty() || WB.empty()) return false;
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, reinterpret_cast<const wchar_t*>(WA.data()),
                        static_cast<int>(WA.size()), reinterpret_cast<const wchar_t*>(WB.data()),
                        static_cast<int>(WB.size())) == CSTR_EQUAL;
}

}  // namespace halvern::platform
