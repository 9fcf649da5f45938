// The four buttons of the column list: what they do to the items, the selection, the list's focused
// item and the keyboard focus.
#include <gtest/gtest.h>

#include "ConfigTestSupport.h"

namespace halvern::test {
namespace {

using TFocus = THeadlessConfigView::TFocus;
using TItems = std::vector<std::string>;

struct CeConfigButtons : ::testing::Test {
  TComPtr<ITransNode> Node = TFakePort::Make({"a", "b", "c", "d"});
  TPageFixture F{TFakePort::Of(Node)};
};

TEST_F(CeConfigButtons, AddNamesTheItemByTheCountBeforeAddingAndKeepsTheSelection) {
  F.View->ClearItems();
  F.View->ClickButton(TConfigButton::Add);
  EXPECT_EQ(F.Items(), TItems{"\xD0\xC2\xC1\xD0"
                              "0"});  // 新列0
  F.View->AddItem("x");
  F.View->AddItem("y");
  F.View->SelectAndMarkItem(1);
  F.Page->AddClick();
  EXPECT_EQ(F.View->ItemCaption(3),
            "\xD0\xC2\xC1\xD0"
            "3");
  EXPECT_EQ(F.View->SelectedIndex(), 1);
  // A caption may repeat: delete one and the next addition reuses the number.
  F.View->SelectAndMarkItem(0);
  F.Page->DeleteClick();
  F.Page->AddClick();
  EXPECT_EQ(F.View->ItemCaption(3), F.View->ItemCaption(2));
}

TEST_F(CeConfigButtons, DeleteSelectsTheItemNowAtThePositionOrTheNewLast) {
  F.View->FocusFileEdit();
  F.View->SelectAndMarkItem(1);
  F.View->ClickButton(TConfigButton::Delete);
  EXPECT_EQ(F.Items(), (TItems{"a", "c", "d"}));
  EXPECT_EQ(F.View->SelectedIndex(), 1);
  EXPECT_EQ(F.View->MarkedIndex(), 1);

  F.View->SelectAndMarkItem(2);
  F.Page->DeleteClick();
  EXPECT_EQ(F.Items(), (TItems{"a", "c"}));
  EXPECT_EQ(F.View->SelectedIndex(), 1);
  EXPECT_EQ(F.View->MarkedIndex(), 1);

  F.Page->DeleteClick();
  F.Page->DeleteClick();
  EXPECT_EQ(F.View->ItemCount(), 0);
  EXPECT_EQ(F.View->SelectedIndex(), -1);
  // The keyboard focus stays where the user had it.
  EXPECT_EQ(F.View->Focus(), TFocus::FileEdit);
}

TEST_F(CeConfigButtons, DeleteOfTheLastOfFourSelectsTheNewLast) {
  F.View->SelectAndMarkItem(3);
  F.Page->DeleteClick();
  EXPECT_EQ(F.Items(), (TItems{"a", "b", "c"}));
  EXPECT_EQ(F.View->SelectedIndex(), 2);
  EXPECT_EQ(F.View->MarkedIndex(), 2);
}

TEST_F(CeConfigButtons, ButtonsWithoutSelectionChangeNothing) {
  for (TConfigButton B : {TConfigButton::Delete, TConfigButton::Up, TConfigButton::Down}) {
    F.View->ClickButton(B);
    EXPECT_EQ(F.Items(), (TItems{"a", "b", "c", "d"}));
    EXPECT_EQ(F.View->SelectedIndex(), -1);
    EXPECT_EQ(F.View->Focus(), TFocus::None);
  }
}

TEST_F(CeConfigButtons, UpMovesTheItemAndFollowsItWithSelectionAndFocus) {
  F.View->SelectAndMarkItem(2);
  F.View->ClickButton(TConfigButton::Up);
  EXPECT_EQ(F.Items(), (TItems{"a", "c", "b", "d"}));
  EXPECT_EQ(F.View->SelectedIndex(), 1);
  EXPECT_EQ(F.View->MarkedIndex(), 1);
  EXPECT_EQ(F.View->Focus(), TFocus::List);
}

TEST_F(CeConfigButtons, UpOnTheFirstItemKeepsTheOrderAndTheFocus) {
  F.View->SelectAndMarkItem(0);
  F.View->FocusFileEdit();
  F.Page->UpClick();
  EXPECT_EQ(F.Items(), (TItems{"a", "b", "c", "d"}));
  EXPECT_EQ(F.View->SelectedIndex(), 0);
  EXPECT_EQ(F.View->Focus(), TFocus::FileEdit);
}

TEST_F(CeConfigButtons, DownMovesTheItemAndFollowsItWithSelectionAndFocus) {
  F.View->SelectAndMarkItem(1);
  F.View->ClickButton(TConfigButton::Down);
  EXPECT_EQ(F.Items(), (TItems{"a", "c", "b", "d"}));
  EXPECT_EQ(F.View->SelectedIndex(), 2);
  EXPECT_EQ(F.View->MarkedIndex(), 2);
  EXPECT_EQ(F.View->Focus(), TFocus::List);
}

TEST_F(CeConfigButtons, DownOnTheLastItemPutsItBackAtTheEnd) {
  F.View->SelectAndMarkItem(3);
  F.Page->DownClick();
  EXPECT_EQ(F.Items(), (TItems{"a", "b", "c", "d"}));
  EXPECT_EQ(F.View->SelectedIndex(), 3);
  EXPECT_EQ(F.View->MarkedIndex(), 3);
  EXPECT_EQ(F.View->Focus(), TFocus::List);
}

TEST_F(CeConfigButtons, RenamedItemIsStoredAndMovesWithItsNewCaption) {
  F.View->RenameItem(0, "\xD5\xCB");
  F.View->SelectAndMarkItem(0);
  F.Page->DownClick();
  EXPECT_EQ(F.Items(), (TItems{"b", "\xD5\xCB", "c", "d"}));
  F.View->SetFileText("f");
  ASSERT_TRUE(F.Page->CheckSucceed());
  EXPECT_EQ(F.Page->WorkPort()->Settings().Columns, F.Items());
}

}  // namespace
}  // namespace halvern::test
