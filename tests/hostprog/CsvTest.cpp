// The CSV reader and writer: records across buffer edges, quoting, line ends, and malformed input.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "host/Csv.h"

namespace halvern::host {
namespace {

using TRecords = std::vector<std::vector<std::string>>;

// Reads Text whole, the source handing out at most Chunk bytes per load.
TRecords ReadAll(const std::string& Text, size_t Chunk, size_t BufferSize = 4096) {
  size_t Pos = 0;
  TCsvReader Reader(
      [&](char* Buffer, size_t Capacity) {
        const size_t N = std::min({Capacity, Chunk, Text.size() - Pos});
        std::copy_n(Text.data() + Pos, N, Buffer);
        Pos += N;
        return N;
      },
      BufferSize);
  TRecords Records;
  std::vector<std::string> Row;
  while (Reader.ReadRecord(Row)) Records.push_back(Row);
  return Records;
}

class CsvChunks : public ::testing::TestWithParam<size_t> {};

TEST_P(CsvChunks, QuotedFieldsAndLineEndsSurviveAnyBufferEdge) {
  const std::string Text =
      "\xEF\xBB\xBF"
      "id,name,note\r\n"
      "1,\"a, b\",\"say \"\"hi\"\"\"\r\n"
      "2,\"two\r\nlines\",\r\n"
      "\n"
      "3,plain,\"\"\n"
      "4,lone\rcr\r"
      "5,\xB1\xE0\xBA\xC5,end";
  const TRecords Expected = {{"id", "name", "note"},
                             {"1", "a, b", "say \"hi\""},
                             {"2", "two\r\nlines", ""},
                             {"3", "plain", ""},
                             {"4", "lone"},
                             {"cr"},
                             {"5", "\xB1\xE0\xBA\xC5", "end"}};
  EXPECT_EQ(ReadAll(Text, GetParam(), 3), Expected);
  EXPECT_EQ(ReadAll(Text, GetParam()), Expected);
}

INSTANTIATE_TEST_SUITE_P(Chunks, CsvChunks, ::testing::Values(1, 2, 7, 4096, 4097));

TEST(Csv, MalformedQuotingIsAnErrorNamingTheLine) {
  try {
    ReadAll("a,b\r\nc,\"open\r\nmore", 5);
    FAIL() << "an unclosed quote was accepted";
  } catch (const ECsvError& E) {
    EXPECT_NE(std::string(E.what()).find("line 2"), std::string::npos) << E.what();
  }
  EXPECT_THROW(ReadAll("\"quoted\"tail,x\r\n", 3), ECsvError);
  // A quote inside an unquoted field is kept as it stands.
  EXPECT_EQ(ReadAll("ab\"c,d\r\n", 2), (TRecords{{"ab\"c", "d"}}));
}

TEST(Csv, ReportsTheLineEachRecordStartsOn) {
  std::istringstream In("a\r\n\"b\r\nc\"\r\n\r\nd\r\n");
  TCsvReader Reader(In);
  std::vector<std::string> Row;
  std::vector<int64_t> Lines;
  while (Reader.ReadRecord(Row)) Lines.push_back(Reader.RecordLine());
  EXPECT_EQ(Lines, (std::vector<int64_t>{1, 2, 5}));
}

TEST(Csv, WriterQuotesOnlyWhatNeedsItAndReadsBack) {
  std::string Out;
  AppendCsvRecord(Out, {"plain", "a,b", "q\"q", "cr\rlf\n", " sp ", "|", ""});
  EXPECT_EQ(Out, "plain,\"a,b\",\"q\"\"q\",\"cr\rlf\n\", sp ,|,\r\n");
  // A lone empty field must not become an empty line, which reads as no record at all.
  Out.clear();
  AppendCsvRecord(Out, {""});
  EXPECT_EQ(Out, "\"\"\r\n");
  EXPECT_EQ(ReadAll(Out, 1), (TRecords{{""}}));

  std::mt19937 Random(7);
  const std::string Alphabet = "ab,\"\r\n |\xB1\xE0";
  TRecords Records;
  std::string Text;
  for (int R = 0; R < 200; ++R) {
    std::vector<std::string> Row(1 + Random() % 4);
    for (auto& Field : Row)
      for (size_t N = Random() % 6; N > 0; --N) Field += Alphabet[Random() % Alphabet.size()];
    AppendCsvRecord(Text, Row);
    Records.push_back(Row);
  }
  EXPECT_EQ(ReadAll(Text, 5, 16), Records);
}

}  // namespace
}  // namespace halvern::host
