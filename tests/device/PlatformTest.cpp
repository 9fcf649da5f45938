// The platform seam as the engine relies on it: GBK conversions, case-insensitive comparison that never
// misreads a trail byte, system error texts without line breaks, and library loading.
#include <gtest/gtest.h>

#include "platform/CodePage.h"
#include "platform/DynLib.h"
#include "platform/SysError.h"
#include "platform/TextCompare.h"
#include "platform/Utf16.h"
#include "tests/device/DeviceTestSupport.h"

namespace halvern::platform {
namespace {

// 编号 (number) and 盘点 (stocktake) in GBK.
const std::string GbkNumber = "\xB1\xE0\xBA\xC5";
const std::string GbkStocktake = "\xC5\xCC\xB5\xE3";

TEST(CodePage, ConvertsGbkToAndFromUtf16AndUtf8) {
  EXPECT_EQ(AnsiToWide(GbkNumber), u"\u7F16\u53F7");
  EXPECT_EQ(WideToAnsi(u"\u7F16\u53F7"), GbkNumber);
  EXPECT_EQ(AnsiToUtf8(GbkStocktake + "|A"), "\xE7\x9B\x98\xE7\x82\xB9|A");
  EXPECT_EQ(Utf8ToAnsi("\xE7\x9B\x98\xE7\x82\xB9|A"), GbkStocktake + "|A");
  EXPECT_EQ(AnsiToWide(""), u"");
  EXPECT_EQ(WideToAnsi(u""), "");
  // Embedded zeros are characters like any other.
  EXPECT_EQ(AnsiToWide(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
}

TEST(CodePage, ReplacesWhatDoesNotConvertAndKeepsTheRest) {
  const std::u16string CutLead = AnsiToWide("AB\x81");  // a lead byte with no trail byte
  ASSERT_GE(CutLead.size(), 2u);
  EXPECT_EQ(CutLead.substr(0, 2), u"AB");
  const std::string Unmappable = WideToAnsi(u"A\U0001F600B");  // no GBK character for it
  ASSERT_GE(Unmappable.size(), 3u);
  EXPECT_EQ(Unmappable.front(), 'A');
  EXPECT_EQ(Unmappable.back(), 'B');
  EXPECT_NE(Unmappable.find('?'), std::string::npos);
}

TEST(CodePage, LeadBytesAreThoseOfCodePage936) {
  EXPECT_TRUE(IsLeadByte(0x81));
  EXPECT_TRUE(IsLeadByte(0xB1));
  EXPECT_TRUE(IsLeadByte(0xFE));
  EXPECT_FALSE(IsLeadByte(0x80));
  EXPECT_FALSE(IsLeadByte(0xFF));
  EXPECT_FALSE(IsLeadByte('A'));
  EXPECT_FALSE(IsLeadByte('|'));
}

TEST(Utf16, ConvertsBothWaysAndReplacesWhatIsBroken) {
  const std::string Utf8 = "A\xE7\xBC\x96\xE5\x8F\xB7\xF0\x9F\x98\x80";  // A编号 and an emoji
  const std::u16string Wide = u"A\u7F16\u53F7\U0001F600";
  EXPECT_EQ(Utf8ToUtf16(Utf8), Wide);
  EXPECT_EQ(Utf16ToUtf8(Wide), Utf8);
  EXPECT_EQ(Utf8ToUtf16(""), u"");
  EXPECT_EQ(Utf16ToUtf8(u""), "");
  // A sequence cut short and a lone surrogate: replaced, and the text around them kept.
  const std::u16string Cut = Utf8ToUtf16(
      "a\xE7\xBC"
      "b");
  ASSERT_GE(Cut.size(), 3u);
  EXPECT_EQ(Cut.front(), u'a');
  EXPECT_EQ(Cut.back(), u'b');
  EXPECT_NE(Cut.find(u'\xFFFD'), std::u16string::npos);
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', char16_t(0xD800), u'b'}),
            "a\xEF\xBF\xBD"
            "b");
}

TEST(TextCompare, IgnoresCaseOfLettersOnly) {
  EXPECT_TRUE(SameText("Remark", "rEMARK"));
  EXPECT_TRUE(SameText("", ""));
  EXPECT_TRUE(SameText(GbkNumber + "Id", GbkNumber + "ID"));
  EXPECT_TRUE(SameText("\xA3\xC1", "\xA3\xE1"));  // full-width Ａ and ａ
  EXPECT_FALSE(SameText("abc", "abd"));
  EXPECT_FALSE(SameText("ab", "abc"));
  EXPECT_FALSE(SameText(GbkNumber, GbkStocktake));
  EXPECT_FALSE(SameText("", "a"));
}

TEST(TextCompare, NeverFoldsTheTrailByteOfADoubleByteCharacter) {
  // 0x41 and 0x61 are 'A' and 'a' on their own but different trail bytes after lead byte 0x81.
  EXPECT_FALSE(SameText("\x81\x41", "\x81\x61"));
  EXPECT_FALSE(SameText("x\x81\x5Ay", "x\x81\x7Ay"));
}

TEST(SysError, GivesOneLineTextsForErrorCodes) {
  for (uint32_t Code : {2u, 3u, 5u, 32u, 87u, 112u, 1167u}) {
    const std::string Text = SystemErrorText(Code);
    ASSERT_FALSE(Text.empty()) << Code;
    EXPECT_EQ(Text.find('\n'), std::string::npos) << Code;
    EXPECT_NE(Text.back(), '\r') << Code;
    EXPECT_NE(Text.back(), ' ') << Code;
  }
#ifndef _WIN32
  EXPECT_EQ(SystemErrorText(2), "The system cannot find the file specified.");
  EXPECT_EQ(SystemErrorText(5), "Access is denied.");
  EXPECT_EQ(SystemErrorText(1167), "The device is not connected.");
  EXPECT_EQ(SystemErrorText(0x1234567), "Unknown error (0x1234567)");
#endif
}

TEST(DynLib, LoadsResolvesAndReleases) {
  TDynLib Missing;
  EXPECT_FALSE(Missing.Load((test::TScratchDir().Path() / "missing-library.so").string()));
  EXPECT_FALSE(Missing.Loaded());
  EXPECT_EQ(Missing.Resolve("CeRapiInit"), nullptr);
  EXPECT_FALSE(Missing.Load(""));

  if (test::EmulatorPath().empty()) GTEST_SKIP() << "HALVERN_EMULATOR_PATH is not set";
  TDynLib Lib;
  ASSERT_TRUE(Lib.Load(test::EmulatorPath()));
  EXPECT_NE(Lib.Resolve("CeRapiInit"), nullptr);
  EXPECT_EQ(Lib.Resolve("NoSuchEntryPoint"), nullptr);
  EXPECT_EQ(Lib.Resolve(nullptr), nullptr);
  TDynLib Moved(std::move(Lib));
  EXPECT_FALSE(Lib.Loaded());
  EXPECT_TRUE(Moved.Loaded());
  EXPECT_NE(Moved.Resolve("CeGetLastError"), nullptr);
  Moved.Free();
  EXPECT_FALSE(Moved.Loaded());
}

}  // namespace
}  // namespace halvern::platform
