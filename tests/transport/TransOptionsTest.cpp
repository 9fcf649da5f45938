#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "halvern.h"
#include "rtl/Stream.h"
#include "textformat/Blanks.h"
#include "transport/TransOptions.h"

namespace halvern {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

// The column titles 编号, 盘点标志, 备注.
const std::string kTitles = "\xB1\xE0\xBA\xC5,\xC5\xCC\xB5\xE3\xB1\xEA\xD6\xBE,\xB1\xB8\xD7\xA2";

std::string WriteOptions(const Pairs& Values, TMemoryStream& S) {
  TOptionsWriter W(S);
  for (const auto& [K, V] : Values) W.WriteValue(K, V);
  return S.ToString();
}

std::string WriteOptions(const Pairs& Values) {
  TMemoryStream S;
  return WriteOptions(Values, S);
}

// Every record of Text as dispatched, known keys or not.
Pairs ReadOptions(const std::string& Text) {
  TMemoryStream S;
  S.WriteString(Text);
  TOPtionsReader R(S);
  Pairs Got;
  R.OnUnknownKey = [&](const std::string& K, const std::string& V) { Got.emplace_back(K, V); };
  R.Parse();
  return Got;
}

TEST(OptionsText, WorkedExampleByteForByte) {
  const Pairs Values = {
      {HV_OPTION_FILE_NAME, "\\Temp\\stock.txt"}, {HV_OPTION_COLUMNS, kTitles}, {HV_OPTION_HAS_TITLE, "1"}};
  const std::string Text = WriteOptions(Values);
  EXPECT_EQ(Text, HV_OPTION_FILE_NAME "=\\Temp\\stock.txt;\r\n" HV_OPTION_COLUMNS "=" + kTitles +
                      ";\r\n" HV_OPTION_HAS_TITLE "=1");
  EXPECT_EQ(ReadOptions(Text), Values);
  EXPECT_EQ(WriteOptions({{HV_OPTION_FILE_NAME, "\\Temp\\stock 1.txt"}}),
            HV_OPTION_FILE_NAME "=\"\\Temp\\stock 1.txt\"");
}

TEST(OptionsText, EncodingOfSpecialValues) {
  EXPECT_EQ(WriteOptions({{"k", "a=b"}}), "k={\r\n\ta=b}");
  EXPECT_EQ(WriteOptions({{"k", "\""}}), "k=\"\"\"");
  EXPECT_EQ(WriteOptions({{"k", "a b"}, {"e", ""}}), "k=\"a b\";\r\ne=");
  EXPECT_EQ(WriteOptions({{"k", "x;y"}}), "k={\r\n\tx;y}") << "a bare ; would end the record";
  EXPECT_EQ(WriteOptions({{"k", "a;b c"}}), "k=\"a;b c\"") << "quoting already protects it";
  EXPECT_EQ(WriteOptions({{"k", "x}"}}), "k=\"x}\"") << "an unbalanced bracket cannot go between brackets";
  EXPECT_EQ(WriteOptions({{"k", "a\"=b"}}), "k=\"a\"\"\"=b\"");
  EXPECT_EQ(WriteOptions({{"k", "\tv"}}), "k={\r\n\t\tv}") << "a leading tab would be trimmed away";
  TMemoryStream S;
  S.WriteString("x=1");
  EXPECT_EQ(WriteOptions({{"k", "v"}}, S), "x=1;\r\nk=v") << "a stream not at 0 gets a separator first";
}

TEST(OptionsText, ReadingStoredTexts) {
  EXPECT_EQ(ReadOptions(""), Pairs{});
  EXPECT_EQ(ReadOptions(HV_OPTION_HAS_TITLE "=1"), (Pairs{{HV_OPTION_HAS_TITLE, "1"}}));
  EXPECT_EQ(ReadOptions(HV_OPTION_HAS_TITLE), (Pairs{{HV_OPTION_HAS_TITLE, ""}}));
  EXPECT_EQ(ReadOptions("a=1;"), (Pairs{{"a", "1"}}));
  EXPECT_EQ(ReadOptions("a=1;\r\n"), (Pairs{{"a", "1"}, {"", ""}}));
  EXPECT_EQ(ReadOptions(" a = 1 ;b=2"), (Pairs{{"a", "1"}, {"b", "2"}}));
  EXPECT_EQ(ReadOptions("k=v=w"), (Pairs{{"k", "v"}}));
  EXPECT_EQ(ReadOptions("k={a=b;c}"), (Pairs{{"k", "a=b;c"}})) << "a plain bracketed value reads as before";
  EXPECT_EQ(ReadOptions("k={\r\n\ta=b}"), (Pairs{{"k", "a=b"}})) << "the writer's opener is taken off";
  EXPECT_EQ(ReadOptions("k={\r\nx}"), (Pairs{{"k", "\r\nx"}}));
  EXPECT_EQ(ReadOptions("k=\"a;b"), (Pairs{{"k", "\"a;b"}})) << "an open quote takes the rest";
  EXPECT_EQ(ReadOptions("k={\"a\"\"\"};n=1"), (Pairs{{"k", "\"a\"\"\""}, {"n", "1"}}))
      << "between brackets the next quote closes";
  EXPECT_EQ(ReadOptions("k=\"a\"\"\";b\";n=1"), (Pairs{{"k", "a\";b"}, {"n", "1"}})) << "the writer's escape";
  EXPECT_EQ(ReadOptions("k=x,\"a\"\"\";n=1"), (Pairs{{"k", "x,\"a\""}, {"n", "1"}}))
      << "left open by the escape: read again with the next quote closing";
}

TEST(OptionsReader, HandlersByExactKeyLatestWins) {
  TMemoryStream S;
  WriteOptions({{HV_OPTION_FILE_NAME, "f"}, {" " HV_OPTION_HAS_TITLE " ", "1"}, {"Key", "x"}, {"key", "y"}},
               S);
  TOPtionsReader R(S);
  std::string File, Title, Lower, First;
  R.RegisterKey(HV_OPTION_FILE_NAME, [&](const std::string& V) { First = V; });
  R.RegisterKey(HV_OPTION_FILE_NAME, [&](const std::string& V) { File = V; });
  R.RegisterKey(HV_OPTION_HAS_TITLE, [&](const std::string& V) { Title = V; });
  R.RegisterKey("key", [&](const std::string& V) { Lower += V; });
  R.Parse();
  EXPECT_EQ(File, "f");
  EXPECT_EQ(First, "");
  EXPECT_EQ(Title, "") << "a key written with blanks is quoted and keeps them";
  EXPECT_EQ(Lower, "y");
  R.Parse();
  EXPECT_EQ(Lower, "yy") << "Parse starts again at the beginning";
}

struct TSink {
  std::vector<std::string> Seen;
  void Take(const std::string& V) { Seen.push_back(V); }
};

TEST(OptionsReader, BoundMethodsAndStopping) {
  TMemoryStream S;
  S.WriteString(" a = 1 ;a=2;a=3");
  TOPtionsReader R(S);
  TSink Sink;
  R.RegisterKey("a", std::bind_front(&TSink::Take, &Sink));
  R.Parse();
  EXPECT_EQ(Sink.Seen, (std::vector<std::string>{"1", "2", "3"}));
  Sink.Seen.clear();
  R.RegisterKey("a", [&](const std::string& V) {
    Sink.Seen.push_back(V);
    R.Stopped = V == "2";
  });
  R.Parse();
  EXPECT_EQ(Sink.Seen, (std::vector<std::string>{"1", "2"}));
}

// Keys and values over the bytes that matter to the options text, GBK characters included.
std::string RandomText(std::mt19937& Rng, size_t MaxLen) {
  static const char* const Pieces[] = {
      "\"", ";", "=", "{", "}",        "\r",       "\n",       "\r\n",     ";\r\n", "{\r\n\t", " ", "\t",
      "\0", "a", "Z", "1", "\xB1\xE0", "\xD6\xD0", "\x81\x7B", "\x81\x7D", "|",     "\"\"\"",  "\\"};
  std::uniform_int_distribution<size_t> Len(0, MaxLen), Piece(0, std::size(Pieces) - 1);
  std::string V;
  for (size_t N = Len(Rng); N > 0; --N) {
    const char* P = Pieces[Piece(Rng)];
    V += (*P == '\0') ? std::string(1, '\0') : std::string(P);
  }
  return V;
}

TEST(OptionsRoundTrip, RandomPairsReadBackUnchanged) {
  std::mt19937 Rng(7041);
  for (int Case = 0; Case < 5000; ++Case) {
    Pairs Values;
    std::uniform_int_distribution<int> Count(1, 6), Big(0, 30);
    for (int N = Count(Rng); N > 0; --N) {
      std::string Value = RandomText(Rng, 10);
      // Now and then a value that straddles one or more 4096-byte loads.
      if (Big(Rng) == 0)
        Value = std::string(static_cast<size_t>(Big(Rng)) * 400, 'v') + Value + RandomText(Rng, 5);
      // A record that reads as an empty key cannot be told from the separator's remains; give every key a
      // byte.
      Values.emplace_back("k" + RandomText(Rng, 4), std::move(Value));
    }
    const std::string Text = WriteOptions(Values);
    ASSERT_EQ(ReadOptions(Text), Values) << "case " << Case;
  }
}

TEST(OptionsRoundTrip, PlainValuesKeepTheirBytes) {
  std::mt19937 Rng(99);
  static const char Plain[] = "abcXYZ019\\/._-,:|\xB1\xE0\xD6\xD0\r\n";
  for (int Case = 0; Case < 500; ++Case) {
    std::string V;
    for (int N = static_cast<int>(Rng() % 12); N > 0; --N) V += Plain[Rng() % (sizeof Plain - 1)];
    V = std::string(TrimBlanks(V));
    EXPECT_EQ(WriteOptions({{"k", V}}), "k=" + V);
  }
}

}  // namespace
}  // namespace halvern
