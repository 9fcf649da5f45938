// The export port as a host drives it through the exports, and the round trip of values through an
// export and an import.
#include <random>

#include "PortTestSupport.h"

namespace halvern::test {
namespace {

using TRecords = std::vector<std::vector<std::string>>;

const std::string Titles =
    "\xB1\xE0\xBA\xC5|\xD7\xCA\xB2\xFA\xC3\xFB\xB3\xC6|\xD5\xCB\xC3\xE6\xCA\xFD\xC1\xBF";

TEST_F(PortHostTest, ExportWritesTheFileAtFina) {
  WriteDeviceFile("Temp/out.txt", "old");
  TPortHandle Port(E, 2);
  ASSERT_EQ(Port.Result(), ENGINE_OK);
  Port.SetOptions(HV_OPTION_FILE_NAME "=\\Temp\\out.txt;\r\n" HV_OPTION_HAS_TITLE "=1");
  Port.WriteAll({{"A1", "chair", "3"}, {"A 2", "a|b", ""}});
  EXPECT_EQ(ReadDeviceFile("Temp/out.txt"), "old");
  Port.Fina();
  EXPECT_EQ(ReadDeviceFile("Temp/out.txt"), Titles + "\r\nA1|chair|3\r\n\"A 2\"|\"a|b\"|");
  EXPECT_TRUE(Port.Log.empty());
  EXPECT_EQ(TPortDevice::Get().Counters().ConnectionsOpened, 1u);
}

TEST_F(PortHostTest, ExportWithoutRecordsLeavesTheFileAlone) {
  WriteDeviceFile("Temp/out.txt", "old");
  TPortHandle Port(E, 2);
  Port.SetOptions(HV_OPTION_FILE_NAME "=\\Temp\\out.txt");
  Port.Fina();
  EXPECT_EQ(ReadDeviceFile("Temp/out.txt"), "old");
  EXPECT_EQ(TPortDevice::Get().Counters().InitCalls, 0u);
}

TEST_F(PortHostTest, TypedWriteProceduresStoreNothingInTextColumns) {
  TPortHandle Port(E, 2);
  Port.SetOptions(HV_OPTION_FILE_NAME "=\\Temp\\typed.txt;\r\n" HV_OPTION_COLUMNS "=a,b,c,d");
  E->Append(Port.H());
  reinterpret_cast<HV_WRITE_INTEGER_PROC>(E->FieldGetProc(2, HV_FT_INTEGER))(Port.H(), 0, 42);
  reinterpret_cast<HV_WRITE_DOUBLE_PROC>(E->FieldGetProc(2, HV_FT_DOUBLE))(Port.H(), 1, 2.5);
  // The converting procedure serves every type: a text column takes the text as it is.
  const char Text[] = "1,234";
  int32_t Length = 5;
  EXPECT_EQ(reinterpret_cast<HV_WRITE_VALUE_TEXT_PROC>(E->FieldGetProc(2, HV_FT_EXTENDED))(Port.H(), 2, Text,
                                                                                           &Length),
            -1);
  E->Post(Port.H());
  std::filesystem::create_directories(TPortDevice::Get().Root() / "Temp");
  Port.Fina();
  EXPECT_EQ(ReadDeviceFile("Temp/typed.txt"), "||1,234|");
}

TEST_F(PortHostTest, WideValuesAreStoredAsGbk) {
  TPortHandle Port(E, 2);
  Port.SetOptions(HV_OPTION_FILE_NAME "=\\Temp\\wide.txt;\r\n" HV_OPTION_COLUMNS "=a,b");
  auto WriteWide = reinterpret_cast<HV_WRITE_WIDETEXT_PROC>(E->FieldGetProc(2, HV_FT_WIDESTRING));
  E->Append(Port.H());
  const uint16_t Normal[] = {0x6B63, 0x5E38};  // 正常
  int32_t Size = sizeof Normal;
  EXPECT_EQ(WriteWide(Port.H(), 0, Normal, &Size), -1);
  // GBK has no Thai: the system's replacement takes its place rather than the value being dropped.
  const uint16_t Thai[] = {u'o', u'k', 0x0E01};
  Size = sizeof Thai;
  EXPECT_EQ(WriteWide(Port.H(), 1, Thai, &Size), -1);
  E->Post(Port.H());
  std::filesystem::create_directories(TPortDevice::Get().Root() / "Temp");
  Port.Fina();
  EXPECT_EQ(ReadDeviceFile("Temp/wide.txt"), "\xD5\xFD\xB3\xA3|ok?");
}

TRecords ImportBack(const TExports* E, const std::string& Options) {
  TPortHandle Import(E, 1);
  Import.SetOptions(Options);
  return Import.ReadAll();
}

TEST_F(PortHostTest, ExportedValuesImportUnchanged) {
  const std::string Options = HV_OPTION_FILE_NAME "=\\Temp\\round.txt;\r\n" HV_OPTION_HAS_TITLE "=1";
  const TRecords Records{{"|", "\"", "\"q\" \"r\""},
                         {"\r\n", "\r", "\n"},
                         {"", "", ""},
                         {" ", "  a  ", "\t"},
                         {"\xB1\xE0\xBA\xC5", "=;{}", "x\r"}};
  {
    TPortHandle Export(E, 2);
    Export.SetOptions(Options);
    std::filesystem::create_directories(TPortDevice::Get().Root() / "Temp");
    Export.WriteAll(Records);
  }
  EXPECT_EQ(ImportBack(E, Options), Records);
}

TEST_F(PortHostTest, RandomRecordsSurviveExportAndImport) {
  std::mt19937 Rng(20240305);
  const std::string Alphabet[] = {"a",  "9",    " ",  "|", "\"",       "\r",
                                  "\n", "\r\n", "\t", ",", "\xB1\xE0", "\xC5\xCC"};
  std::filesystem::create_directories(TPortDevice::Get().Root() / "Temp");
  for (int Trial = 0; Trial < 25; ++Trial) {
    const int Columns = 1 + static_cast<int>(Rng() % 4);
    std::string ColumnList;
    for (int C = 0; C < Columns; ++C) ColumnList += (C ? ",c" : "c") + std::to_string(C);
    const std::string Options = HV_OPTION_FILE_NAME "=\\Temp\\random.txt;\r\n" HV_OPTION_COLUMNS "=" +
                                ColumnList + ";\r\n" HV_OPTION_HAS_TITLE "=" + std::to_string(Rng() % 2);
    TRecords Records(1 + Rng() % 40, std::vector<std::string>(static_cast<size_t>(Columns)));
    for (auto& R : Records)
      for (auto& V : R)
        for (unsigned N = Rng() % 7; N > 0; --N) V += Alphabet[Rng() % std::size(Alphabet)];
    {
      TPortHandle Export(E, 2);
      Export.SetOptions(Options);
      Export.WriteAll(Records);
    }
    ASSERT_EQ(ImportBack(E, Options), Records) << "trial " << Trial;
  }
}

}  // namespace
}  // namespace halvern::test
