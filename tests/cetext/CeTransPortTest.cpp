// What both ports share: default columns, kinds, interfaces, reference counts and column lookup.
#include <gtest/gtest.h>

#include "cetext/CeFactories.h"
#include "cetext/CeTxtExport.h"
#include "cetext/CeTxtImPort.h"
#include "tests/cetext/CePortTestSupport.h"
#include "transport/ConfigPage.h"

namespace halvern::test {
namespace {

const std::string Number = "\xB1\xE0\xBA\xC5";                        // 编号
const std::string CountFlag = "\xC5\xCC\xB5\xE3\xB1\xEA\xD6\xBE";     // 盘点标志
const std::string Remark = "\xB1\xB8\xD7\xA2";                        // 备注
const std::string AssetName = "\xD7\xCA\xB2\xFA\xC3\xFB\xB3\xC6";     // 资产名称
const std::string BookQuantity = "\xD5\xCB\xC3\xE6\xCA\xFD\xC1\xBF";  // 账面数量

std::vector<std::string> Names(const TComPtr<ITransNode>& Node) {
  TComPtr<ITransPort> Port;
  Node->GetPort(Port.Put());
  std::vector<std::string> Result;
  for (int32_t I = 0; I < Port->GetFieldCount(); ++I) Result.push_back(Field(Port.Get(), I)->GetName());
  return Result;
}

TEST(CePort, NewPortsHoldTheirClassDefaults) {
  auto Import = CreateImportPort();
  EXPECT_EQ(Names(Import), (std::vector<std::string>{Number, CountFlag, Remark}));
  EXPECT_EQ(Import->GetKind(), 1);
  EXPECT_TRUE(Import->IsReady());
  EXPECT_EQ(Import->GetName(), "WinCe\xC9\xE8\xB1\xB8\xCE\xC4\xB1\xBE\xB8\xF1\xCA\xBD");
  EXPECT_TRUE(Import->HasConfigPage());

  auto Export = CreateExportPort();
  EXPECT_EQ(Names(Export), (std::vector<std::string>{Number, AssetName, BookQuantity}));
  EXPECT_EQ(Export->GetKind(), 2);

  // A copy made from the class alone is uninitialised but already has the defaults.
  auto Copy = dynamic_cast<TCeTransPort*>(Export.Get())->CreateSameClass();
  EXPECT_EQ(Copy->GetKind(), 0);
  EXPECT_FALSE(Copy->IsReady());
  EXPECT_EQ(Names(Copy), Names(Export));
  EXPECT_NE(dynamic_cast<TCeTxtExport*>(Copy.Get()), nullptr);
}

TEST(CePort, MakesItsPageOnlyThroughTheFactoryItWasHanded) {
  auto Import = CreateImportPort();
  TComPtr<IConfigPageEx> Page;
  // Nothing wired: no page, and the out pointer is cleared rather than left as it was.
  SetConfigPageFactory(nullptr);
  EXPECT_FALSE(Import->CreateConfigPage(Page.Put()));
  EXPECT_FALSE(Page);
  EXPECT_FALSE(Import->CreateConfigPage(nullptr));

  static IEditablePort* Asked = nullptr;
  SetConfigPageFactory([](IEditablePort& Port) {
    Asked = &Port;
    return TComPtr<IConfigPageEx>();
  });
  EXPECT_FALSE(Import->CreateConfigPage(Page.Put()));
  SetConfigPageFactory(nullptr);
  ASSERT_NE(Asked, nullptr);
  EXPECT_EQ(&Asked->Node(), Import.Get());
  EXPECT_EQ(Asked->Settings().Columns, Names(Import));
}

TEST(CePort, InitializeStoresAnyKindButServesOnlyItsOwn) {
  auto Import = CreateImportPort();
  EXPECT_FALSE(Import->Initialize(2));
  EXPECT_EQ(Import->GetKind(), 2);
  EXPECT_TRUE(Import->IsReady());
  EXPECT_FALSE(Import->Initialize(0));
  EXPECT_FALSE(Import->IsReady());
  EXPECT_TRUE(Import->Initialize(1));

  auto Export = CreateExportPort();
  EXPECT_FALSE(Export->Initialize(1));
  EXPECT_TRUE(Export->Initialize(2));
}

TEST(CePort, DirectionInterfacesBelongToTheirPort) {
  auto Import = CreateImportPort();
  auto Export = CreateExportPort();
  void* Obj = &Obj;
  EXPECT_EQ(Import->QueryInterface(IDataWriter::IID, &Obj), E_NOINTERFACE);
  EXPECT_EQ(Obj, nullptr);
  EXPECT_EQ(Export->QueryInterface(IDataReader::IID, &Obj), E_NOINTERFACE);
  EXPECT_TRUE(As<IDataReader>(Import));
  EXPECT_TRUE(As<IDataWriter>(Export));
  for (const auto& Node : {Import, Export}) {
    EXPECT_TRUE(As<ITransPort>(Node));
    EXPECT_TRUE(As<ITransObject>(Node));
    EXPECT_EQ(As<ITransObject>(Node)->GetObject(), dynamic_cast<TObject*>(Node.Get()));
    EXPECT_EQ(As<IInterface>(Node).Get(), static_cast<IInterface*>(Node.Get()));
  }
}

TEST(CePort, TheEventSinkIsHandedOutNotImplemented) {
  TRecordingEvents Events;
  {
    auto Port = CreateImportPort();
    EXPECT_FALSE(As<ITransEvents>(Port));
    Port->SetEvents(&Events);
    EXPECT_EQ(Events.Refs, 1);
    {
      auto Sink = As<ITransEvents>(Port);
      EXPECT_EQ(Sink.Get(), &Events);
      EXPECT_EQ(Events.Refs, 2);
    }
    dynamic_cast<TCeTransPort*>(Port.Get())->ReportError("boom");
    ASSERT_EQ(Events.Log.size(), 1u);
    EXPECT_EQ(Events.Log[0], (std::pair<int32_t, std::string>{35, "boom"}));
    Port->SetEvents(nullptr);
    EXPECT_EQ(Events.Refs, 0);
    EXPECT_FALSE(As<ITransEvents>(Port));
    Port->SetEvents(&Events);
  }
  // The port gave its reference back when it was destroyed.
  EXPECT_EQ(Events.Refs, 0);
}

TEST(CePort, ColumnReferencesCountOnThePort) {
  auto Port = CreateImportPort();
  ITransNode* Raw = Port.Get();
  EXPECT_EQ(Raw->AddRef(), 2);
  EXPECT_EQ(Raw->Release(), 1);
  {
    auto Column = Field(As<ITransPort>(Port).Get(), 1);
    EXPECT_EQ(Raw->AddRef(), 3);  // ours, the column's, and this one
    Raw->Release();
    auto Reader = Column.Query<IFieldReader>();
    EXPECT_TRUE(Reader);
    EXPECT_FALSE(Column.Query<IFieldWriter>());
    EXPECT_FALSE(Column.Query<ITransPort>());
  }
  EXPECT_EQ(Raw->AddRef(), 2);
  Raw->Release();
  // A column held past the port's last outside reference keeps the port alive.
  auto Column = Field(As<ITransPort>(Port).Get(), 0);
  Port = nullptr;
  EXPECT_EQ(Column->GetName(), Number);
}

TEST(CePort, GetFieldHandsOutColumnsInsideTheBoundsOnly) {
  for (const auto& Node : {CreateImportPort(), CreateExportPort()}) {
    auto Port = As<ITransPort>(Node);
    EXPECT_FALSE(Field(Port.Get(), -1));
    EXPECT_FALSE(Field(Port.Get(), 3));
    EXPECT_TRUE(Field(Port.Get(), 2));
    EXPECT_EQ(Field(Port.Get(), 2)->GetIndex(), 2);
    EXPECT_EQ(Field(Port.Get(), 2)->GetFieldType(), ftString);
    // Titles change only through the settings.
    Field(Port.Get(), 0)->SetName("x");
    EXPECT_EQ(Field(Port.Get(), 0)->GetName(), Number);
  }
}

TEST(CePort, FindFieldIgnoresLetterCaseAndTakesTheFirstMatch) {
  auto Node = CreateImportPort();
  auto* Port = dynamic_cast<TCeTransPort*>(Node.Get());
  Port->FColumns = {"Code", "Qty", "qty", "\xB1\xE0\xBA\xC5"};
  auto Find = [&](const std::string& Name) {
    TComPtr<ITransField> F;
    Port->FindField(Name, F.Put());
    return F ? F->GetIndex() : -1;
  };
  EXPECT_EQ(Find("code"), 0);
  EXPECT_EQ(Find("QTY"), 1);
  EXPECT_EQ(Find("qty"), 1);
  EXPECT_EQ(Find("\xB1\xE0\xBA\xC5"), 3);
  EXPECT_EQ(Find("missing"), -1);
  EXPECT_EQ(Find(""), -1);
}

TEST(CePort, ConfigPagesAreMadeForThePort) {
  auto Port = CreateImportPort();
  TComPtr<IConfigPageEx> Page;
  const bool Made = Port->CreateConfigPage(Page.Put());
  EXPECT_EQ(Made, static_cast<bool>(Page));
  EXPECT_FALSE(Port->CreateConfigPage(nullptr));
}

}  // namespace
}  // namespace halvern::test
