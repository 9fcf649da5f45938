#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "rtl/Exceptions.h"
#include "textformat/TestStreams.h"
#include "textformat/TextLoader.h"

namespace halvern {
namespace {

using test::TChunkedStream;
using Records = std::vector<std::vector<std::string>>;

// A step that reads Data from a plain memory stream, whose storage the reader splits in place.
constexpr int32_t kInPlace = 0;

// Every record of Data as the reader gives it, read through a stream of the given step.
Records ReadAll(TKtTextReader& R, std::string_view Data, int32_t Step = 0x7FFFFFFF) {
  TChunkedStream Chunked(Data, Step);
  TMemoryStream Plain;
  Plain.WriteString(std::string(Data));
  TStream& S = Step == kInPlace ? static_cast<TStream&>(Plain) : Chunked;
  Records Out;
  R.SetStream(&S);
  for (int Guard = 0; !R.Eof(); ++Guard) {
    if (Guard > 1000000) {
      ADD_FAILURE() << "reader does not advance";
      break;
    }
    Out.push_back(R.Fields().ToVector());
    R.Next();
  }
  R.SetStream(nullptr);
  return Out;
}

Records ReadPipe(std::string_view Data, int32_t Step = 0x7FFFFFFF) {
  TKtTextReader R;
  R.SetDelimiter("|");
  return ReadAll(R, Data, Step);
}

const int32_t kSteps[] = {1, 2, 7, 4096, 4097, 0x7FFFFFFF, kInPlace};

TEST(ReaderDefaults, SettingsAfterConstruction) {
  TKtTextReader R;
  EXPECT_EQ(R.Delimiter(), ";");
  EXPECT_EQ(R.LineBreak(), "\r\n");
  EXPECT_EQ(R.Quote(), "\"");
  EXPECT_EQ(R.OpenBracket(), "");
  EXPECT_FALSE(R.TrimFields());
  EXPECT_FALSE(R.BlankSeparated());
  EXPECT_EQ(R.BufSize(), 4096);
  EXPECT_TRUE(R.Eof()) << "no stream";
  EXPECT_EQ(R.GetField(0), "");
}

TEST(ReaderRecords, LineBreaksAndEndOfData) {
  for (int32_t Step : kSteps) {
    EXPECT_EQ(ReadPipe("", Step), Records{}) << Step;
    EXPECT_EQ(ReadPipe("a|b", Step), (Records{{"a", "b"}})) << Step;
    EXPECT_EQ(ReadPipe("a|b\r\n", Step), (Records{{"a", "b"}})) << "a final line break adds no record";
    EXPECT_EQ(ReadPipe("a|b\r\n\r\nc", Step), (Records{{"a", "b"}, {}, {"c"}})) << Step;
    EXPECT_EQ(ReadPipe("a|b\r", Step), (Records{{"a", "b"}})) << "a lone CR at the end is dropped";
    EXPECT_EQ(ReadPipe("a\nb\r\nc", Step), (Records{{"a\nb"}, {"c"}})) << "a lone LF is data";
    EXPECT_EQ(ReadPipe("\"x|y\r\nz\"|w\r\nq", Step), (Records{{"x|y\r\nz", "w"}, {"q"}})) << Step;
  }
}

TEST(ReaderRecords, EmptyRecordKeepsEofFalseWhileDataRemains) {
  TChunkedStream S("a\r\n\r\nb");
  TKtTextReader R;
  R.SetStream(&S);
  R.Next();
  EXPECT_EQ(R.Fields().Count(), 0);
  EXPECT_FALSE(R.Eof());
  R.Next();
  EXPECT_EQ(R.GetField(0), "b");
  R.Next();
  EXPECT_TRUE(R.Eof());
  R.First();
  EXPECT_EQ(R.GetField(0), "a") << "First rewinds";
}

TEST(ReaderFields, DelimitedSplitting) {
  TKtTextReader R;  // default delimiter ";"
  EXPECT_EQ(ReadAll(R, "a;b\r\n;a\r\na;;b\r\na;b;\r\n;\r\nx"),
            (Records{{"a", "b"}, {"", "a"}, {"a", "", "b"}, {"a", "b"}, {""}, {"x"}}));
  EXPECT_EQ(ReadAll(R, "\"\";\"\"\";\"a b\";\"abc"), (Records{{"", "\"", "a b", "\"abc"}}));
}

TEST(ReaderFields, GetFieldBeyondCountIsEmptyAndNegativeRaises) {
  TChunkedStream S("a;b");
  TKtTextReader R;
  R.SetStream(&S);
  EXPECT_EQ(R.GetField(1), "b");
  EXPECT_EQ(R.GetField(2), "");
  EXPECT_EQ(R.GetField(100), "");
  EXPECT_THROW(R.GetField(-1), EStringListError);
}

TEST(ReaderFields, TrimmingBracketsAndQuotes) {
  TKtTextReader R;
  R.SetDelimiter("=");
  R.SetLineBreak(";");
  R.SetOpenBracket("{");
  R.SetCloseBracket("}");
  EXPECT_EQ(ReadAll(R, "k={a;b};"), (Records{{"k", "a;b"}})) << "the inner ; is at depth 1";
  EXPECT_EQ(ReadAll(R, " k = { x } "), (Records{{" k ", " { x } "}})) << "no trimming by default";
  R.SetTrimFields(true);
  EXPECT_EQ(ReadAll(R, " k = { x } ;\r\n\" v \" = \"{\" "), (Records{{"k", " x "}, {" v ", "{"}}));
  EXPECT_EQ(ReadAll(R, "{}={{}}"), (Records{{"", "{}"}}));
}

TEST(ReaderFields, WithoutQuoteBracketsAreIgnoredInTheLineSearch) {
  TKtTextReader R;
  R.SetQuote("");
  R.SetDelimiter("=");
  R.SetLineBreak(";");
  R.SetOpenBracket("{");
  R.SetCloseBracket("}");
  EXPECT_EQ(ReadAll(R, "k={a;b}"), (Records{{"k", "{a"}, {"b}"}}));
}

TEST(ReaderModes, BlankSeparated) {
  TKtTextReader R;
  R.SetDelimiter(" ");
  R.SetBlankSeparated(true);
  EXPECT_EQ(ReadAll(R, "   a  b \"c d\"  \r\nx"), (Records{{"a", "b", "c d"}, {"x"}}));
  R.SetDelimiter(",");
  EXPECT_EQ(ReadAll(R, " a, b"), (Records{{"a", " b"}})) << "a blank that is no separator stays in the field";
  R.SetDelimiter("");
  EXPECT_EQ(ReadAll(R, "  a b"), (Records{{"a b"}}));
}

TEST(ReaderModes, FixedColumnsNeverCutADoubleByteCharacter) {
  TKtTextReader R;
  R.SetColumnStops({3, 5});
  EXPECT_EQ(ReadAll(R, "abcdefg\r\nab"), (Records{{"abc", "de", "fg"}, {"ab", "", ""}}));
  EXPECT_EQ(ReadAll(R, "abc\r\n\r\nx\r\n"), (Records{{"abc", "", ""}, {"", "", ""}, {"x", "", ""}}))
      << "an empty line has its columns; the end of data has none";
  // "ab" then GBK 中文 (D6 D0 CE C4): stop 3 falls on the lead byte D6, so 中 goes to the next column.
  EXPECT_EQ(ReadAll(R, "ab\xD6\xD0\xCE\xC4z"), (Records{{"ab", "\xD6\xD0", "\xCE\xC4z"}}));
  // Stop 2 falls on D0, the trail byte of 中 although its value is in the lead range: the column
  // ends after the whole character.
  R.SetColumnStops({2, 4});
  EXPECT_EQ(ReadAll(R, "\xD6\xD0\xCE\xC4x"), (Records{{"\xD6\xD0", "\xCE\xC4", "x"}}));
  R.SetColumnStops({4, 2, 100});  // out of order and beyond the line: no crash, nothing invented
  EXPECT_EQ(ReadAll(R, "abcdef"), (Records{{"abcd", "", "cdef", ""}}));
  R.SetTrimFields(true);
  R.SetColumnStops({3});
  EXPECT_EQ(ReadAll(R, " a  b "), (Records{{"a", "b"}}));
}

TEST(ReaderBuffer, LongRecordsReadWhole) {
  const std::string Long(10000, 'x');
  for (int32_t Step : kSteps) {
    EXPECT_EQ(ReadPipe(Long + "|y\r\nz", Step), (Records{{Long, "y"}, {"z"}})) << Step;
  }
}

TEST(ReaderBuffer, QuotedLineBreakStraddlingALoad) {
  // The quoted field opens before byte 4096 and its line break and closing quote come after it.
  for (size_t Pad : {4090u, 4093u, 4094u, 4095u, 4096u, 8190u}) {
    const std::string Head(Pad, 'h');
    const std::string Data = Head + "|\"in\r\nside|x\"\"\"y\"|t\r\nnext";
    for (int32_t Step : kSteps) {
      EXPECT_EQ(ReadPipe(Data, Step), (Records{{Head, "in\r\nside|x\"y", "t"}, {"next"}}))
          << Pad << " " << Step;
    }
  }
}

TEST(ReaderBuffer, BracketDepthSurvivesRefills) {
  TKtTextReader R;
  R.SetDelimiter("=");
  R.SetLineBreak(";");
  R.SetOpenBracket("{");
  R.SetCloseBracket("}");
  const std::string Inner = std::string(5000, 'a') + ";" + std::string(5000, 'b');
  for (int32_t Step : kSteps) {
    EXPECT_EQ(ReadAll(R, "k={" + Inner + "};j=1", Step), (Records{{"k", Inner}, {"j", "1"}})) << Step;
  }
}

TEST(ReaderBuffer, LineBreakSplitAcrossLoadsIsHeldBack) {
  const std::string Head(4095, 'a');  // the CR is byte 4096, its LF the first of the next load
  EXPECT_EQ(ReadPipe(Head + "\r\nb"), (Records{{Head}, {"b"}}));
}

TEST(ReaderBuffer, LineBreakBytesFillingTheBufferDoNotStall) {
  const std::string Lfs(4096, '\n');
  for (int32_t Step : kSteps) {
    const Records Got = ReadPipe(Lfs + "\r\nx", Step);
    ASSERT_EQ(Got.size(), 2u) << Step;
    EXPECT_EQ(Got[1], std::vector<std::string>{"x"});
    EXPECT_EQ(ReadPipe(Lfs, Step), Records{}) << "trailing line-break bytes are dropped";
    EXPECT_EQ(ReadPipe(std::string(9000, '\r'), Step), Records{});
  }
}

TEST(ReaderBuffer, UnterminatedQuoteTakesTheRestOfTheData) {
  EXPECT_EQ(ReadPipe("a|\"b\r\nc|d\r\n"), (Records{{"a", "\"b\r\nc|d"}}));
}

TEST(ReaderStreams, SourceThatStopsEarlyEndsTheData) {
  test::TStallingStream S("a|b\r\nc|d\r\ne", 7);
  TKtTextReader R;
  R.SetDelimiter("|");
  R.SetStream(&S);
  Records Got;
  for (int Guard = 0; !R.Eof() && Guard < 100; ++Guard) {
    Got.push_back(R.Fields().ToVector());
    R.Next();
  }
  EXPECT_TRUE(R.Eof());
  EXPECT_EQ(Got, (Records{{"a", "b"}, {"c"}}));
}

TEST(ReaderStreams, DetachingMakesEofTrue) {
  TChunkedStream S("a");
  TKtTextReader R;
  R.SetStream(&S);
  EXPECT_FALSE(R.Eof());
  R.SetStream(nullptr);
  EXPECT_TRUE(R.Eof());
  EXPECT_EQ(R.Fields().Count(), 0);
}

TEST(ReaderSettings, LongLineBreakLargerThanTheBuffer) {
  TKtTextReader R;
  const std::string Break(5000, '#');
  R.SetLineBreak(Break);
  EXPECT_EQ(ReadAll(R, "a;b" + Break + "c", 1000), (Records{{"a", "b"}, {"c"}}));
}

TEST(ReaderSettings, CopySettingsToAnotherReaderOnly) {
  TKtTextReader A;
  A.SetDelimiter("|");
  A.SetLineBreak("\n");
  A.SetQuote("'");
  A.SetOpenBracket("(");
  A.SetCloseBracket(")");
  A.SetTrimFields(true);
  A.SetBlankSeparated(true);
  A.SetColumnStops({4, 8});
  TKtTextReader B;
  A.CopySettingsTo(B);
  EXPECT_EQ(B.Delimiter(), "|");
  EXPECT_EQ(B.LineBreak(), "\n");
  EXPECT_EQ(B.Quote(), "'");
  EXPECT_EQ(B.OpenBracket(), "(");
  EXPECT_EQ(B.CloseBracket(), ")");
  EXPECT_TRUE(B.TrimFields());
  EXPECT_FALSE(B.BlankSeparated()) << "not a copied setting";
  EXPECT_EQ(B.ColumnStops(), (std::vector<int32_t>{4, 8}));
  TKtTextWriter W;
  try {
    A.CopySettingsTo(W);
    FAIL() << "copied to a writer";
  } catch (const EConvertError& E) {
    EXPECT_STREQ(E.what(), "Cannot assign a TKtTextReader to a TKtTextWriter");
  }
}

// Read in place, the reader sees bytes the stream gains after it reached the end as it does when reading
// through a buffer, and rewinds and detaches alike.
TEST(ReaderStreams, PlainMemoryStreamGrowingWhileRead) {
  auto Trace = [](TMemoryStream& S) {
    S.WriteString("a|b\r\nc");
    TKtTextReader R;
    R.SetDelimiter("|");
    R.SetStream(&S);
    Records Out;
    auto Take = [&] {
      Out.push_back(R.Fields().ToVector());
      Out.push_back({R.Eof() ? "eof" : "more"});
    };
    for (int I = 0; I < 3; ++I, R.Next()) Take();
    S.WriteString("\r\nd|e");
    for (int I = 0; I < 3; ++I, R.Next()) Take();
    R.First();
    Take();
    R.SetStream(nullptr);
    Take();
    return Out;
  };
  TMemoryStream Plain;
  TChunkedStream Chunked("", 3);
  const Records InPlace = Trace(Plain);
  EXPECT_EQ(InPlace, Trace(Chunked));
  EXPECT_EQ(InPlace[0], (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(InPlace.back(), (std::vector<std::string>{"eof"}));
}

// A memory stream's plain lines are found and split in one pass; any other line takes the general path.
// Both must give the same records: random texts of the bytes either path looks at, read in place and
// through a buffer, for each line break and quote.
TEST(ReaderInPlace, OnePassAgreesWithTheGeneralPath) {
  static const char* const Pieces[] = {"a", "|", "|", "\r", "\n", "\r\n", "\"", "\xB5\xE3", "x7", ";"};
  std::mt19937 Rng(7);
  for (const char* Break : {"\r\n", "\n", "\r", "|\r"}) {
    // A quote equal to the delimiter or to the line break's first byte leaves no line plain.
    for (const char* Quote : {"\"", "", "|", "\r"}) {
      for (int Text = 0; Text < 300; ++Text) {
        std::string Data;
        // Lines of every length across the 16-byte blocks, some with many fields.
        for (int N = static_cast<int>(Rng() % 90); N > 0; --N) Data += Pieces[Rng() % std::size(Pieces)];
        TKtTextReader InPlace, Buffered;
        for (TKtTextReader* R : {&InPlace, &Buffered}) {
          R->SetDelimiter("|");
          R->SetLineBreak(Break);
          R->SetQuote(Quote);
        }
        ASSERT_EQ(ReadAll(InPlace, Data, kInPlace), ReadAll(Buffered, Data, 7))
            << "line break " << testing::PrintToString(std::string(Break)) << ", quote " << Quote << ", text "
            << testing::PrintToString(Data);
      }
    }
  }
}

// Lines longer than any before and with more fields than any before grow the reader's copy of the line
// while its fields point into it.
TEST(ReaderInPlace, LongLinesAndManyFields) {
  std::string Long(5000, 'q');
  std::string Many;
  std::vector<std::string> ManyFields;
  for (int I = 0; I < 300; ++I) {
    ManyFields.push_back(std::to_string(I * 7));
    Many += (I ? "|" : "") + ManyFields.back();
  }
  for (int32_t Step : {kInPlace, 5}) {
    EXPECT_EQ(ReadPipe("s|t\r\n" + Long + "|" + Long + "\r\n" + Many + "\r\nu\r\n", Step),
              (Records{{"s", "t"}, {Long, Long}, ManyFields, {"u"}}))
        << Step;
  }
}

// The stream may grow, and its storage move, while the reader has bytes of it still to read: the reader
// follows the storage (the stream's position, past the new bytes, says there is nothing more to read), and
// the current record's fields stay as they were.
TEST(ReaderInPlace, StreamStorageMovingUnderTheReader) {
  TMemoryStream S;
  S.WriteString("a|b\r\nc|d\r\ne");
  TKtTextReader R;
  R.SetDelimiter("|");
  R.SetStream(&S);
  const std::string_view First = R.FieldView(1);
  S.WriteString(std::string(1 << 22, 'z'));  // far past what the stream held: its storage moves
  EXPECT_EQ(First, "b");
  EXPECT_EQ(R.Fields().ToVector(), (std::vector<std::string>{"a", "b"}));
  R.Next();
  EXPECT_EQ(R.Fields().ToVector(), (std::vector<std::string>{"c", "d"}));
  R.Next();
  EXPECT_EQ(R.FieldCount(), 1);
  EXPECT_EQ(R.GetField(0), "e");
  R.Next();
  EXPECT_TRUE(R.Eof());
  // Cut shorter than what the reader had in view: the bytes beyond the end are gone.
  R.First();
  S.SetSize(3);
  R.Next();
  EXPECT_TRUE(R.Eof());
  R.SetStream(nullptr);
}

}  // namespace
}  // namespace halvern
