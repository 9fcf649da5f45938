// The configuration page in a real window, driven as a user would through window messages from a test
// host that loads the engine library and calls its exports.
#include <gtest/gtest.h>

#include "GuiHost.h"

// After windows.h, which declares the types it uses.
#include <commctrl.h>

#include <string>
#include <vector>

namespace halvern::test {
namespace {

using TItems = std::vector<std::wstring>;

const wchar_t* const kNumber = L"\u7F16\u53F7";                      // 编号
const wchar_t* const kFlag = L"\u76D8\u70B9\u6807\u5FD7";            // 盘点标志
const wchar_t* const kRemark = L"\u5907\u6CE8";                      // 备注
const wchar_t* const kAdd = L"\u589E\u52A0";                         // 增加
const wchar_t* const kDelete = L"\u5220\u9664";                      // 删除
const wchar_t* const kUp = L"\u4E0A\u79FB";                          // 上移
const wchar_t* const kDown = L"\u4E0B\u79FB";                        // 下移
const wchar_t* const kHasTitle = L"\u5305\u542B\u6807\u9898\u884C";  // 包含标题行

std::string BuildDir() {
  std::string Path = HALVERN_LIBRARY_PATH;
  return Path.substr(0, Path.find_last_of("/\\") + 1);
}

class ConfigPageGui : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(Api.Load(HALVERN_LIBRARY_PATH)) << HALVERN_LIBRARY_PATH; }
  static void TearDownTestSuite() { Api.Free(); }

  void SetUp() override {
    ASSERT_EQ(Api.EngineInit(ENGINE_PORT_IMPORT, &Port), ENGINE_OK);
    ASSERT_EQ(Api.ConfigInit(Port, Host.Handle(), 0, &Page), ENGINE_OK);
    PumpMessages();
    PageWnd = FindChild(Host.Handle(), L"HalvernCeConfigPage", nullptr);
    ASSERT_NE(PageWnd, nullptr);
    List = FindChild(PageWnd, WC_LISTVIEWW, nullptr);
    Edit = FindChild(PageWnd, L"Edit", nullptr);
    TitleBox = FindChild(PageWnd, L"Button", kHasTitle);
    ASSERT_TRUE(List && Edit && TitleBox);
  }

  void TearDown() override {
    if (Page) Api.ConfigFina(Page);
    if (Port) Api.EngineFina(Port);
    PumpMessages();
  }

  void Click(const wchar_t* Caption) {
    HWND Button = FindChild(PageWnd, L"Button", Caption);
    ASSERT_NE(Button, nullptr);
    SendMessageW(Button, BM_CLICK, 0, 0);
    PumpMessages();
  }

  // ConfigCheckSucceed, closing the message box it may show; Message receives that box's text.
  int32_t CheckEntries(std::wstring* Message, HWND* Owner = nullptr) {
    TMessageBoxCloser Closer;
    const int32_t Result = Api.ConfigCheckSucceed(Page);
    PumpMessages();
    *Message = Closer.Seen ? Closer.Text : L"";
    if (Owner) *Owner = Closer.Owner;
    return Result;
  }

  static inline TEngineApi Api;
  THostWindow Host{520, 260};
  uint32_t Port = 0;
  uint32_t Page = 0;
  HWND PageWnd = nullptr, List = nullptr, Edit = nullptr, TitleBox = nullptr;
};

TEST_F(ConfigPageGui, PageIsABorderlessChildFillingTheHostAndFollowingItsSize) {
  EXPECT_EQ(GetParent(PageWnd), Host.Handle());
  const LONG_PTR Style = GetWindowLongPtrW(PageWnd, GWL_STYLE);
  EXPECT_TRUE(Style & WS_CHILD);
  EXPECT_TRUE(Style & WS_VISIBLE);
  EXPECT_FALSE(Style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME));
  EXPECT_TRUE(GetWindowLongPtrW(PageWnd, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);

  RECT Client{}, Page{};
  GetClientRect(Host.Handle(), &Client);
  GetClientRect(PageWnd, &Page);
  EXPECT_EQ(Page.right, Client.right);
  EXPECT_EQ(Page.bottom, Client.bottom);

  Host.ResizeClient(640, 400);
  GetClientRect(PageWnd, &Page);
  EXPECT_EQ(Page.right, 640);
  EXPECT_EQ(Page.bottom, 400);

  // The list has no header, whole-row and single selection, and the selection stays visible.
  const LONG_PTR ListStyle = GetWindowLongPtrW(List, GWL_STYLE);
  EXPECT_EQ(ListStyle & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_TRUE(ListStyle & LVS_NOCOLUMNHEADER);
  EXPECT_TRUE(ListStyle & LVS_SINGLESEL);
  EXPECT_TRUE(ListStyle & LVS_SHOWSELALWAYS);
  EXPECT_TRUE(ListStyle & LVS_EDITLABELS);
  EXPECT_TRUE(SendMessageW(List, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);
}

TEST_F(ConfigPageGui, ControlsShowThePortAndTabInTheirOrder) {
  EXPECT_EQ(ListItems(List), (TItems{kNumber, kFlag, kRemark}));
  EXPECT_EQ(WindowText(Edit), L"");
  EXPECT_EQ(SendMessageW(TitleBox, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_NE(FindChild(PageWnd, L"Static", L"\u6587\u4EF6\u540D"), nullptr);  // 文件名

  const std::vector<HWND> Order = {Edit,
                                   TitleBox,
                                   List,
                                   FindChild(PageWnd, L"Button", kAdd),
                                   FindChild(PageWnd, L"Button", kDelete),
                                   FindChild(PageWnd, L"Button", kUp),
                                   FindChild(PageWnd, L"Button", kDown)};
  for (size_t I = 0; I < Order.size(); ++I) {
    HWND Next = GetNextDlgTabItem(PageWnd, Order[I], FALSE);
    EXPECT_EQ(Next, Order[(I + 1) % Order.size()]) << "after tab stop " << I;
  }
  EXPECT_EQ(Api.ConfigIsBOF(Page), -1);
  EXPECT_EQ(Api.ConfigIsEOF(Page), -1);
}

// This program has no manifest, so a button it makes itself is the version 5 one; the page's controls are
// made in the engine's own context and must be the themed version 6 ones. BCM_GETIDEALSIZE is answered
// by version 6 buttons only.
TEST_F(ConfigPageGui, ControlsAreTheVersion6OnesWhateverTheHostsManifest) {
  const auto AnswersV6 = [](HWND Button) {
    SIZE Ideal{};
    return SendMessageW(Button, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&Ideal)) != 0 && Ideal.cx > 0;
  };
  HWND Plain =
      CreateWindowExW(0, L"Button", L"x", WS_CHILD, 0, 0, 8, 8, Host.Handle(), nullptr, nullptr, nullptr);
  ASSERT_NE(Plain, nullptr);
  EXPECT_FALSE(AnswersV6(Plain)) << "the host's own buttons should stay version 5";
  DestroyWindow(Plain);
  EXPECT_TRUE(AnswersV6(TitleBox));
  EXPECT_TRUE(AnswersV6(FindChild(PageWnd, L"Button", kAdd)));
}

TEST_F(ConfigPageGui, ButtonsAddDeleteAndMoveItems) {
  Click(kAdd);
  EXPECT_EQ(ListItems(List), (TItems{kNumber, kFlag, kRemark,
                                     L"\u65B0\u5217"
                                     L"3"}));  // 新列3
  EXPECT_EQ(ListSelected(List), -1);

  ListSelect(List, 3);
  Click(kDelete);
  EXPECT_EQ(ListItems(List), (TItems{kNumber, kFlag, kRemark}));
  EXPECT_EQ(ListSelected(List), 2);

  ListSelect(List, 0);
  Click(kUp);
  ListSelect(List, 2);
  Click(kDown);
  EXPECT_EQ(ListItems(List), (TItems{kNumber, kFlag, kRemark}));
  EXPECT_EQ(ListSelected(List), 2);

  SetFocus(Edit);
  ListSelect(List, 0);
  Click(kDown);
  EXPECT_EQ(ListItems(List), (TItems{kFlag, kNumber, kRemark}));
  EXPECT_EQ(ListSelected(List), 1);
  EXPECT_EQ(GetFocus(), List);
  Click(kUp);
  EXPECT_EQ(ListItems(List), (TItems{kNumber, kFlag, kRemark}));
  EXPECT_EQ(ListSelected(List), 0);
}

TEST_F(ConfigPageGui, InPlaceEditRenamesAColumn) {
  SetFocus(List);
  HWND Label = reinterpret_cast<HWND>(SendMessageW(List, LVM_EDITLABELW, 1, 0));
  ASSERT_NE(Label, nullptr);
  SetWindowTextW(Label, L"\u8D26\u9762 qty");
  SendMessageW(Label, WM_KEYDOWN, VK_RETURN, 0);
  PumpMessages();
  EXPECT_EQ(ListItems(List), (TItems{kNumber, L"\u8D26\u9762 qty", kRemark}));

  // A cancelled edit keeps the caption.
  Label = reinterpret_cast<HWND>(SendMessageW(List, LVM_EDITLABELW, 0, 0));
  ASSERT_NE(Label, nullptr);
  SetWindowTextW(Label, L"dropped");
  SendMessageW(Label, WM_KEYDOWN, VK_ESCAPE, 0);
  PumpMessages();
  EXPECT_EQ(ListItems(List)[0], kNumber);
}

TEST_F(ConfigPageGui, CheckSucceedTellsWhatIsMissingThenStoresIntoTheWorkingPortOnly) {
  std::wstring Message;
  HWND Active = GetActiveWindow();
  HWND Owner = nullptr;
  EXPECT_EQ(CheckEntries(&Message, &Owner), -1);
  EXPECT_EQ(Message,
            L"\u8BF7\u6307\u5B9A\u5BFC\u5165\u5BFC\u51FA\u6587\u4EF6\u540D");  // 请指定导入导出文件名
  if (Active) {
    EXPECT_EQ(Owner, Active);
  }
  EXPECT_EQ(GetFocus(), Edit);

  for (int I = 0; I < 3; ++I) {
    ListSelect(List, 0);
    Click(kDelete);
  }
  ASSERT_TRUE(ListItems(List).empty());
  EXPECT_EQ(CheckEntries(&Message), -1);
  EXPECT_EQ(Message, L"\u8BF7\u8BBE\u7F6E\u5BFC\u5165\u5BFC\u51FA\u5217");  // 请设置导入导出列

  Click(kAdd);
  Click(kAdd);
  SetWindowTextW(Edit, L"  \\My Documents\\\u76D8\u70B9.txt \t");  // 盘点
  SendMessageW(TitleBox, BM_CLICK, 0, 0);
  EXPECT_EQ(CheckEntries(&Message), 0);
  EXPECT_EQ(Message, L"");

  const uint32_t Work = Api.ConfigPort(Page);
  ASSERT_NE(Work, 0u);
  EXPECT_NE(Work, Port);
  const std::string WorkOptions = Api.Options(Work);
  const std::string Stored = "\\My Documents\\\xC5\xCC\xB5\xE3.txt";
  EXPECT_NE(WorkOptions.find(Stored), std::string::npos) << WorkOptions;
  EXPECT_EQ(WorkOptions.find(Stored + " "), std::string::npos) << WorkOptions;
  EXPECT_NE(WorkOptions.find("\xD0\xC2\xC1\xD0"
                             "1"),
            std::string::npos)
      << WorkOptions;  // 新列1
  EXPECT_EQ(Api.Options(Port).find(Stored), std::string::npos);

  Api.ConfigUpdate(Page);
  EXPECT_NE(Api.Options(Port).find(Stored), std::string::npos);

  Api.ConfigFina(Page);
  PumpMessages();
  EXPECT_FALSE(IsWindow(PageWnd));
  EXPECT_EQ(Api.ConfigPort(Page), 0u);
  EXPECT_EQ(Api.ConfigIsEOF(Page), static_cast<int32_t>(CONFIG_ERR_HANDLE));
  int32_t Size = 0;
  EXPECT_EQ(Api.EngineGetOptions(Work, nullptr, &Size), 0);
  Page = 0;
}

TEST_F(ConfigPageGui, HostWindowDestroyedFirstKeepsTheEntries) {
  SetWindowTextW(Edit, L"a.txt");
  Host.Destroy();
  EXPECT_FALSE(IsWindow(PageWnd));
  std::wstring Message;
  EXPECT_EQ(CheckEntries(&Message), 0);
  EXPECT_NE(Api.Options(Api.ConfigPort(Page)).find("a.txt"), std::string::npos);
}

TEST_F(ConfigPageGui, Screenshot) {
  Host.ResizeClient(503, 247);
  ListSelect(List, 1);
  SetWindowTextW(Edit, L"\\My Documents\\pd.txt");
  SetFocus(Edit);
  RedrawWindow(Host.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  PumpMessages();
  Sleep(200);
  PumpMessages();
  EXPECT_TRUE(SaveScreenshot(Host.Handle(), BuildDir() + "page-screenshot.png"));
}

}  // namespace
}  // namespace halvern::test
