#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "rtl/Exceptions.h"
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

// Past a megabyte the storage moves from the C heap to blocks of the system's own, and later grows by
// remapping them: no byte may be lost at either step, nor when the block is given back and taken again.
TEST(MemoryStreamGrowth, DeviceSizedDataKeepsEveryByteAsItsStorageGrows) {
  TMemoryStream S;
  std::string Piece(4099, '\0');
  uint32_t Seed = 1;
  std::string Want;
  while (Want.size() < (size_t{12} << 20)) {
    for (char& C : Piece) C = static_cast<char>((Seed = Seed * 1103515245u + 12345u) >> 24);
    S.WriteString(Piece);
    Want += Piece;
  }
  ASSERT_EQ(S.GetSize(), static_cast<int64_t>(Want.size()));
  EXPECT_TRUE(S.ToString() == Want);
  S.SetSize(1000);
  S.SetSize(3 << 20);
  EXPECT_TRUE(S.ToString() == Want.substr(0, 1000) + std::string((3 << 20) - 1000, '\0'));
  S.Clear();
  S.SetPosition(0);
  S.WriteString(Want.substr(0, 2 << 20));
  EXPECT_TRUE(S.ToString() == Want.substr(0, 2 << 20));
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

TEST(MemoryStreamRoom, OnlyCommittedBytesBecomeData) {
  TMemoryStream S;
  S.WriteString("ab");
  char* P = S.Room(3);
  ASSERT_NE(P, nullptr);
  std::memcpy(P, "xyz", 3);
  EXPECT_EQ(S.GetSize(), 2) << "filled but not committed";
  S.Commit(2);
  EXPECT_EQ(S.ToString(), "abxy");
  EXPECT_EQ(S.Position(), 4);
  S.Seek(2, TSeekOrigin::End);  // a gap of two bytes
  P = S.Room(1);
  *P = 'z';
  S.Commit(1);
  EXPECT_EQ(S.ToString(), std::string("abxy\0\0z", 7)) << "the gap reads as zero bytes";
  S.SetPosition(-1);
  EXPECT_EQ(S.Room(1), nullptr) << "no room where Write writes nothing";
}

// A copy between memory streams goes through their storage; a source shorter than the count still fails
// as a short read, after the whole chunks before it.
TEST(MemoryStreamGrowth, CopyFromAShortMemorySourceFails) {
  TMemoryStream Source, Target;
  Source.WriteString(std::string(0xF000 + 10, 'x'));
  Source.SetPosition(0);
  EXPECT_THROW(Target.CopyFrom(Source, 0xF000 + 20), EReadError);
  EXPECT_EQ(Target.GetSize(), 0xF000);
  TMemoryStream Self;
  Self.WriteString("abc");
  EXPECT_EQ(Self.CopyFrom(Self, 0), 3);
  EXPECT_EQ(Self.ToString(), "abcabc") << "a stream copied onto its own end";
}

}  // namespace
}  // namespace halvern
