// The page on the engine's own import and export ports, as CreateConfigPage makes it.
#include <gtest/gtest.h>

#include <typeinfo>

#include "ConfigTestSupport.h"
#include "cetext/CeFactories.h"

namespace halvern::test {
namespace {

const std::vector<std::string> kExportTitles = {"\xB1\xE0\xBA\xC5",                   // 编号
                                                "\xD7\xCA\xB2\xFA\xC3\xFB\xB3\xC6",   // 资产名称
                                                "\xD5\xCB\xC3\xE6\xCA\xFD\xC1\xBF"};  // 账面数量

TCeTransPort* AsCePort(const TComPtr<ITransNode>& Node) {
  return dynamic_cast<TCeTransPort*>(Node.Get());
}

TEST(CeConfigOnEnginePorts, NewPortsShowTheirDefaultsAndWorkOnACopyOfTheirOwnClass) {
  for (auto [Factory, Titles, Kind] :
       {std::tuple{&CreateImportPort, kImportTitles, 1}, std::tuple{&CreateExportPort, kExportTitles, 2}}) {
    TComPtr<ITransNode> Node = Factory();
    ASSERT_TRUE(Node);
    TCeTransPort* Port = AsCePort(Node);
    Port->FColumns.push_back("extra");
    TPageFixture F(Port);
    std::vector<std::string> Expected = Titles;
    Expected.push_back("extra");
    EXPECT_EQ(F.Items(), Expected);
    EXPECT_EQ(F.View->GetFileText(), "");
    EXPECT_FALSE(F.View->GetHasTitle());

    TComPtr<ITransNode> Work = F.Page->GetPortNode();
    ASSERT_TRUE(Work);
    const TCeTransPort& WorkPort = *AsCePort(Work);
    EXPECT_EQ(typeid(WorkPort), typeid(*Port));
    EXPECT_EQ(Work->GetKind(), Kind);
    EXPECT_EQ(AsCePort(Work)->FColumns, Expected);
  }
}

TEST(CeConfigOnEnginePorts, OptionsOfTheWorkingCopyChangeOnCheckAndOfThePortOnUpdate) {
  TComPtr<ITransNode> Node = CreateImportPort();
  TComPtr<IConfigPageEx> Page;
  ASSERT_TRUE(Node->CreateConfigPage(Page.Put()));
  auto* Ce = dynamic_cast<TCeConfig*>(static_cast<IConfigPage*>(Page.Get()));
  ASSERT_NE(Ce, nullptr);
  ASSERT_TRUE(Page->ShowPage(nullptr, 0));
  const std::string Before = Node->GetOptions();

  Ce->View().SetFileText(" \\Temp\\in.txt ");
  Ce->View().SetHasTitle(true);
  ASSERT_TRUE(Page->CheckSucceed());
  TComPtr<ITransPort> WorkPort;
  Page->GetWorkPort(WorkPort.Put());
  TComPtr<ITransNode> Work = WorkPort.Query<ITransNode>();
  ASSERT_TRUE(Work);
  const std::string WorkOptions = Work->GetOptions();
  EXPECT_NE(WorkOptions.find("\\Temp\\in.txt"), std::string::npos) << WorkOptions;
  EXPECT_EQ(WorkOptions.find(" \\Temp"), std::string::npos) << WorkOptions;
  EXPECT_EQ(Node->GetOptions(), Before);

  Page->UpdatePort();
  EXPECT_EQ(Node->GetOptions(), WorkOptions);
  Page->HidePage();
}

}  // namespace
}  // namespace halvern::test
