#include <gtest/gtest.h>

#include <string>

#include "textformat/KtStrProc.h"

namespace halvern {
namespace {

// Offset of a search result in S, or -1 for none.
template <class F>
long Pos(const std::string& S, F&& Search) {
  const char* P = Search(S.data(), S.size());
  return P == nullptr ? -1 : static_cast<long>(P - S.data());
}

long Delim(const std::string& S, const std::string& D, const std::string& Q = "\"", const std::string& O = "",
           const std::string& C = "") {
  return Pos(S, [&](const char* P, size_t N) { return FindDelimiter(P, N, D, Q, O, C); });
}

TEST(PlainSearches, FindStrCharOfAndCharRespectTheirRange) {
  const std::string S = "ab;cd;;";
  EXPECT_EQ(Pos(S, [](const char* P, size_t N) { return FindStr(P, ";;", N); }), 5);
  EXPECT_EQ(Pos(S, [](const char* P, size_t) { return FindStr(P, ";;", 6); }), -1)
      << "match must lie whole inside";
  EXPECT_EQ(FindStr(S.data(), "", S.size()), nullptr);
  EXPECT_EQ(FindStr(S.data(), "ab;cd;;x", S.size()), nullptr);
  EXPECT_EQ(FindStr(nullptr, "a", 3), nullptr);
  EXPECT_EQ(Pos(S, [](const char* P, size_t N) { return FindCharOf(P, "dc", N, 2); }), 3);
  EXPECT_EQ(FindCharOf(S.data(), "", S.size(), 0), nullptr);
  EXPECT_EQ(FindCharOf(S.data(), "x", 0, 1), nullptr);
  EXPECT_EQ(Pos(S, [](const char* P, size_t N) { return FindChar(';', P, N); }), 2);
  EXPECT_EQ(FindChar(';', S.data(), 2), nullptr);
  EXPECT_EQ(SetStrFromBuf(S.data() + 1, 3), "b;c");
  EXPECT_EQ(SetStrFromBuf(nullptr, 0), "");
}

TEST(FindDelimiterTest, QuotesAndBracketsHideDelimiters) {
  EXPECT_EQ(Delim("a;b", ";"), 1);
  EXPECT_EQ(Delim("\"a;b\";c", ";"), 5);
  EXPECT_EQ(Delim("\"a;b;c", ";"), -1) << "unterminated quote hides the rest";
  EXPECT_EQ(Delim("x\"a;b\"y;c", ";"), 7) << "a quote opens anywhere in a field";
  EXPECT_EQ(Delim("{a;{b;}c};d", ";", "\"", "{", "}"), 9);
  EXPECT_EQ(Delim("}a;b", ";", "\"", "{", "}"), 2) << "a close bracket at depth 0 is stepped over";
  EXPECT_EQ(Delim("{a;b", ";", "\"", "{", ""), 2) << "brackets need both strings";
  EXPECT_EQ(Delim("a\r\nb", "\r\n"), 1);
  EXPECT_EQ(Delim("a\rb\r", "\r\n"), -1);
  EXPECT_EQ(Delim("a;b", ""), -1);
  EXPECT_EQ(Delim("a\";b", ";", ""), 2) << "empty quote switches quoting off";
}

TEST(FindDelimiterTest, QuoteRunsOutsideQuotes) {
  // Three quotes: one literal quote, scanning continues outside.
  EXPECT_EQ(Delim("\"\"\"|x", "|"), 3);
  // Two quotes: an empty quoted section.
  EXPECT_EQ(Delim("\"\"|x", "|"), 2);
  // Four quotes: a literal quote, then an unterminated section.
  EXPECT_EQ(Delim("\"\"\"\"|x", "|"), -1);
  EXPECT_EQ(Delim("\"\"\"\"\"|x", "|"), 5);
}

TEST(FindDelimiterTest, TripledQuoteInsideQuotesKeepsTheSectionOpen) {
  // How the writer quotes a"b, a|"b and ""a: each is one token.
  EXPECT_EQ(Delim("\"a\"\"\"b\"|x", "|"), 7);
  EXPECT_EQ(Delim("\"a|\"\"\"b\"|x", "|"), 8);
  EXPECT_EQ(Delim("\"\"\"\"\"\"\"a\"|x", "|"), 9);
  EXPECT_EQ(Delim("\"a\"\"\"\"|x", "|"), 6) << "a value ending in a quote";
  EXPECT_EQ(Delim("\"\"\"\"\"\"\"\"|x", "|"), 8) << "a value of two quotes";
  // A closing quote followed by only two more quotes still closes.
  EXPECT_EQ(Delim("\"a\"\"|x", "|"), -1);
}

TEST(FindDelimiterTest, MultiByteSettings) {
  EXPECT_EQ(Delim("''a<>b''<>c", "<>", "''"), 8);
  EXPECT_EQ(Delim("a[[x;]];b", ";", "\"", "[[", "]]"), 7);
}

TEST(FindBlankDelimiterTest, EverySeparatorByteCounts) {
  auto Blank = [](const std::string& S, const std::string& Seps, const std::string& O = "",
                  const std::string& C = "") {
    return Pos(S, [&](const char* P, size_t N) { return FindBlankDelimiter(P, N, Seps, "\"", O, C); });
  };
  EXPECT_EQ(Blank("ab\tc d", " \t"), 2);
  EXPECT_EQ(Blank("\"a b\" c", " "), 5);
  EXPECT_EQ(Blank("(a b) c", " ", "(", ")"), 5);
  EXPECT_EQ(Blank("abc", ""), -1);
  EXPECT_EQ(Blank("", " "), -1);
}

TEST(QuoteRoutines, QuoteUnquoteAndStrip) {
  EXPECT_EQ(QuoteStr("a b", "\""), "\"a b\"");
  EXPECT_EQ(QuoteStr("\"", "\""), "\"\"\"") << "a lone quote is not enclosed";
  EXPECT_EQ(QuoteStr("a\"b", "\""), "\"a\"\"\"b\"");
  EXPECT_EQ(QuoteStr("", "\""), "\"\"");
  EXPECT_EQ(UnquoteStr("\"\"", "\""), "");
  EXPECT_EQ(UnquoteStr("\"a b\"", "\""), "a b");
  EXPECT_EQ(UnquoteStr("\"\"\"", "\""), "\"");
  EXPECT_EQ(UnquoteStr("\"abc", "\""), "\"abc") << "no closing quote keeps the opening one";
  EXPECT_EQ(UnquoteStr("\"a\"\"\"b\"", "\""), "a\"b");
  EXPECT_EQ(StripEnclosing("\"", "\""), "\"");
  EXPECT_EQ(StripEnclosing("''x''", "''"), "x");
  for (const std::string V : {"", "\"", "\"\"", "\"\"\"", "a\"", "\"a", "\"\"a\"\"", "x\"\"\"y", "plain"}) {
    EXPECT_EQ(UnquoteStr(QuoteStr(V, "\""), "\""), V) << V;
  }
}

TEST(OtherRoutines, PadRightAndRemoveChar) {
  EXPECT_EQ(PadRight("ab", ' ', 4), "ab  ");
  EXPECT_EQ(PadRight("abcdef", ' ', 4), "abcdef");
  EXPECT_EQ(PadRight("ab", '*', -1), "ab");
  EXPECT_EQ(RemoveChar("1,234,567", ','), "1234567");
  EXPECT_EQ(RemoveChar("", ','), "");
  EXPECT_EQ(RemoveChar(",,,", ','), "");
}

}  // namespace
}  // namespace halvern
