// Loading a port into the page, validating the entries and storing them into the working copy or the
// bound port.
#include <gtest/gtest.h>

#include "ConfigTestSupport.h"
#include "config/ConfigTexts.h"

namespace halvern::test {
namespace {

using TFocus = THeadlessConfigView::TFocus;

TEST(CeConfigLoad, PageOfNewImportPortShowsDefaultTitlesEmptyNameAndClearFlag) {
  auto Node = TFakePort::Make();
  TPageFixture F(TFakePort::Of(Node));
  EXPECT_EQ(F.Items(), kImportTitles);
  EXPECT_EQ(F.View->GetFileText(), "");
  EXPECT_FALSE(F.View->GetHasTitle());
  EXPECT_EQ(F.View->SelectedIndex(), -1);
}

TEST(CeConfigLoad, PageShowsThePortsSettingsInOrder) {
  auto Node = TFakePort::Make();
  TFakePort* Port = TFakePort::Of(Node);
  Port->FFileName = "\\My Documents\\pd.txt";
  Port->FHasTitle = true;
  Port->FColumns = {"b", "a", "a", ""};
  TPageFixture F(Port);
  EXPECT_EQ(F.Items(), Port->FColumns);
  EXPECT_EQ(F.View->GetFileText(), Port->FFileName);
  EXPECT_TRUE(F.View->GetHasTitle());
}

TEST(CeConfigCheck, EmptyListShowsOnlyTheColumnMessageEvenWithoutFileName) {
  auto Node = TFakePort::Make();
  TPageFixture F(TFakePort::Of(Node));
  F.View->ClearItems();
  F.View->SetFileText("");
  EXPECT_FALSE(F.Page->CheckSucceed());
  ASSERT_EQ(F.Shown->size(), 1u);
  EXPECT_EQ((*F.Shown)[0].Text, configtext::SNoColumns);
  EXPECT_EQ((*F.Shown)[0].Caption, "\xCC\xE1\xCA\xBE");  // 提示
  EXPECT_EQ(F.View->Focus(), TFocus::None);
  // Nothing was stored.
  ASSERT_TRUE(F.Page->GetPortNode());
  EXPECT_EQ(F.Page->WorkPort()->Settings().Columns, kImportTitles);
}

TEST(CeConfigCheck, BlankFileNameShowsTheFileMessageAndFocusesTheNameBox) {
  auto Node = TFakePort::Make();
  TPageFixture F(TFakePort::Of(Node));
  F.View->SetFileText(" \t\r\n \x01");
  F.View->SetHasTitle(true);
  EXPECT_FALSE(F.Page->CheckSucceed());
  ASSERT_EQ(F.Shown->size(), 1u);
  EXPECT_EQ((*F.Shown)[0].Text,
            "\xC7\xEB\xD6\xB8\xB6\xA8\xB5\xBC\xC8\xEB\xB5\xBC\xB3\xF6\xCE\xC4\xBC\xFE\xC3\xFB");
  EXPECT_EQ((*F.Shown)[0].Caption, configtext::SMessageCaption);
  EXPECT_EQ(F.View->Focus(), TFocus::FileEdit);
  ASSERT_TRUE(F.Page->GetPortNode());
  EXPECT_FALSE(F.Page->WorkPort()->Settings().HasTitle);
}

TEST(CeConfigCheck, ValidEntriesReachTheWorkingCopyButNotTheBoundPortUntilUpdatePort) {
  auto Node = TFakePort::Make();
  TFakePort* Port = TFakePort::Of(Node);
  TPageFixture F(Port);
  ASSERT_TRUE(F.Page->ShowPage(nullptr, 0));
  F.View->SetFileText("  \\Temp\\a.txt ");
  F.View->SetHasTitle(true);
  F.View->AddItem("x");

  EXPECT_TRUE(F.Page->CheckSucceed());
  EXPECT_TRUE(F.Shown->empty());
  ASSERT_NE(F.Page->WorkPort(), nullptr);
  const TPortSettings Work = F.Page->WorkPort()->Settings();
  EXPECT_EQ(Work.FileName, "\\Temp\\a.txt");
  EXPECT_TRUE(Work.HasTitle);
  std::vector<std::string> Expected = kImportTitles;
  Expected.push_back("x");
  EXPECT_EQ(Work.Columns, Expected);
  EXPECT_EQ(Port->FFileName, "");
  EXPECT_FALSE(Port->FHasTitle);
  EXPECT_EQ(Port->FColumns, kImportTitles);

  F.Page->UpdatePort();
  EXPECT_EQ(Port->FFileName, "\\Temp\\a.txt");
  EXPECT_TRUE(Port->FHasTitle);
  EXPECT_EQ(Port->FColumns, Expected);
  F.Page->HidePage();
}

TEST(CeConfigSave, FileNameLosesSurroundingControlsWhileTitlesAreKeptAsTyped) {
  auto Node = TFakePort::Make();
  TFakePort* Port = TFakePort::Of(Node);
  TPageFixture F(Port);
  // GBK bytes at either end are part of the name: only codes 0 to 32 are trimmed.
  F.View->SetFileText(std::string("\x01 \t\xB1\xE0 a b\xBA\xC5 \r\n", 14));
  F.View->ClearItems();
  F.View->AddItem(" padded ");
  F.View->AddItem("");
  F.View->AddItem(" padded ");
  F.Page->SaveTo(*Port);
  EXPECT_EQ(Port->FFileName, "\xB1\xE0 a b\xBA\xC5");
  EXPECT_EQ(Port->FColumns, (std::vector<std::string>{" padded ", "", " padded "}));
}

TEST(CeConfigSave, UpdatePortStoresWithoutChecking) {
  auto Node = TFakePort::Make();
  TFakePort* Port = TFakePort::Of(Node);
  Port->FFileName = "old";
  TPageFixture F(Port);
  F.View->ClearItems();
  F.View->SetFileText("  ");
  F.Page->UpdatePort();
  EXPECT_TRUE(F.Shown->empty());
  EXPECT_TRUE(Port->FColumns.empty());
  EXPECT_EQ(Port->FFileName, "");
}

TEST(CeConfigWorkPort, IsANewPortOfTheSameClassAndKindWithoutEvents) {
  for (int32_t Kind : {1, 2}) {
    auto Node = TFakePort::Make({"d1", "d2"}, Kind);
    TFakePort* Port = TFakePort::Of(Node);
    Port->FFileName = "n";
    Port->FHasTitle = true;
    Port->FColumns = {"c"};
    auto Events = TRecordingEvents::Make();
    Port->SetEvents(Events.Get());
    TPageFixture F(Port);

    TComPtr<ITransNode> Work = F.Page->GetPortNode();
    TFakePort* W = TFakePort::Of(Work);
    ASSERT_NE(W, nullptr);
    EXPECT_NE(W, Port);
    EXPECT_EQ(W->FKind, Kind);
    EXPECT_EQ(W->FInitializeCalls, 1);
    EXPECT_EQ(W->FFileName, "n");
    EXPECT_TRUE(W->FHasTitle);
    EXPECT_EQ(W->FColumns, (std::vector<std::string>{"c"}));
    EXPECT_FALSE(W->Events());
    // Made once, kept for the life of the page.
    EXPECT_EQ(F.Page->GetPortNode(), Work);
  }
}

TEST(CeConfigWorkPort, GetWorkPortHandsOutTheWorkingCopysPort) {
  auto Node = TFakePort::Make();
  TPageFixture F(TFakePort::Of(Node));
  TComPtr<ITransPort> Port;
  F.Ref->GetWorkPort(Port.Put());
  ASSERT_TRUE(Port);
  EXPECT_EQ(Port.Query<ITransNode>(), F.Page->GetPortNode());
}

TEST(CeConfigWorkPort, PageWithoutBoundPortHasNoWorkingCopyAndFailsCheck) {
  TPageFixture F(nullptr);
  EXPECT_FALSE(F.Page->GetPortNode());
  TComPtr<ITransPort> Port;
  F.Ref->GetWorkPort(Port.Put());
  EXPECT_FALSE(Port);
  F.View->AddItem("a");
  F.View->SetFileText("f");
  EXPECT_FALSE(F.Page->CheckSucceed());
  F.Page->UpdatePort();  // nowhere to store: nothing happens
}

}  // namespace
}  // namespace halvern::test
