// The comma list of column titles and the integer of the title flag.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "cetext/CeSettingsText.h"

namespace halvern {
namespace {

using TTitles = std::vector<std::string>;

TEST(CommaList, PlainTitlesAreJoinedByCommas) {
  EXPECT_EQ(TitlesToCommaText({"\xB1\xE0\xBA\xC5", "\xC5\xCC\xB5\xE3\xB1\xEA\xD6\xBE", "\xB1\xB8\xD7\xA2"}),
            "\xB1\xE0\xBA\xC5,\xC5\xCC\xB5\xE3\xB1\xEA\xD6\xBE,\xB1\xB8\xD7\xA2");  // 编号,盘点标志,备注
  EXPECT_EQ(TitlesToCommaText({}), "");
  EXPECT_EQ(TitlesToCommaText({"a"}), "a");
}

TEST(CommaList, SpecialTitlesAreQuoted) {
  EXPECT_EQ(TitlesToCommaText({"a b", "c"}), "\"a b\",c");
  EXPECT_EQ(TitlesToCommaText({"a,b"}), "\"a,b\"");
  EXPECT_EQ(TitlesToCommaText({"say \"hi\""}), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(TitlesToCommaText({"tab\there"}), "\"tab\there\"");
  EXPECT_EQ(TitlesToCommaText({""}), "\"\"");
  EXPECT_EQ(TitlesToCommaText({"", ""}), ",");
  EXPECT_EQ(TitlesToCommaText({"a", "", "b"}), "a,,b");
}

TEST(CommaList, BlanksSeparateUnquotedTitlesLikeCommas) {
  EXPECT_EQ(CommaTextToTitles("a b,c"), (TTitles{"a", "b", "c"}));
  EXPECT_EQ(CommaTextToTitles("\"a b\",c"), (TTitles{"a b", "c"}));
  EXPECT_EQ(CommaTextToTitles("  a ,  b  "), (TTitles{"a", "b"}));
  EXPECT_EQ(CommaTextToTitles("a\r\n\tb"), (TTitles{"a", "b"}));
}

TEST(CommaList, EmptyTextsAndCommas) {
  EXPECT_EQ(CommaTextToTitles(""), TTitles{});
  EXPECT_EQ(CommaTextToTitles("   "), TTitles{});
  EXPECT_EQ(CommaTextToTitles("a,"), (TTitles{"a", ""}));
  EXPECT_EQ(CommaTextToTitles(","), (TTitles{"", ""}));
  EXPECT_EQ(CommaTextToTitles(",a"), (TTitles{"", "a"}));
  EXPECT_EQ(CommaTextToTitles("a,,b"), (TTitles{"a", "", "b"}));
  EXPECT_EQ(CommaTextToTitles("\"\""), (TTitles{""}));
  // A comma followed only by blanks does not end the text, so it adds no empty title.
  EXPECT_EQ(CommaTextToTitles("a, "), (TTitles{"a"}));
}

TEST(CommaList, QuotedTitlesKeepEverythingInside) {
  EXPECT_EQ(CommaTextToTitles("\"a \"\"b\"\" ,c\""), (TTitles{"a \"b\" ,c"}));
  // A quote that is never closed takes the rest of the text.
  EXPECT_EQ(CommaTextToTitles("x,\"open, end"), (TTitles{"x", "open, end"}));
}

TEST(CommaList, GbkTitlesAreNeverSplit) {
  // 列 is \xC1\xD0; trail bytes are never separators.
  EXPECT_EQ(CommaTextToTitles("\xC1\xD0 \xC1\xD0"), (TTitles{"\xC1\xD0", "\xC1\xD0"}));
}

TEST(CommaList, EveryListReadsBackAsWritten) {
  const TTitles Cases[] = {{""},
                           {"", ""},
                           {"", "", ""},
                           {" lead", "trail "},
                           {"a", ""},
                           {"", "a"},
                           {"=", ";", "{", "}"},
                           {"\"", "\"\"", "a\"b"},
                           {",", ",,"},
                           {"\t", "\r\n", " "},
                           {"\xB1\xE0\xBA\xC5", "a b c"}};
  for (const TTitles& T : Cases)
    EXPECT_EQ(CommaTextToTitles(TitlesToCommaText(T)), T) << TitlesToCommaText(T);

  std::mt19937 Rng(20240305);
  const std::string Alphabet[] = {"a",  "Z", " ", ",", "\"", "\t",       "\r",
                                  "\n", "=", ";", "{", "}",  "\xB1\xE0", "\x7F"};
  for (int Trial = 0; Trial < 3000; ++Trial) {
    TTitles T(1 + Rng() % 5);
    for (auto& S : T)
      for (unsigned N = Rng() % 6; N > 0; --N) S += Alphabet[Rng() % std::size(Alphabet)];
    ASSERT_EQ(CommaTextToTitles(TitlesToCommaText(T)), T) << TitlesToCommaText(T);
  }
}

TEST(OptionInteger, DecimalAndHexadecimalForms) {
  EXPECT_EQ(OptionTextToInt("0"), 0);
  EXPECT_EQ(OptionTextToInt("1"), 1);
  EXPECT_EQ(OptionTextToInt("  -12"), -12);
  EXPECT_EQ(OptionTextToInt("+7"), 7);
  EXPECT_EQ(OptionTextToInt("256"), 256);
  EXPECT_EQ(OptionTextToInt("$1F"), 31);
  EXPECT_EQ(OptionTextToInt("x10"), 16);
  EXPECT_EQ(OptionTextToInt("X10"), 16);
  EXPECT_EQ(OptionTextToInt("0x10"), 16);
  EXPECT_EQ(OptionTextToInt("0XfF"), 255);
  EXPECT_EQ(OptionTextToInt("-$10"), -16);
  EXPECT_EQ(OptionTextToInt("$FFFFFFFF"), -1);
  EXPECT_EQ(OptionTextToInt("2147483647"), 2147483647);
  EXPECT_EQ(OptionTextToInt("-2147483648"), INT32_MIN);
}

TEST(OptionInteger, AnythingElseIsNoInteger) {
  for (const char* Bad :
       {"", " ", "abc", "1 ", "1x", "$", "0x", "+", "-", "2147483648", "$100000000", "1.0", "\t1"})
    EXPECT_FALSE(OptionTextToInt(Bad).has_value()) << '"' << Bad << '"';
}

}  // namespace
}  // namespace halvern
