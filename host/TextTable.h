// Aligned text tables for the terminal. Widths are counted in terminal columns: East Asian wide and
// full-width characters (CJK ideographs, kana, Hangul, full-width forms) take two, combining marks none,
// everything else one. Stateless.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace halvern::host {

// Terminal columns that the UTF-8 text takes. A byte that starts no valid sequence counts as one column.
size_t DisplayWidth(std::string_view Utf8);

// A table with a header row, a rule under it and one line per row, columns separated by two blanks and
// padded to their widest cell. Cells are UTF-8; missing cells are empty; line breaks inside a cell are
// shown as a blank so that every record stays on one line.
std::string FormatTable(const std::vector<std::string>& Header,
                        const std::vector<std::vector<std::string>>& Rows);

}  // namespace halvern::host
