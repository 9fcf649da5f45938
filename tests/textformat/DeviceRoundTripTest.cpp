// Property: records written by the device-file writer (delimiter "|") read back through the device-file
// reader as the same values, whatever the stream's read size and wherever the 4096-byte loads fall.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "textformat/TestStreams.h"
#include "textformat/TextLoader.h"

namespace halvern {
namespace {

using Record = std::vector<std::string>;

// Values over an alphabet rich in the format's special bytes, GBK double-byte characters included (some
// with trail byte 0x7C, the delimiter's value).
std::string RandomValue(std::mt19937& Rng, size_t MaxLen) {
  static const char* const Pieces[] = {
      "\"", "|", ";", "=", "{",        "}",        "\r",       "\n",       "\r\n",     " ",
      "\t", "a", "Z", "0", "\xB1\xE0", "\xBA\xC5", "\xD6\xD0", "\x81\x7C", "\xFE\x40", "\"\"\""};
  std::uniform_int_distribution<size_t> Len(0, MaxLen), Piece(0, std::size(Pieces) - 1);
  std::string V;
  for (size_t N = Len(Rng); N > 0; --N) V += Pieces[Piece(Rng)];
  return V;
}

std::vector<Record> RandomRecords(std::mt19937& Rng) {
  std::uniform_int_distribution<int> Count(1, 30), Fields(1, 6), Big(0, 20);
  std::vector<Record> Records;
  // A first and a last record of plain text: an empty first record would merge with the next, and a
  // value at the very end loses trailing line-break bytes; both are format properties tested elsewhere.
  Records.push_back({"BEGIN"});
  for (int R = Count(Rng); R > 0; --R) {
    Record Rec;
    for (int F = Fields(Rng); F > 0; --F) {
      // Now and then a value long enough to push records across several 4096-byte loads.
      Rec.push_back(Big(Rng) == 0
                        ? std::string(static_cast<size_t>(Big(Rng)) * 300, 'x') + RandomValue(Rng, 40)
                        : RandomValue(Rng, 8));
    }
    Records.push_back(std::move(Rec));
  }
  Records.push_back({"END"});
  return Records;
}

std::string WriteDevice(const std::vector<Record>& Records) {
  TMemoryStream S;
  TKtTextWriter W;
  W.SetDelimiter("|");
  W.SetStream(&S);
  for (const Record& Rec : Records) {
    W.Clear();
    W.SetFieldCount(static_cast<int32_t>(Rec.size()));
    for (size_t I = 0; I < Rec.size(); ++I) W.SetField(static_cast<int32_t>(I), Rec[I]);
    W.WriteRecord();
  }
  return S.ToString();
}

// Compares one record read back with the one written: the reader drops a trailing empty value (the
// writer's trailing delimiter adds no field), and GetField answers "" for it.
::testing::AssertionResult SameRecord(const TKtTextReader& R, const Record& Want) {
  const int32_t Got = R.Fields().Count();
  const auto N = static_cast<int32_t>(Want.size());
  const bool CountOk =
      Got == N || (Got == N - 1 && Want.back().empty()) || (N == 1 && Want[0].empty() && Got == 0);
  if (!CountOk) return ::testing::AssertionFailure() << "field count " << Got << ", wrote " << N;
  for (int32_t I = 0; I < N; ++I) {
    if (R.GetField(I) != Want[static_cast<size_t>(I)]) {
      return ::testing::AssertionFailure() << "field " << I << " reads [" << R.GetField(I) << "], wrote ["
                                           << Want[static_cast<size_t>(I)] << "]";
    }
  }
  return ::testing::AssertionSuccess();
}

TEST(DeviceRoundTrip, RandomRecordsReadBackThroughEveryReadSize) {
  std::mt19937 Rng(20240611);
  for (int Case = 0; Case < 1500; ++Case) {
    const std::vector<Record> Records = RandomRecords(Rng);
    const std::string Text = WriteDevice(Records);
    for (int32_t Step : {1, 2, 7, 4096, 4097, 0x7FFFFFFF}) {
      if (Step <= 2 && Case % 10 != 0) continue;  // the slow sizes on every tenth case
      test::TChunkedStream S(Text, Step);
      TKtTextReader R;
      R.SetDelimiter("|");
      R.SetStream(&S);
      for (size_t I = 0; I < Records.size(); ++I) {
        ASSERT_FALSE(R.Eof()) << "case " << Case << " step " << Step << " record " << I;
        ASSERT_TRUE(SameRecord(R, Records[I])) << "case " << Case << " step " << Step << " record " << I;
        R.Next();
      }
      ASSERT_TRUE(R.Eof()) << "case " << Case << " step " << Step;
    }
  }
}

TEST(DeviceRoundTrip, FieldsPlacedAcrossTheBufferEdge) {
  // A padding record moves a special value over byte 4096, one offset at a time.
  const Record Specials = {"a\"b", "x|y", "l\r\nm", "\"", "\"\"", " s ", "\xB1\xE0\xBA\xC5", "c\r", "\nd"};
  for (size_t Pad = 4070; Pad < 4100; ++Pad) {
    const std::vector<Record> Records = {{std::string(Pad, 'p')}, Specials, {"END"}};
    const std::string Text = WriteDevice(Records);
    for (int32_t Step : {7, 4096, 4097}) {
      test::TChunkedStream S(Text, Step);
      TKtTextReader R;
      R.SetDelimiter("|");
      R.SetStream(&S);
      for (const Record& Want : Records) {
        ASSERT_TRUE(SameRecord(R, Want)) << Pad << " " << Step;
        R.Next();
      }
      EXPECT_TRUE(R.Eof());
    }
  }
}

TEST(DeviceRoundTrip, DocumentedLossesAtTheEdgesOfTheFile) {
  // A record of one empty value writes nothing, so a first such record vanishes and a last one too.
  EXPECT_EQ(WriteDevice({{""}, {"a"}}), "a");
  EXPECT_EQ(WriteDevice({{"a"}, {""}}), "a\r\n");
  // Line-break bytes ending the last value are taken for the remains of a line break.
  test::TChunkedStream S(WriteDevice({{"a", "b\r"}}));
  TKtTextReader R;
  R.SetDelimiter("|");
  R.SetStream(&S);
  EXPECT_EQ(R.GetField(1), "b");
}

}  // namespace
}  // namespace halvern
