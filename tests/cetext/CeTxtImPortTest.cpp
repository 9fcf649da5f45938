// The import port over the device emulator: reading records, the title line, the copy's lifetime and
// every device failure.
#include <gtest/gtest.h>

#include "cetext/CeTxtImPort.h"
#include "device/DeviceTestSupport.h"
#include "platform/SysError.h"
#include "tests/cetext/CePortTestSupport.h"
#include "transport/BorrowedFields.h"

namespace halvern::test {
namespace {

using TRecords = std::vector<std::vector<std::string>>;

class ImportPort : public TEmulatorTest {
 protected:
  void SetUp() override {
    TEmulatorTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    FNode = CreateImportPort();
    FNode->SetEvents(&FEvents);
    FPort()->FFileName = "\\Temp\\stock.txt";
  }
  void TearDown() override {
    FNode = nullptr;
    // Every connection opened was closed, and every file handle.
    if (FGetCounters) {
      const auto C = Counters();
      EXPECT_EQ(C.ConnectionsOpened, C.ConnectionsClosed);
      EXPECT_EQ(C.FilesOpened, C.HandlesClosed);
    }
    TEmulatorTest::TearDown();
  }
  TCeTxtImPort* FPort() { return dynamic_cast<TCeTxtImPort*>(FNode.Get()); }
  void Device(const std::string& Bytes) { WriteHostFile(Host("Temp/stock.txt"), Bytes); }

  TRecordingEvents FEvents;
  TComPtr<ITransNode> FNode;
};

TEST_F(ImportPort, ReadsEveryLineByPosition) {
  Device("a|b|c\r\nd|e|\r\nf");
  EXPECT_EQ(ReadAll(FNode), (TRecords{{"a", "b", "c"}, {"d", "e", ""}, {"f", "", ""}}));
  EXPECT_TRUE(FEvents.Log.empty());
}

TEST_F(ImportPort, TheTitleLineIsPassedOver) {
  Device("a|b|c\r\nd|e|\r\nf");
  FPort()->FHasTitle = true;
  EXPECT_EQ(ReadAll(FNode), (TRecords{{"d", "e", ""}, {"f", "", ""}}));
  Device("x|y|z");
  FPort()->Close();
  EXPECT_EQ(ReadAll(FNode), TRecords{});
}

TEST_F(ImportPort, ExtraFieldsAreIgnoredAndMissingOnesAreEmpty) {
  // Quotes inside a quoted value are tripled, the way the writer escapes them.
  Device("1|2|3|4|5\r\n\xB1\xE0\xBA\xC5|\"a|b\"|\"q \"\"\"x\"\"\"\"");
  EXPECT_EQ(ReadAll(FNode), (TRecords{{"1", "2", "3"}, {"\xB1\xE0\xBA\xC5", "a|b", "q \"x\""}}));
}

TEST_F(ImportPort, BlankValuesAreNullButKeepTheirBlanks) {
  Device("  |\t|x");
  auto Reader = As<IDataReader>(FNode);
  Reader->MoveFirst();
  ASSERT_FALSE(Reader->IsEof());
  auto First = Field(Reader.Get(), 0).Query<IFieldReader>();
  EXPECT_EQ(First->GetAsString(), "  ");
  EXPECT_TRUE(First->IsNull());
  EXPECT_TRUE(Field(Reader.Get(), 1).Query<IFieldReader>()->IsNull());
  auto Third = Field(Reader.Get(), 2).Query<IFieldReader>();
  EXPECT_FALSE(Third->IsNull());
  EXPECT_EQ(Third->GetFieldType(), ftString);
  EXPECT_EQ(Third->GetIndex(), 2);
  EXPECT_EQ(Third->GetName(), "\xB1\xB8\xD7\xA2");  // 备注
}

TEST_F(ImportPort, EmptyFilesHaveNoRecords) {
  Device("");
  EXPECT_EQ(ReadAll(FNode), TRecords{});
  EXPECT_TRUE(FEvents.Log.empty());
}

TEST_F(ImportPort, ASecondMoveFirstRewindsWithoutTheDevice) {
  Device("a\r\nb");
  auto Reader = As<IDataReader>(FNode);
  EXPECT_EQ(Reader->GetRecordCount(), -1);
  EXPECT_EQ(ReadAll(FNode).size(), 2u);
  EXPECT_EQ(Reader->GetRecordCount(), -1);
  Device("changed");
  EXPECT_EQ(ReadAll(FNode), (TRecords{{"a", "", ""}, {"b", "", ""}}));
  EXPECT_EQ(Counters().ConnectionsOpened, 1u);
  // Close and Initialize drop the copy: the next MoveFirst reads the device again.
  FNode->Close();
  EXPECT_TRUE(Reader->IsEof());
  EXPECT_EQ(ReadAll(FNode), (TRecords{{"changed", "", ""}}));
  EXPECT_TRUE(FNode->Initialize(1));
  EXPECT_TRUE(Reader->IsEof());
  Reader->MoveFirst();
  EXPECT_FALSE(Reader->IsEof());
  EXPECT_EQ(Counters().ConnectionsOpened, 3u);
}

TEST_F(ImportPort, ColumnReferencesFollowTheLatestRequest) {
  Device("a|b|c");
  auto Reader = As<IDataReader>(FNode);
  Reader->MoveFirst();
  auto First = Field(Reader.Get(), 0).Query<IFieldReader>();
  auto Second = Field(Reader.Get(), 1).Query<IFieldReader>();
  EXPECT_EQ(First->GetAsString(), "b");
  EXPECT_EQ(Second->GetAsString(), "b");
  EXPECT_EQ(First.Get(), Second.Get());
}

TEST_F(ImportPort, FastColumnAccessReadsWhatTheColumnsReadAndRepointsThem) {
  Device("a|\"b|c\"\r\nd\r\n|  |");
  auto Reader = As<IDataReader>(FNode);
  auto Fast = As<IBorrowedFieldAccess>(FNode);
  ASSERT_TRUE(Fast);
  std::string_view Text = "untouched";
  EXPECT_TRUE(Fast->ReadFieldText(0, &Text)) << "before MoveFirst the column reads empty";
  EXPECT_EQ(Text, "");
  Reader->MoveFirst();
  auto Held = Field(Reader.Get(), 2).Query<IFieldReader>();
  for (; !Reader->IsEof(); Reader->MoveNext()) {
    for (int32_t I = 0; I < 3; ++I) {
      ASSERT_TRUE(Fast->ReadFieldText(I, &Text));
      EXPECT_EQ(Held->GetIndex(), I) << "a held column follows the latest request";
      EXPECT_EQ(std::string(Text), Field(Reader.Get(), I).Query<IFieldReader>()->GetAsString());
    }
  }
  Text = "untouched";
  EXPECT_FALSE(Fast->ReadFieldText(3, &Text));
  EXPECT_FALSE(Fast->ReadFieldText(-1, &Text));
  EXPECT_FALSE(Fast->ReadFieldText(0, nullptr));
  EXPECT_EQ(Text, "untouched");
  EXPECT_FALSE(Fast->WriteFieldText(0, "x", 1)) << "an import port stores nothing";
}

TEST_F(ImportPort, NoCopyMeansNoRecordsAndHarmlessCalls) {
  auto Reader = As<IDataReader>(FNode);
  EXPECT_TRUE(Reader->IsEof());
  Reader->MoveNext();
  EXPECT_TRUE(Reader->IsEof());
  EXPECT_EQ(Field(Reader.Get(), 0).Query<IFieldReader>()->GetAsString(), "");
  EXPECT_EQ(Counters().InitCalls, 0u);
}

TEST_F(ImportPort, AMissingFileIsReportedOnce) {
  auto Reader = As<IDataReader>(FNode);
  Reader->MoveFirst();
  EXPECT_TRUE(Reader->IsEof());
  ASSERT_EQ(FEvents.Log.size(), 1u);
  EXPECT_EQ(FEvents.Log[0].first, 35);
  EXPECT_EQ(FEvents.Log[0].second, "Cannot open file \"\\Temp\\stock.txt\". " + platform::SystemErrorText(3));
  // A failed load leaves no copy: the next MoveFirst tries the device again.
  Device("a");
  Reader->MoveFirst();
  EXPECT_FALSE(Reader->IsEof());
}

struct TFault {
  const char* Faults;
  std::string Message;
};

class ImportFaults : public ImportPort, public ::testing::WithParamInterface<TFault> {};

TEST_P(ImportFaults, EachFailureIsOneReportAndNoRecords) {
  Device(std::string(100000, 'x') + "\r\ny");
  SetEnv("HALVERN_DEVICE_FAULTS", GetParam().Faults);
  auto Reader = As<IDataReader>(FNode);
  Reader->MoveFirst();
  EXPECT_TRUE(Reader->IsEof());
  ASSERT_EQ(FEvents.Log.size(), 1u);
  EXPECT_EQ(FEvents.Log[0].first, 35);
  EXPECT_EQ(FEvents.Log[0].second, GetParam().Message);
  EXPECT_FALSE(FPort()->HasCopy());
}

INSTANTIATE_TEST_SUITE_P(Device, ImportFaults,
                         ::testing::Values(TFault{"init", platform::SystemErrorText(1167)},
                                           TFault{"init=21", platform::SystemErrorText(21)},
                                           TFault{"open=32", "Cannot open file \"\\Temp\\stock.txt\". " +
                                                                 platform::SystemErrorText(32)},
                                           TFault{"read-after=0", "Stream read error"},
                                           TFault{"read-after=70000:21", "Stream read error"}));

TEST_F(ImportPort, WithoutASinkFailuresAreSilent) {
  FNode->SetEvents(nullptr);
  EXPECT_EQ(FEvents.Refs, 0);
  As<IDataReader>(FNode)->MoveFirst();
  EXPECT_TRUE(FEvents.Log.empty());
  EXPECT_TRUE(As<IDataReader>(FNode)->IsEof());
}

TEST_F(ImportPort, NoDeviceLibraryGivesTheConnectionMessage) {
  SetEnv("HALVERN_RAPI_LIBRARY", (FRoot.Path() / "missing-library").string());
  ASSERT_FALSE(ReloadRapiForTests());
  As<IDataReader>(FNode)->MoveFirst();
  ASSERT_EQ(FEvents.Log.size(), 1u);
  EXPECT_EQ(FEvents.Log[0].first, 35);
  // 无法连接设备,请检查驱动程序是否安装正确
  EXPECT_EQ(
      FEvents.Log[0].second,
      "\xCE\xDE\xB7\xA8\xC1\xAC\xBD\xD3\xC9\xE8\xB1\xB8,\xC7\xEB\xBC\xEC\xB2\xE9\xC7\xFD\xB6\xAF\xB3\xCC\xD0"
      "\xF2\xCA\xC7\xB7\xF1\xB0\xB2\xD7\xB0\xD5\xFD\xC8\xB7");
  EXPECT_TRUE(As<IDataReader>(FNode)->IsEof());
  SetEnv("HALVERN_RAPI_LIBRARY", EmulatorPath());
  ASSERT_TRUE(ReloadRapiForTests());
}

}  // namespace
}  // namespace halvern::test
