// Without a window system a message box's text is written to standard error and kept for tests.
#include <gtest/gtest.h>

#include "ConfigTestSupport.h"
#include "config/ConfigTexts.h"
#include "platform/MessageBox.h"

#ifndef _WIN32

namespace halvern::test {
namespace {

TEST(HeadlessMessageBox, KeepsEachMessageUntilTaken) {
  platform::TakeShownMessages();
  testing::internal::CaptureStderr();
  platform::ShowMessage("\xCC\xE1", "c1");
  platform::ShowMessage("t2", "c2");
  const std::string Err = testing::internal::GetCapturedStderr();
  EXPECT_NE(Err.find("\xE6\x8F\x90"), std::string::npos) << Err;  // 提 in UTF-8
  auto Shown = platform::TakeShownMessages();
  ASSERT_EQ(Shown.size(), 2u);
  EXPECT_EQ(Shown[0].Text, "\xCC\xE1");
  EXPECT_EQ(Shown[1].Caption, "c2");
  EXPECT_TRUE(platform::TakeShownMessages().empty());
}

TEST(HeadlessMessageBox, PlatformPageShowsItsValidationMessageThere) {
  platform::TakeShownMessages();
  auto Node = TFakePort::Make();
  TComPtr<IConfigPageEx> Page;
  ASSERT_TRUE(Node->CreateConfigPage(Page.Put()));
  testing::internal::CaptureStderr();
  EXPECT_FALSE(Page->CheckSucceed());  // empty file name
  testing::internal::GetCapturedStderr();
  auto Shown = platform::TakeShownMessages();
  ASSERT_EQ(Shown.size(), 1u);
  EXPECT_EQ(Shown[0].Text, configtext::SNoFileName);
  EXPECT_EQ(Shown[0].Caption, configtext::SMessageCaption);
}

}  // namespace
}  // namespace halvern::test

#endif
