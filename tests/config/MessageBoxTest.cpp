// Without a window system a message box's text is written to standard error and kept for tests.
#include <gtest/gtest.h>

#include "ConfigTestSupport.h"
#include "config/ConfigTexts.h"
#include "platform/MessageBox.h"
#include "tests/TestEnvironment.h"

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

TEST(HeadlessMessageBox, KeepsOnlyTheLatestAndCanBeQuiet) {
  platform::TakeShownMessages();
  SetEnv(platform::kQuietMessagesVariable, "1");
  testing::internal::CaptureStderr();
  for (size_t I = 0; I < 10 * platform::kKeptMessages; ++I) platform::ShowMessage(std::to_string(I), "c");
  const std::string Err = testing::internal::GetCapturedStderr();
  SetEnv(platform::kQuietMessagesVariable, "");
  EXPECT_EQ(Err, "");
  auto Shown = platform::TakeShownMessages();
  ASSERT_EQ(Shown.size(), platform::kKeptMessages);
  EXPECT_EQ(Shown.back().Text, std::to_string(10 * platform::kKeptMessages - 1));
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
