// What the engine's texts count as blank, said once for the reader, the options, the settings and the
// page: every byte up to 32, that is the space and all control bytes (NUL included). A GBK double-byte
// character never holds such a byte, so testing byte by byte cannot split one; the ideographic space
// (A1 A1) is not a blank.
#pragma once

#include <string_view>

namespace halvern {

constexpr bool IsBlank(char C) noexcept {
  return static_cast<unsigned char>(C) <= 32;
}

// S without its leading and trailing blanks.
constexpr std::string_view TrimBlanks(std::string_view S) noexcept {
  while (!S.empty() && IsBlank(S.front())) S.remove_prefix(1);
  while (!S.empty() && IsBlank(S.back())) S.remove_suffix(1);
  return S;
}

// S without its leading and trailing spaces and tabs only: a value's text (a number, a truth value) keeps
// any other control byte, which then makes it invalid.
constexpr std::string_view TrimSpacesAndTabs(std::string_view S) noexcept {
  constexpr auto IsSpaceOrTab = [](char C) { return C == ' ' || C == '\t'; };
  while (!S.empty() && IsSpaceOrTab(S.front())) S.remove_prefix(1);
  while (!S.empty() && IsSpaceOrTab(S.back())) S.remove_suffix(1);
  return S;
}

}  // namespace halvern
