#include "host/TextTable.h"

#include <algorithm>
#include <cstdint>

namespace halvern::host {
namespace {

struct TRange {
  char32_t First, Last;
};

// East Asian Wide (W) and Fullwidth (F) ranges of the code points a stocktake file may hold.
constexpr TRange kWide[] = {
    {0x1100, 0x115F}, {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},   {0x2E80, 0x303E},
    {0x3041, 0x33FF}, {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xA960, 0xA97F},
    {0xAC00, 0xD7A3}, {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6}, {0x1F300, 0x1F64F}, {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};

// Combining marks that draw over the character before them.
constexpr TRange kZero[] = {{0x0300, 0x036F}, {0x200B, 0x200F}, {0x20D0, 0x20FF}, {0xFE00, 0xFE0F}};

bool In(const TRange* Begin, const TRange* End, char32_t C) {
  return std::any_of(Begin, End, [C](const TRange& R) { return C >= R.First && C <= R.Last; });
}

// Decodes one UTF-8 sequence at Text[I]; advances I. An invalid byte decodes as itself, one byte long.
char32_t Decode(std::string_view Text, size_t& I) {
  const auto B = static_cast<uint8_t>(Text[I]);
  size_t Length = B < 0x80 ? 1 : (B >> 5) == 6 ? 2 : (B >> 4) == 14 ? 3 : (B >> 3) == 30 ? 4 : 0;
  if (Length == 0 || I + Length > Text.size()) {
    ++I;
    return B;
  }
  char32_t C = Length == 1 ? B : B & (0x7F >> Length);
  for (size_t K = 1; K < Length; ++K) {
    const auto Next = static_cast<uint8_t>(Text[I + K]);
    if ((Next & 0xC0) != 0x80) {
      ++I;
      return B;
    }
    C = (C << 6) | (Next & 0x3F);
  }
  I += Length;
  return C;
}

std::string OneLine(std::string Cell) {
  std::replace_if(
      Cell.begin(), Cell.end(), [](char C) { return C == '\r' || C == '\n' || C == '\t'; }, ' ');
  return Cell;
}

}  // namespace

size_t DisplayWidth(std::string_view Utf8) {
  size_t Width = 0;
  for (size_t I = 0; I < Utf8.size();) {
    const char32_t C = Decode(Utf8, I);
    if (In(std::begin(kZero), std::end(kZero), C)) continue;
    Width += In(std::begin(kWide), std::end(kWide), C) ? 2 : 1;
  }
  return Width;
}

std::string FormatTable(const std::vector<std::string>& Header,
                        const std::vector<std::vector<std::string>>& Rows) {
  size_t Columns = Header.size();
  for (const auto& Row : Rows) Columns = std::max(Columns, Row.size());
  std::vector<std::vector<std::string>> Cells;
  Cells.reserve(Rows.size() + 1);
  Cells.push_back(Header);
  Cells.insert(Cells.end(), Rows.begin(), Rows.end());
  std::vector<size_t> Widths(Columns, 0);
  for (auto& Row : Cells) {
    Row.resize(Columns);
    for (size_t I = 0; I < Columns; ++I) {
      Row[I] = OneLine(Row[I]);
      Widths[I] = std::max(Widths[I], DisplayWidth(Row[I]));
    }
  }
  std::string Out;
  auto Line = [&](const std::vector<std::string>& Row) {
    std::string Text;
    for (size_t I = 0; I < Columns; ++I) {
      Text += Row[I];
      if (I + 1 < Columns) Text.append(Widths[I] - DisplayWidth(Row[I]) + 2, ' ');
    }
    Text.erase(Text.find_last_not_of(' ') + 1);
    Out += Text + "\n";
  };
  Line(Cells[0]);
  std::vector<std::string> Rule(Columns);
  for (size_t I = 0; I < Columns; ++I) Rule[I] = std::string(Widths[I], '-');
  Line(Rule);
  for (size_t R = 1; R < Cells.size(); ++R) Line(Cells[R]);
  return Out;
}

}  // namespace halvern::host
