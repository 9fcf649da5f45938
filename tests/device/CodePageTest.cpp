// The one GBK converter: its tables against the system's converter, which they must match byte for byte,
// and conversions from several threads while the tables are being built.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/CodePage.h"
#include "platform/SystemCodePage.h"
#include "platform/Utf16.h"

namespace halvern::platform {
namespace {

// First in this program, so that the threads find the tables not yet built (ThreadSanitizer watches).
TEST(CodePage, ConvertsFromManyThreadsAtOnce) {
  const std::string Gbk = "\xC5\xCC\xB5\xE3|A";  // 盘点|A
  const std::string Utf8 = "\xE7\x9B\x98\xE7\x82\xB9|A";
  std::vector<std::thread> Threads;
  std::vector<int> Wrong(4, 0);
  for (size_t T = 0; T < Wrong.size(); ++T) {
    Threads.emplace_back([&, T] {
      for (int I = 0; I < 200; ++I) {
        Wrong[T] += AnsiToUtf8(Gbk) != Utf8;
        Wrong[T] += Utf8ToAnsi(Utf8) != Gbk;
        Wrong[T] += WideToAnsi(AnsiToWide(Gbk)) != Gbk;
        // Not covered by the tables: the system's converter, shared by the threads.
        Wrong[T] += AnsiToUtf8("x\xB1") != SystemAnsiToUtf8("x\xB1");
      }
    });
  }
  for (std::thread& T : Threads) T.join();
  EXPECT_EQ(Wrong, std::vector<int>(4, 0));
}

TEST(CodePage, TablesAgreeWithTheSystemOnEveryCode) {
  size_t Covered = 0;
  char Room[Utf8Room(4)];
  for (unsigned L = 0x80; L <= 0xFF; ++L) {
    for (unsigned T = 0x30; T <= 0xFF; ++T) {
      const std::string Gbk = {'a', static_cast<char>(L), static_cast<char>(T), 'b'};
      const std::string Utf8 = AnsiToUtf8(Gbk);
      ASSERT_EQ(Utf8, SystemAnsiToUtf8(Gbk)) << std::hex << L << " " << T;
      ASSERT_EQ(AnsiToWide(Gbk), SystemAnsiToWide(Gbk)) << std::hex << L << " " << T;
      if (AnsiToUtf8Into(Gbk, Room) == std::string_view::npos) continue;
      ++Covered;
      std::string Back;
      ASSERT_TRUE(Utf8ToAnsiExact(Utf8, Back)) << std::hex << L << " " << T;
      ASSERT_EQ(Back, Gbk);
    }
  }
  EXPECT_GT(Covered, 21000u);  // GBK maps nearly 22,000 codes
  for (char32_t W = 0x80; W <= 0xFFFF; ++W) {
    if (W >= 0xD800 && W <= 0xDFFF) continue;
    const std::u16string Wide = {u'a', static_cast<char16_t>(W), u'b'};
    ASSERT_EQ(WideToAnsi(Wide), SystemWideToAnsi(Wide)) << std::hex << static_cast<uint32_t>(W);
    const std::string Utf8 = Utf16ToUtf8(Wide);
    ASSERT_EQ(Utf8ToAnsi(Utf8), SystemUtf8ToAnsi(Utf8)) << std::hex << static_cast<uint32_t>(W);
  }
}

TEST(CodePage, LeavesWhatTheTablesDoNotCoverToTheSystem) {
  char Room[Utf8Room(2)];
  EXPECT_EQ(AnsiToUtf8Into("x\xB1", Room), std::string_view::npos);  // half a character
  std::string Out = "kept";
  EXPECT_FALSE(Utf8ToAnsiExact("\xF0\x9F\x98\x80", Out));  // outside the BMP
  EXPECT_FALSE(Utf8ToAnsiExact("\xE0\x80\x80", Out));      // overlong
  EXPECT_FALSE(Utf8ToAnsiExact("\xB1\xE0", Out));          // GBK, not UTF-8
  EXPECT_FALSE(Utf8ToAnsiExact("\xE0\xB8\x81", Out));      // Thai: no GBK code
  EXPECT_EQ(Out, "kept");
  EXPECT_TRUE(Utf8ToAnsiExact(", plain ASCII", Out));
  EXPECT_EQ(Out, "kept, plain ASCII");
}

}  // namespace
}  // namespace halvern::platform
