#include <gtest/gtest.h>

#include <string>

#include "rtl/Exceptions.h"
#include "rtl/Stream.h"
#include "textformat/TextLoader.h"

namespace halvern {
namespace {

// A stream that accepts at most Limit bytes in all.
class TFullStream : public TMemoryStream {
 public:
  explicit TFullStream(int64_t Limit) : FLimit(Limit) {}
  int32_t Write(const void* Buffer, int32_t Count) override {
    const int64_t Room = FLimit - GetSize();
    return TMemoryStream::Write(Buffer, Count < Room ? Count : static_cast<int32_t>(Room < 0 ? 0 : Room));
  }

 private:
  int64_t FLimit;
};

std::string Write(TKtTextWriter& W, const std::vector<std::vector<std::string>>& Records) {
  TMemoryStream S;
  W.SetStream(&S);
  for (const auto& Record : Records) {
    W.Clear();
    W.SetFieldCount(static_cast<int32_t>(Record.size()));
    for (size_t I = 0; I < Record.size(); ++I) W.SetField(static_cast<int32_t>(I), Record[I]);
    W.WriteRecord();
  }
  W.SetStream(nullptr);
  return S.ToString();
}

TEST(WriterDefaults, SettingsAndRecordSeparation) {
  TKtTextWriter W;
  EXPECT_EQ(W.Delimiter(), ",");
  EXPECT_EQ(W.LineBreak(), "\r\n");
  EXPECT_EQ(W.Quote(), "\"");
  EXPECT_EQ(W.FixedWidth(), 0);
  EXPECT_FALSE(W.SkipEmpty());
  EXPECT_EQ(W.Stream(), nullptr);
  EXPECT_EQ(Write(W, {{"a", "b"}, {"c"}}), "a,b\r\nc") << "nothing after the last record";
  EXPECT_EQ(Write(W, {{}, {"x"}}), "x") << "an empty first record leaves the stream at 0";
  EXPECT_EQ(Write(W, {{"x"}, {}, {"y"}}), "x\r\n\r\ny");
}

TEST(WriterDefaults, AttachedToAStreamWithDataStartsWithALineBreak) {
  TMemoryStream S;
  S.WriteString("old");
  auto W = TKtTextWriter::CreateOn(&S);
  W->SetField(0, "new");
  W->WriteRecord();
  EXPECT_EQ(S.ToString(), "old\r\nnew");
}

TEST(WriterFields, SetFieldGrowsAndSetFieldCountCuts) {
  TKtTextWriter W;
  W.SetField(5, "x");
  EXPECT_EQ(W.FieldCount(), 6);
  TMemoryStream S;
  W.SetStream(&S);
  W.WriteRecord();
  EXPECT_EQ(S.ToString(), ",,,,,x");
  W.SetFieldCount(2);
  EXPECT_EQ(W.FieldCount(), 2);
  EXPECT_THROW(W.SetField(-1, "x"), EStringListError);
}

TEST(WriterFields, QuotingAndEnclosing) {
  TKtTextWriter W;
  W.SetDelimiter("|");
  EXPECT_EQ(Write(W, {{"A1", "chair", "3"}}), "A1|chair|3");
  EXPECT_EQ(Write(W, {{"office chair", "a|b", ""}}), "\"office chair\"|\"a|b\"|")
      << "last empty value ends with |";
  EXPECT_EQ(Write(W, {{"\"", "a\"b", "x\r\ny", "x\ry"}}), "\"\"\"|\"a\"\"\"b\"|\"x\r\ny\"|x\ry");
  W.SetOpenBracket("[");
  W.SetCloseBracket("]");
  EXPECT_EQ(Write(W, {{"a|b", "a b", "x]"}}), "[a|b]|\"a b\"|[x]]");
  W.SetQuote("");
  EXPECT_EQ(Write(W, {{"a\"b", "a b", "a|b"}}), "a\"b|a b|[a|b]");
  W.SetOpenBracket("");
  EXPECT_EQ(Write(W, {{"a|b"}}), "a|b") << "with quoting and brackets off values are written as they are";
}

TEST(WriterFields, FixedWidthAndSkipEmpty) {
  TKtTextWriter W;
  W.SetFixedWidth(4);
  EXPECT_EQ(Write(W, {{"ab", "abcdef", "a b"}}), "ab  abcda b ");
  W.SetFixedWidth(0);
  W.SetSkipEmpty(true);
  EXPECT_EQ(Write(W, {{"a", "", "b"}}), "a,b");
  EXPECT_EQ(Write(W, {{"a", "b", ""}}), "a,b,") << "the delimiter before a skipped last value stays";
}

TEST(WriterStreams, ShortWriteAndMissingStreamRaise) {
  TKtTextWriter W;
  W.SetField(0, "abcdef");
  EXPECT_THROW(W.WriteRecord(), EWriteError);
  TFullStream S(3);
  W.SetStream(&S);
  EXPECT_THROW(W.WriteRecord(), EWriteError);
}

TEST(WriterSettings, CopySettingsToAnotherWriterOnly) {
  TKtTextWriter A;
  A.SetDelimiter("|");
  A.SetLineBreak("\n");
  A.SetQuote("'");
  A.SetFixedWidth(3);
  A.SetOpenBracket("(");
  A.SetCloseBracket(")");
  A.SetSkipEmpty(true);
  TKtTextWriter B;
  A.CopySettingsTo(B);
  EXPECT_EQ(B.Delimiter(), "|");
  EXPECT_EQ(B.LineBreak(), "\n");
  EXPECT_EQ(B.Quote(), "'");
  EXPECT_EQ(B.FixedWidth(), 3);
  EXPECT_EQ(B.OpenBracket(), "(");
  EXPECT_EQ(B.CloseBracket(), ")");
  EXPECT_FALSE(B.SkipEmpty());
  TKtTextReader R;
  try {
    A.CopySettingsTo(R);
    FAIL() << "copied to a reader";
  } catch (const EConvertError& E) {
    EXPECT_STREQ(E.what(), "Cannot assign a TKtTextWriter to a TKtTextReader");
  }
}

// A memory stream in name only: being a subclass, it takes every record through Write, as any other stream.
class TOtherStream : public TMemoryStream {};

// Writes Records into S from Start on, S already holding Before.
std::string WriteInto(TKtTextWriter& W, TMemoryStream& S, const std::string& Before, int64_t Start,
                      const std::vector<std::vector<std::string>>& Records) {
  S.WriteString(Before);
  S.SetPosition(Start);
  W.SetStream(&S);
  for (const auto& Record : Records) {
    W.Clear();
    for (size_t I = 0; I < Record.size(); ++I) W.SetField(static_cast<int32_t>(I), Record[I]);
    W.WriteRecord();
  }
  W.SetStream(nullptr);
  return S.ToString();
}

// Records built in a memory stream's own storage must be the bytes the general path writes, whatever the
// settings and values, and wherever the stream stands.
TEST(WriterStreams, InPlaceRecordsMatchTheGeneralPath) {
  const std::vector<std::vector<std::string>> Records = {
      {"plain", "", "x"},
      {""},
      {},
      {"a|b", "c"},
      {"q\"q", "sp ace", "\r"},
      {"", ""},
      {"end\n"},
      {"{x}", "y"},
      {"", "last", ""},
      {"\xB1\xE0\xBA\xC5", "1"},
      // Values of a block and more, special bytes beyond the first block, punctuation below the digits.
      {"0123456789abcdef", "0123456789abcdefg", "0123456789abcdef0123456789abcdef!"},
      {"0123456789abcdefghij|klmn", "0123456789abcdef0123456789abcdef\"", "tail past two blocks:"},
      {"!#$%&'()*+-./", "tab\there", "\x7F\xFF"}};
  for (int Setting = 0; Setting < 5; ++Setting) {
    for (const int64_t Start : {0, 3, 8, 20}) {
      auto Configure = [Setting](TKtTextWriter& W) {
        if (Setting == 1) W.SetDelimiter("|");
        if (Setting == 2) W.SetSkipEmpty(true);
        if (Setting == 3) W.SetQuote("");
        if (Setting == 4) {
          W.SetOpenBracket("{");
          W.SetCloseBracket("}");
          W.SetDelimiter("::");
          W.SetLineBreak("\n");
        }
      };
      TKtTextWriter Fast, General;
      Configure(Fast);
      Configure(General);
      TMemoryStream InPlace;
      TOtherStream Through;
      EXPECT_EQ(WriteInto(Fast, InPlace, "0123456789", Start, Records),
                WriteInto(General, Through, "0123456789", Start, Records))
          << "setting " << Setting << ", start " << Start;
    }
  }
}

// A host may set a value more than once before posting the record: the record holds the last of each.
TEST(WriterStreams, ValuesSetAgainBeforeTheRecordIsWritten) {
  for (const bool InPlace : {true, false}) {
    TKtTextWriter W;
    W.SetDelimiter("|");
    TMemoryStream Memory;
    TOtherStream Other;
    TMemoryStream& S = InPlace ? Memory : static_cast<TMemoryStream&>(Other);
    W.SetStream(&S);
    W.SetField(0, "first");
    W.SetField(1, "a|b");
    W.SetField(0, "1");
    W.SetField(1, "plain again");
    W.SetField(1, "plain");
    W.WriteRecord();
    W.Clear();
    W.SetField(1, std::string(40, 'x'));
    W.SetField(0, W.Field(1).substr(30));
    W.WriteRecord();
    EXPECT_EQ(S.ToString(), "1|plain\r\nxxxxxxxxxx|" + std::string(40, 'x'))
        << (InPlace ? "in place" : "general");
  }
}

}  // namespace
}  // namespace halvern
