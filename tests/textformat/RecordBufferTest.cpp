// The writer's record storage (TRecordValues) and its special-byte screen (TByteSet).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "rtl/Exceptions.h"
#include "textformat/ByteSet.h"
#include "textformat/RecordValues.h"

namespace halvern {
namespace {

// Reads the kSlack bytes after every value, which the writer's block copy relies on being readable; the
// address sanitizer reports a read past the buffer.
void TouchSlack(const TRecordValues& R) {
  char Sink[TRecordValues::kSlack];
  for (int32_t I = 0; I < R.Count(); ++I) {
    if (R.Length(static_cast<size_t>(I)) == 0) continue;
    std::memcpy(Sink, R.Data(static_cast<size_t>(I)) + R.Length(static_cast<size_t>(I)), sizeof Sink);
  }
  if (R.Used() != 0) std::memcpy(Sink, R.Bytes() + R.Used(), sizeof Sink);
}

TEST(RecordValues, ValuesOfEveryLengthReadBackWithSlackAfterThem) {
  // Lengths around the copy's size classes (1-3, 4-7, 8-16, more) and the buffer's first growth.
  TRecordValues R;
  std::vector<std::string> Expected;
  for (size_t N = 0; N < 300; N += (N < 40 ? 1 : 37)) {
    std::string V;
    for (size_t I = 0; I < N; ++I) V += static_cast<char>('a' + (I * 7 + N) % 26);
    Expected.push_back(V);
    R.Set(static_cast<int32_t>(Expected.size() - 1), V);
  }
  ASSERT_EQ(R.Count(), static_cast<int32_t>(Expected.size()));
  for (size_t I = 0; I < Expected.size(); ++I) EXPECT_EQ(R.Get(static_cast<int32_t>(I)), Expected[I]) << I;
  TouchSlack(R);
}

TEST(RecordValues, CountIndexesAndClear) {
  TRecordValues R;
  R.Set(3, "x");
  EXPECT_EQ(R.Count(), 4);
  EXPECT_EQ(R.Get(0), "") << "values below a set one are empty";
  EXPECT_THROW(R.Set(-1, "x"), EStringListError);
  EXPECT_THROW(R.Get(4), EStringListError);
  EXPECT_THROW(R.Get(-1), EStringListError);
  R.SetCount(2);
  R.SetCount(5);
  EXPECT_EQ(R.Get(3), "") << "values appended by SetCount are empty, not what was there before";
  R.SetCount(-3);
  EXPECT_EQ(R.Count(), 0);
  R.Set(0, "abc");
  R.Clear();
  EXPECT_EQ(R.Count(), 0);
  EXPECT_EQ(R.Used(), 0u);
  R.Set(1, "next record");
  EXPECT_EQ(R.Get(0), "");
  EXPECT_EQ(R.Get(1), "next record");
}

TEST(RecordValues, SettingAgainKeepsEveryOtherValue) {
  TRecordValues R;
  R.Set(0, "first");
  R.Set(1, "second");
  R.Set(1, "2nd, and longer than it was");  // the last value: written over
  R.Set(0, "1");                            // not the last: appended
  R.Set(1, "");
  R.Set(2, "third");
  EXPECT_EQ(R.Get(0), "1");
  EXPECT_EQ(R.Get(1), "");
  EXPECT_EQ(R.Get(2), "third");
  TouchSlack(R);
}

TEST(RecordValues, ValuesTakenFromTheRecordItself) {
  TRecordValues R;
  R.Set(0, "abcdefghijklmnopqrstuvwxyz");
  R.Set(0, R.Get(0).substr(1));  // overlaps the bytes it replaces
  EXPECT_EQ(R.Get(0), "bcdefghijklmnopqrstuvwxyz");
  R.Set(0, R.Get(0).substr(0, 3));
  EXPECT_EQ(R.Get(0), "bcd");
  // Values copied from one another until the buffer must grow (and moves) under the one being read.
  R.Set(0, std::string(200, 'q'));
  for (int32_t I = 1; I < 40; ++I) R.Set(I, R.Get(I - 1));
  for (int32_t I = 0; I < 40; ++I) EXPECT_EQ(R.Get(I), std::string(200, 'q')) << I;
}

TEST(RecordValues, ValuesSetAgainAndAgainDoNotGrowTheBuffer) {
  // A host that rewrites values of one record without posting it: what is left behind is compacted away.
  TRecordValues R;
  const std::string A(100, 'a'), B(150, 'b');
  for (int Round = 0; Round < 20000; ++Round) {
    R.Set(Round % 2, Round % 3 == 0 ? A : B);
  }
  EXPECT_LT(R.Used(), 4u * (A.size() + B.size()) + 512) << "bytes in use";
  EXPECT_EQ(R.Get(0), A);  // round 19998
  EXPECT_EQ(R.Get(1), B);  // round 19999
  TouchSlack(R);
}

// Screens N bytes of Text, kept in a buffer with slack after it that holds Noise.
bool Screen(const TByteSet& Set, const std::string& Text, char Noise) {
  std::string Buffer = Text + std::string(TByteSet::kSlack, Noise);
  return Set.Screen().MayHold(Buffer.data(), Text.size());
}

TByteSet MakeSet(std::string_view Bytes) {
  TByteSet Set;
  for (char C : Bytes) Set.Add(static_cast<uint8_t>(C));
  return Set;
}

TEST(ByteSet, ScreenNeverMissesAByteAndIsExactFromTheDigitsUp) {
  // The device file's writer, the default writer, one with more bytes above the digits than the vector
  // screen holds, and an empty set.
  for (const std::string_view Bytes : {std::string_view("\r|\" \n"), std::string_view("\r,\" "),
                                       std::string_view("=;{} \""), std::string_view()}) {
    const TByteSet Set = MakeSet(Bytes);
    for (int C = 0; C < 256; ++C) {
      const char Byte = static_cast<char>(C);
      EXPECT_EQ(Set.Has(static_cast<uint8_t>(C)), Bytes.find(Byte) != std::string_view::npos);
      for (size_t Length : {1u, 7u, 15u, 16u, 17u, 33u}) {
        for (size_t At : {size_t{0}, Length / 2, Length - 1}) {
          std::string Text(Length, 'A');
          Text[At] = Byte;
          const bool Found = Screen(Set, Text, 'A');
          if (Set.Has(static_cast<uint8_t>(C))) {
            EXPECT_TRUE(Found) << "byte " << C << " at " << At << " of " << Length;
          } else if (C >= TByteSet::kRangeEnd) {
            EXPECT_FALSE(Found) << "byte " << C << " at " << At << " of " << Length;
          }
        }
      }
    }
    // Set bytes just past the end are not looked at.
    for (char C : Bytes) EXPECT_FALSE(Screen(Set, "plain_text", C));
    EXPECT_FALSE(Screen(Set, "", Bytes.empty() ? 'x' : Bytes[0]));
    EXPECT_FALSE(Set.AnyIn("\xB1\xE0\xBA\xC5_0123"));
  }
}

TEST(ByteSet, GbkTextAndDigitsPassTheScreen) {
  const TByteSet Set = MakeSet("\r|\" \n");
  EXPECT_FALSE(Screen(Set, "ZC00000001\xB1\xE0\xBA\xC5\xD7\xCA\xB2\xFA\xC3\xFB\xB3\xC6", '|'));
  EXPECT_TRUE(Screen(Set, "ZC00000001\xB1\xE0\xBA\xC5\xD7\xCA\xB2\xFA\xC3\xFB\xB3\xC6|", 'A'));
}

}  // namespace
}  // namespace halvern
