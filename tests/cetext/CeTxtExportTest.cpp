// The export port over the device emulator: the file layout, record buffering, Close, every device
// failure, and values read back by the import port.
#include <gtest/gtest.h>

#include <random>

#include "cetext/CeTxtExport.h"
#include "device/DeviceTestSupport.h"
#include "platform/SysError.h"
#include "rtl/Stream.h"
#include "tests/cetext/CePortTestSupport.h"
#include "transport/BorrowedFields.h"

namespace halvern::test {
namespace {

using TRecords = std::vector<std::vector<std::string>>;

const std::string Titles =
    "\xB1\xE0\xBA\xC5|\xD7\xCA\xB2\xFA\xC3\xFB\xB3\xC6|\xD5\xCB\xC3\xE6\xCA\xFD\xC1\xBF";

class ExportPort : public TEmulatorTest {
 protected:
  void SetUp() override {
    TEmulatorTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    FNode = CreateExportPort();
    FNode->SetEvents(&FEvents);
    Port().FFileName = "\\Temp\\out.txt";
  }
  void TearDown() override {
    FNode = nullptr;
    if (FGetCounters) {
      const auto C = Counters();
      EXPECT_EQ(C.ConnectionsOpened, C.ConnectionsClosed);
      EXPECT_EQ(C.FilesOpened, C.HandlesClosed);
    }
    TEmulatorTest::TearDown();
  }
  TCeTxtExport& Port() { return *dynamic_cast<TCeTxtExport*>(FNode.Get()); }
  std::string DeviceFile() { return ReadHostFile(Host("Temp/out.txt")); }
  bool DeviceFileExists() { return std::filesystem::exists(Host("Temp/out.txt")); }
  void Export(const TRecords& Records) {
    WriteAll(FNode, Records);
    FNode->Close();
  }

  TRecordingEvents FEvents;
  TComPtr<ITransNode> FNode;
};

TEST_F(ExportPort, TitleLineThenOneLinePerRecord) {
  std::filesystem::create_directories(Host("Temp"));
  Port().FHasTitle = true;
  Export({{"A1", "chair", "3"}});
  EXPECT_EQ(DeviceFile(), Titles + "\r\nA1|chair|3");
  EXPECT_TRUE(FEvents.Log.empty());
  EXPECT_EQ(Counters().ConnectionsOpened, 1u);
  EXPECT_FALSE(Port().Image());
}

TEST_F(ExportPort, NoTitleLineWithoutTheFlag) {
  std::filesystem::create_directories(Host("Temp"));
  Export({{"A1", "chair", "3"}, {"A2", "desk", "1"}});
  EXPECT_EQ(DeviceFile(), "A1|chair|3\r\nA2|desk|1");
}

TEST_F(ExportPort, SpecialValuesAreQuotedAndEmptyOnesWrittenAsNothing) {
  std::filesystem::create_directories(Host("Temp"));
  Export({{"a|b", "office chair", ""}, {"", "x", ""}});
  EXPECT_EQ(DeviceFile(), "\"a|b\"|\"office chair\"|\r\n|x|");
}

TEST_F(ExportPort, OnlyPostedRecordsAreWritten) {
  std::filesystem::create_directories(Host("Temp"));
  auto Writer = As<IDataWriter>(FNode);
  // A value set before the first Append is cleared by it; Post before any Append writes nothing.
  Writer->Post();
  EXPECT_FALSE(Port().Image());
  Field(Writer.Get(), 0).Query<IFieldWriter>()->SetAsString("early");
  Writer->Append();
  Field(Writer.Get(), 0).Query<IFieldWriter>()->SetAsString("dropped");
  Writer->Append();
  Field(Writer.Get(), 1).Query<IFieldWriter>()->SetAsString("kept");
  Writer->SetFieldCount(7);
  Writer->SetFieldType(1, ftInteger);
  Writer->Post();
  Writer->Post();  // the values stay in place: the same line again
  Writer->Append();
  Field(Writer.Get(), 2).Query<IFieldWriter>()->SetAsString("not posted");
  FNode->Close();
  EXPECT_EQ(DeviceFile(), "|kept|\r\n|kept|");
}

TEST_F(ExportPort, CloseWithoutAppendLeavesTheDeviceAlone) {
  WriteHostFile(Host("Temp/out.txt"), "old");
  FNode->Close();
  EXPECT_EQ(DeviceFile(), "old");
  EXPECT_EQ(Counters().InitCalls, 0u);
  // An Append with the title flag but no Post writes the title line alone, replacing the file.
  Port().FHasTitle = true;
  As<IDataWriter>(FNode)->Append();
  FNode->Close();
  EXPECT_EQ(DeviceFile(), Titles);
}

TEST_F(ExportPort, TheTitleLineUsesTheColumnsOfTheFirstAppend) {
  std::filesystem::create_directories(Host("Temp"));
  Port().FHasTitle = true;
  Port().FColumns = {"k", "v"};
  auto Writer = As<IDataWriter>(FNode);
  Writer->Append();
  Port().FColumns = {"other", "titles"};
  Writer->Post();
  FNode->Close();
  EXPECT_EQ(DeviceFile(), "k|v\r\n|");
}

TEST_F(ExportPort, InitializeDropsBufferedRecords) {
  std::filesystem::create_directories(Host("Temp"));
  Port().FHasTitle = true;
  WriteAll(FNode, {{"lost", "", ""}});
  EXPECT_TRUE(FNode->Initialize(2));
  WriteAll(FNode, {{"kept", "", ""}});
  FNode->Close();
  EXPECT_EQ(DeviceFile(), Titles + "\r\nkept||");
}

struct TFault {
  const char* Faults;
  std::string Message;
};

class ExportFaults : public ExportPort, public ::testing::WithParamInterface<TFault> {};

TEST_P(ExportFaults, EachFailureIsOneReportAndNothingRaised) {
  std::filesystem::create_directories(Host("Temp"));
  TRecords Records(5000, {"0123456789", "abcdefghij", "x"});
  WriteAll(FNode, Records);
  SetEnv("HALVERN_DEVICE_FAULTS", GetParam().Faults);
  FNode->Close();
  ASSERT_EQ(FEvents.Log.size(), 1u);
  EXPECT_EQ(FEvents.Log[0].first, 35);
  EXPECT_EQ(FEvents.Log[0].second, GetParam().Message);
  // The image stays with the port; nothing is retried.
  EXPECT_TRUE(Port().Image());
}

INSTANTIATE_TEST_SUITE_P(Device, ExportFaults,
                         ::testing::Values(TFault{"init", platform::SystemErrorText(1167)},
                                           TFault{"open=5", "Cannot create file \"\\Temp\\out.txt\". " +
                                                                platform::SystemErrorText(5)},
                                           TFault{"write-after=0", "Stream write error"},
                                           TFault{"write-after=70000", "Stream write error"},
                                           TFault{"short-write", "Stream write error"}));

TEST_F(ExportPort, AMissingFolderIsReportedByTheCreateError) {
  Export({{"a", "b", "c"}});
  ASSERT_EQ(FEvents.Log.size(), 1u);
  EXPECT_EQ(FEvents.Log[0].second, "Cannot create file \"\\Temp\\out.txt\". " + platform::SystemErrorText(3));
  EXPECT_FALSE(DeviceFileExists());
}

TEST_F(ExportPort, NoDeviceLibraryGivesTheConnectionMessage) {
  SetEnv("HALVERN_RAPI_LIBRARY", (FRoot.Path() / "missing-library").string());
  ASSERT_FALSE(ReloadRapiForTests());
  Export({{"a", "b", "c"}});
  ASSERT_EQ(FEvents.Log.size(), 1u);
  EXPECT_EQ(FEvents.Log[0].first, 35);
  EXPECT_EQ(FEvents.Log[0].second, SNoDeviceConnection);
  SetEnv("HALVERN_RAPI_LIBRARY", EmulatorPath());
  ASSERT_TRUE(ReloadRapiForTests());
}

// What the import port reads from the file the export port wrote.
TRecords ReadBack(const std::string& FileName, const std::vector<std::string>& Columns, bool HasTitle) {
  auto Import = CreateImportPort();
  auto& Port = *dynamic_cast<TCeTransPort*>(Import.Get());
  Port.FFileName = FileName;
  Port.FColumns = Columns;
  Port.FHasTitle = HasTitle;
  return ReadAll(Import);
}

TEST_F(ExportPort, ExportedValuesReadBackUnchanged) {
  std::filesystem::create_directories(Host("Temp"));
  const TRecords Records{{"a|b", "\"", "\"\""},          {"q \"x\" y", " lead", "trail "},
                         {"\r\n", "line\r\nbreak", "|"}, {"", "", ""},
                         {"\xB1\xE0\xBA\xC5", "", "x"},  {"\"a\"", "a\"", "\"a"}};
  Port().FHasTitle = true;
  Export(Records);
  EXPECT_EQ(ReadBack("\\Temp\\out.txt", Port().FColumns, true), Records);
}

TEST_F(ExportPort, LoneCarriageReturnsAndLineFeedsReadBackUnchanged) {
  std::filesystem::create_directories(Host("Temp"));
  const TRecords Records{
      {"a\r", "\rb", "c\r"}, {"\n", "a\nb", "\r"}, {"x\n", "\n\r", "\r\r"}, {"\r", "\n", "end\r"}};
  Export(Records);
  EXPECT_EQ(ReadBack("\\Temp\\out.txt", Port().FColumns, false), Records);
}

TEST_F(ExportPort, OneEmptyValueIsWrittenAsAnEmptyQuotedValue) {
  // An empty line would be lost: as the first line it is not written at all, as the last one it reads
  // as the end of the file.
  std::filesystem::create_directories(Host("Temp"));
  Port().FColumns = {"only"};
  Export({{""}, {"a"}, {""}});
  EXPECT_EQ(DeviceFile(), "\"\"\r\na\r\n\"\"");
  EXPECT_EQ(ReadBack("\\Temp\\out.txt", {"only"}, false), (TRecords{{""}, {"a"}, {""}}));
  // Likewise a title line of one empty title, which the import port must be able to pass over.
  FNode = CreateExportPort();
  Port().FFileName = "\\Temp\\out.txt";
  Port().FColumns = {""};
  Port().FHasTitle = true;
  Export({{"v"}});
  EXPECT_EQ(DeviceFile(), "\"\"\r\nv");
  EXPECT_EQ(ReadBack("\\Temp\\out.txt", {""}, true), (TRecords{{"v"}}));
}

TEST_F(ExportPort, ValuesEndingInALoneLineBreakByteAreQuoted) {
  std::filesystem::create_directories(Host("Temp"));
  Export({{"a\r", "b\n", "c\rd"}});
  EXPECT_EQ(DeviceFile(), "\"a\r\"|\"b\n\"|c\rd");
}

TEST_F(ExportPort, FastColumnAccessStoresWhatTheColumnsStore) {
  std::filesystem::create_directories(Host("Temp"));
  auto Writer = As<IDataWriter>(FNode);
  auto Fast = As<IBorrowedFieldAccess>(FNode);
  ASSERT_TRUE(Fast);
  auto Held = Field(Writer.Get(), 0).Query<IFieldWriter>();
  Writer->Append();
  EXPECT_TRUE(Fast->WriteFieldText(2, "c|d", 3));
  EXPECT_EQ(Held->GetIndex(), 2) << "a held column follows the latest request";
  EXPECT_TRUE(Fast->WriteFieldText(0, "a\0b", 3)) << "the length counts, not a terminator";
  EXPECT_TRUE(Fast->WriteFieldText(1, nullptr, 0));
  EXPECT_FALSE(Fast->WriteFieldText(1, nullptr, 2));
  EXPECT_FALSE(Fast->WriteFieldText(3, "x", 1));
  EXPECT_FALSE(Fast->WriteFieldText(-1, "x", 1));
  Writer->Post();
  Writer->Append();
  EXPECT_TRUE(Fast->WriteFieldText(0, "", 0));
  Writer->Post();
  std::string_view Text;
  EXPECT_FALSE(Fast->ReadFieldText(0, &Text)) << "an export port reads nothing";
  FNode->Close();
  EXPECT_EQ(DeviceFile(), std::string("a\0b||\"c|d\"\r\n||", 14));
}

TEST_F(ExportPort, RandomRecordsReadBackUnchanged) {
  std::filesystem::create_directories(Host("Temp"));
  std::mt19937 Rng(1729);
  const std::string Alphabet[] = {"a",    "7",  " ",  "|",        "\"",       "\"\"",
                                  "\r\n", "\r", "\n", "\t",       ",",        ";",
                                  "=",    "{",  "}",  "\xB1\xE0", "\xC1\xD0", "\xB1\xB8\xD7\xA2"};
  for (int Trial = 0; Trial < 40; ++Trial) {
    const size_t Columns = 1 + Rng() % 4;
    TRecords Records(Rng() % 60);
    for (auto& R : Records) {
      R.resize(Columns);
      for (auto& V : R)
        for (unsigned N = Rng() % 8; N > 0; --N) V += Alphabet[Rng() % std::size(Alphabet)];
    }
    const bool HasTitle = Rng() % 2 == 0;
    // Without any Append the port leaves the device alone: start each trial without a file.
    std::filesystem::remove(Host("Temp/out.txt"));
    FNode = CreateExportPort();
    Port().FFileName = "\\Temp\\out.txt";
    Port().FHasTitle = HasTitle;
    Port().FColumns.assign(Columns, "t");
    Export(Records);
    ASSERT_EQ(ReadBack("\\Temp\\out.txt", Port().FColumns, HasTitle), Records) << "trial " << Trial;
  }
}

}  // namespace
}  // namespace halvern::test
