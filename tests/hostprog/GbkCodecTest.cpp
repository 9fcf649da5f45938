// The table conversion against the platform's own, which it must match byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "host/GbkCodec.h"
#include "platform/CodePage.h"

namespace halvern::host {
namespace {

TEST(GbkCodec, AgreesWithThePlatformOnEveryDoubleByteCode) {
  size_t Covered = 0;
  for (unsigned L = 0x81; L <= 0xFE; ++L) {
    for (unsigned T = 0x40; T <= 0xFE; ++T) {
      const std::string Gbk = {'a', static_cast<char>(L), static_cast<char>(T), 'b'};
      std::string Utf8;
      if (!FastGbkToUtf8(Gbk, Utf8)) continue;
      ++Covered;
      ASSERT_EQ(Utf8, platform::AnsiToUtf8(Gbk)) << std::hex << L << " " << T;
      std::string Back;
      ASSERT_TRUE(FastUtf8ToGbk(Utf8, Back)) << std::hex << L << " " << T;
      ASSERT_EQ(Back, Gbk);
    }
  }
  EXPECT_GT(Covered, 21000u);  // GBK maps nearly 22,000 codes
}

TEST(GbkCodec, LeavesWhatItDoesNotCoverToThePlatform) {
  std::string Out;
  EXPECT_FALSE(FastGbkToUtf8("x\xB1", Out));             // half a character
  EXPECT_FALSE(FastUtf8ToGbk("\xF0\x9F\x98\x80", Out));  // outside the BMP
  EXPECT_FALSE(FastUtf8ToGbk("\xE0\x80\x80", Out));      // overlong
  EXPECT_FALSE(FastUtf8ToGbk("\xB1\xE0", Out));          // GBK, not UTF-8
  EXPECT_FALSE(FastUtf8ToGbk("\xE0\xB8\x81", Out));      // Thai: no GBK code
  Out.clear();
  EXPECT_TRUE(FastUtf8ToGbk("plain, ASCII", Out));
  EXPECT_EQ(Out, "plain, ASCII");
}

}  // namespace
}  // namespace halvern::host
