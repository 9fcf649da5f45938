#include <gtest/gtest.h>

#include <string_view>

#include "textformat/Blanks.h"

namespace halvern {
namespace {

using namespace std::string_view_literals;

TEST(Blanks, TrimBlanksTakesEveryByteUpTo32FromBothEnds) {
  EXPECT_EQ(TrimBlanks(""), "");
  EXPECT_EQ(TrimBlanks(" \0\x1F "sv), "");
  EXPECT_EQ(TrimBlanks("a"), "a");
  EXPECT_EQ(TrimBlanks("\t a  b \r\n"), "a  b");
  EXPECT_EQ(TrimBlanks("\xA1\xA1"), "\xA1\xA1");  // the ideographic space is not a blank
  EXPECT_EQ(TrimBlanks("!\x7F"), "!\x7F");        // 33 and above stay
}

TEST(Blanks, TrimSpacesAndTabsKeepsOtherControlBytes) {
  EXPECT_EQ(TrimSpacesAndTabs(" \t12\t "), "12");
  EXPECT_EQ(TrimSpacesAndTabs("\r12\n"), "\r12\n");
  EXPECT_EQ(TrimSpacesAndTabs(" \0 "sv), "\0"sv);
}

}  // namespace
}  // namespace halvern
