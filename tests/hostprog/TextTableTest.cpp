// Terminal widths and table alignment with wide characters.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "host/TextTable.h"

namespace halvern::host {
namespace {

TEST(TextTable, CountsWideCharactersAsTwoColumns) {
  EXPECT_EQ(DisplayWidth("abc"), 3u);
  EXPECT_EQ(DisplayWidth("编号"), 4u);
  EXPECT_EQ(DisplayWidth("（实木）"), 8u);   // full-width brackets
  EXPECT_EQ(DisplayWidth("ＡＢ"), 4u);       // full-width Latin
  EXPECT_EQ(DisplayWidth("e\xCC\x81"), 1u);  // e with a combining acute accent
  EXPECT_EQ(DisplayWidth("\xFF\xFE"
                         "a"),
            3u);                            // bytes that are no UTF-8 count one each
  EXPECT_EQ(DisplayWidth("\xE7\xBC"), 2u);  // a truncated sequence, too
}

TEST(TextTable, AlignsColumnsByDisplayWidth) {
  const std::string Table = FormatTable({"编号", "备注"}, {{"A1", "正常"}, {"ZC-0002", "x"}, {"B", ""}});
  std::istringstream Lines(Table);
  std::vector<std::string> L;
  for (std::string Line; std::getline(Lines, Line);) L.push_back(Line);
  ASSERT_EQ(L.size(), 5u);
  EXPECT_EQ(L[0], "编号     备注");
  EXPECT_EQ(L[1], "-------  ----");
  EXPECT_EQ(L[2], "A1       正常");
  EXPECT_EQ(L[3], "ZC-0002  x");
  EXPECT_EQ(L[4], "B");  // no blanks after the last cell
}

TEST(TextTable, KeepsEachRecordOnOneLine) {
  const std::string Table = FormatTable({"a"}, {{"two\r\nlines"}, {}});
  EXPECT_EQ(Table, "a\n----------\ntwo  lines\n\n");
}

}  // namespace
}  // namespace halvern::host
