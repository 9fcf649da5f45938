// The value syntaxes of a device text port's options: the comma list of column titles ("数据列") and the
// integer of the title flag ("包含标题").
//
// Pure functions; safe from any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace halvern {

// Joins Titles with ",". A title holding a byte 0-32, a double quote or a comma is enclosed in double
// quotes with its inner quotes doubled, so that CommaTextToTitles gives the same list back; a list of
// exactly one empty title is written as two double quotes.
std::string TitlesToCommaText(const std::vector<std::string>& Titles);

// Reads a comma list: unquoted titles end at a comma or at any byte 0-32 (so blanks separate titles just
// as commas do); a quoted title runs to its closing quote, two quotes inside standing for one; a comma
// that ends the text adds one more, empty, title. A quote that is never closed takes the rest of the text.
std::vector<std::string> CommaTextToTitles(std::string_view Text);

// An integer option: leading blanks, an optional sign, then decimal digits, or hexadecimal digits after
// "$", "x", "X", "0x" or "0X", and nothing after them; empty when Text is no such integer or does not fit
// in 32 bits.
std::optional<int32_t> OptionTextToInt(std::string_view Text);

}  // namespace halvern
