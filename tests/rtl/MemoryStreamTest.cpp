#include <gtest/gtest.h>

#include <string>

#include "rtl/Stream.h"

namespace halvern {
namespace {

TEST(MemoryStreamGrowth, GapsAndNewSizeReadAsZeroBytes) {
  TMemoryStream S;
  S.WriteString("ab");
  S.Seek(3, TSeekOrigin::End);  // five bytes in: three past the end
  S.WriteString("z");
  EXPECT_EQ(S.ToString(), std::string("ab\0\0\0z", 6));
  S.SetSize(8);
  EXPECT_EQ(S.ToString(), std::string("ab\0\0\0z\0\0", 8));
  S.SetSize(1);
  EXPECT_EQ(S.GetPosition(), 1) << "the position follows a shrinking size";
  S.SetSize(3);
  EXPECT_EQ(S.ToString(), std::string("a\0\0", 3)) << "bytes cut off do not come back";
}

TEST(MemoryStreamGrowth, ManySmallWritesKeepEveryByte) {
  TMemoryStream S;
  std::string Want;
  for (int I = 0; I < 100000; ++I) {
    const std::string Piece(static_cast<size_t>(I % 7), static_cast<char>('a' + I % 26));
    S.WriteString(Piece);
    Want += Piece;
  }
  EXPECT_EQ(S.ToString(), Want);
  S.Clear();
  EXPECT_EQ(S.GetSize(), 0);
  EXPECT_EQ(S.Write("x", -1), 0);
  S.Seek(-5, TSeekOrigin::Beginning);
  EXPECT_EQ(S.Write("x", 1), 0) << "nothing is written at a negative position";
}

TEST(MemoryStreamGrowth, CopiesLandAfterTheBytesAlreadyThere) {
  TMemoryStream Source, Target;
  std::string Want(200000, '\0');
  for (size_t I = 0; I < Want.size(); ++I) Want[I] = static_cast<char>(I * 7 + I / 251);
  Source.WriteString(Want);
  Target.WriteString("head");
  EXPECT_EQ(Target.CopyFrom(Source, 0), static_cast<int64_t>(Want.size()));
  EXPECT_EQ(Target.ToString(), "head" + Want);
  Source.SetPosition(10);
  Target.SetPosition(2);
  EXPECT_EQ(Target.CopyFrom(Source, 5), 5);
  EXPECT_EQ(Target.ToString().substr(0, 8), "he" + Want.substr(10, 5) + Want.substr(3, 1));
  EXPECT_EQ(Target.GetSize(), static_cast<int64_t>(Want.size() + 4))
      << "an inner copy does not grow the data";
}

}  // namespace
}  // namespace halvern
