// The import port as a host drives it through the exports, over the device emulator.
#include <cstring>

#include "PortTestSupport.h"

namespace halvern::test {
namespace {

using TRecords = std::vector<std::vector<std::string>>;

TEST_F(PortHostTest, ImportWalksEveryRecord) {
  WriteDeviceFile("Temp/in.txt", "A1|1|\xB1\xB8\xD7\xA2\r\nA2|0|\r\nA3");
  TPortHandle Port(E, 1);
  ASSERT_EQ(Port.Result(), ENGINE_OK);
  EXPECT_EQ(Port.SetOptions(HV_OPTION_FILE_NAME "=\\Temp\\in.txt"), 0);
  EXPECT_EQ(Port.ReadAll(), (TRecords{{"A1", "1", "\xB1\xB8\xD7\xA2"}, {"A2", "0", ""}, {"A3", "", ""}}));
  EXPECT_EQ(E->DataCount(Port.H()), -1);
  EXPECT_TRUE(Port.Log.empty());
  EXPECT_EQ(TPortDevice::Get().Counters().ConnectionsOpened, 1u);
}

TEST_F(PortHostTest, ImportSkipsTheTitleLine) {
  WriteDeviceFile("Temp/in.txt", "a|b|c\r\nd|e|\r\nf");
  TPortHandle Port(E, 1);
  Port.SetOptions(HV_OPTION_FILE_NAME "=\\Temp\\in.txt;\r\n" HV_OPTION_HAS_TITLE "=1");
  EXPECT_EQ(Port.ReadAll(), (TRecords{{"d", "e", ""}, {"f", "", ""}}));
}

TEST_F(PortHostTest, ImportColumnsAnswerTheFieldExports) {
  WriteDeviceFile("Temp/in.txt", "  |x|\xB1\xE0\xBA\xC5");
  TPortHandle Port(E, 1);
  Port.SetOptions(HV_OPTION_FILE_NAME "=\\Temp\\in.txt");
  EXPECT_EQ(E->FieldGetCount(Port.H()), 3);
  EXPECT_EQ(E->FieldGetType(Port.H(), 0), HV_FT_STRING);
  EXPECT_EQ(E->FieldGetType(Port.H(), 3), 0);
  EXPECT_EQ(E->FieldFindbyName(Port.H(), "\xB1\xB8\xD7\xA2"), 2);  // 备注
  EXPECT_EQ(E->FieldFindbyName(Port.H(), "nothing"), -1);
  char Name[16];
  std::memset(Name, 'X', sizeof Name);
  int32_t Size = sizeof Name;
  EXPECT_EQ(E->FieldGetName(Port.H(), 0, Name, &Size), -1);
  EXPECT_EQ(std::string(Name, 4), "\xB1\xE0\xBA\xC5");  // 编号
  EXPECT_EQ(Size, 4);
  EXPECT_EQ(Name[4], 'X');

  E->MoveFirst(Port.H());
  ASSERT_EQ(E->IsEof(Port.H()), 0);
  // A value of blanks only is empty, but reads with its blanks.
  EXPECT_EQ(E->FieldIsEmpty(Port.H(), 0), -1);
  EXPECT_EQ(E->FieldIsEmpty(Port.H(), 1), 0);
  auto Read = reinterpret_cast<HV_READ_TEXT_PROC>(E->FieldGetProc(1, HV_FT_STRING));
  char Buf[8];
  std::memset(Buf, 'X', sizeof Buf);
  Size = sizeof Buf;
  EXPECT_EQ(Read(Port.H(), 0, Buf, &Size), -1);
  EXPECT_EQ(Size, 2);
  EXPECT_EQ(std::string(Buf, 3), "  X");
  // Every column is text: read wide, its GBK value arrives as UTF-16, under the text-out rule.
  auto ReadWide = reinterpret_cast<HV_READ_WIDETEXT_PROC>(E->FieldGetProc(1, HV_FT_WIDESTRING));
  uint16_t Wide[4] = {7, 7, 7, 7};
  Size = 0;
  EXPECT_EQ(ReadWide(Port.H(), 2, nullptr, &Size), 0);
  EXPECT_EQ(Size, 4);
  Size = sizeof Wide;
  EXPECT_EQ(ReadWide(Port.H(), 2, Wide, &Size), -1);
  EXPECT_EQ(Size, 4);
  EXPECT_EQ(Wide[0], 0x7F16);  // 编号
  EXPECT_EQ(Wide[1], 0x53F7);
  EXPECT_EQ(Wide[2], 7);
  // A text column offers no float text.
  Size = 5;
  EXPECT_EQ(reinterpret_cast<HV_READ_TEXT_PROC>(E->FieldGetProc(1, HV_FT_EXTENDED))(Port.H(), 1, Buf, &Size),
            -1);
  EXPECT_EQ(Size, 0);
}

TEST_F(PortHostTest, ImportReadsTheDeviceOncePerLoad) {
  WriteDeviceFile("Temp/in.txt", "a\r\nb");
  TPortHandle Port(E, 1);
  Port.SetOptions(HV_OPTION_FILE_NAME "=\\Temp\\in.txt");
  EXPECT_EQ(Port.ReadAll().size(), 2u);
  EXPECT_EQ(Port.ReadAll().size(), 2u);
  EXPECT_EQ(TPortDevice::Get().Counters().ConnectionsOpened, 1u);
}

TEST_F(PortHostTest, ImportOfAMissingFileReportsAndEnds) {
  TPortHandle Port(E, 1);
  Port.SetOptions(HV_OPTION_FILE_NAME "=\\Temp\\none.txt");
  E->MoveFirst(Port.H());
  EXPECT_EQ(E->IsEof(Port.H()), 1);
  ASSERT_EQ(Port.Log.size(), 1u);
  EXPECT_EQ(Port.Log[0].first, 35);
  EXPECT_EQ(Port.Log[0].second.rfind("Cannot open file \"\\Temp\\none.txt\". ", 0), 0u) << Port.Log[0].second;
}

TEST_F(PortHostTest, RecordExportsOfTheWrongDirectionDoNothing) {
  TPortHandle Import(E, 1);
  TPortHandle Export(E, 2);
  E->Append(Import.H());
  E->Post(Import.H());
  E->MoveFirst(Export.H());
  EXPECT_EQ(E->IsEof(Export.H()), -1);
  EXPECT_EQ(E->DataCount(Export.H()), -1);
  EXPECT_EQ(E->FieldIsEmpty(Export.H(), 0), -1);
  EXPECT_EQ(E->FieldSetCount(Import.H(), 3), ENGINE_ERR_HANDLE);
  EXPECT_EQ(E->FieldSetCount(Export.H(), 3), ENGINE_OK);
  EXPECT_EQ(TPortDevice::Get().Counters().InitCalls, 0u);
}

}  // namespace
}  // namespace halvern::test
