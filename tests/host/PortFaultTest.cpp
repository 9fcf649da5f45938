// Device failures as the host sees them: one log event with code 35 per failed operation, the operation
// returning normally, no records after a failed load, every connection and file handle closed.
#include "PortTestSupport.h"
#include "platform/SysError.h"

namespace halvern::test {
namespace {

// 无法连接设备,请检查驱动程序是否安装正确
const std::string NoConnection =
    "\xCE\xDE\xB7\xA8\xC1\xAC\xBD\xD3\xC9\xE8\xB1\xB8,"
    "\xC7\xEB\xBC\xEC\xB2\xE9\xC7\xFD\xB6\xAF\xB3\xCC\xD0\xF2"
    "\xCA\xC7\xB7\xF1\xB0\xB2\xD7\xB0\xD5\xFD\xC8\xB7";

struct TFault {
  int32_t Kind;  // 1 import, 2 export
  const char* Faults;
  std::string Message;
};

class PortFaults : public PortHostTest, public ::testing::WithParamInterface<TFault> {};

TEST_P(PortFaults, OneReportPerFailedOperation) {
  const TFault& F = GetParam();
  WriteDeviceFile("Temp/fault.txt", std::string(100000, 'x') + "\r\ny");
  TPortHandle Port(E, F.Kind);
  Port.SetOptions(HV_OPTION_FILE_NAME "=\\Temp\\fault.txt");
  if (F.Kind == 2)
    Port.WriteAll(std::vector<std::vector<std::string>>(5000, {"0123456789", "abcdefghij", "x"}));
  SetEnv("HALVERN_DEVICE_FAULTS", F.Faults);
  if (F.Kind == 1) {
    E->MoveFirst(Port.H());
    EXPECT_EQ(E->IsEof(Port.H()), 1);
    E->MoveNext(Port.H());
    EXPECT_EQ(E->IsEof(Port.H()), 1);
  } else {
    Port.Fina();
  }
  ASSERT_EQ(Port.Log.size(), 1u);
  EXPECT_EQ(Port.Log[0].first, 35);
  EXPECT_EQ(Port.Log[0].second, F.Message);
}

const std::string OpenError = "Cannot open file \"\\Temp\\fault.txt\". ";
const std::string CreateError = "Cannot create file \"\\Temp\\fault.txt\". ";

INSTANTIATE_TEST_SUITE_P(Device, PortFaults,
                         ::testing::Values(TFault{1, "init", platform::SystemErrorText(1167)},
                                           TFault{1, "open=32", OpenError + platform::SystemErrorText(32)},
                                           TFault{1, "read-after=0", "Stream read error"},
                                           TFault{1, "read-after=65536:21", "Stream read error"},
                                           TFault{2, "init", platform::SystemErrorText(1167)},
                                           TFault{2, "open=5", CreateError + platform::SystemErrorText(5)},
                                           TFault{2, "write-after=0", "Stream write error"},
                                           TFault{2, "write-after=65536", "Stream write error"},
                                           TFault{2, "short-write", "Stream write error"}));

TEST_F(PortHostTest, AFailedLoadIsRetriedByTheNextMoveFirst) {
  TPortHandle Port(E, 1);
  Port.SetOptions(HV_OPTION_FILE_NAME "=\\Temp\\later.txt");
  E->MoveFirst(Port.H());
  EXPECT_EQ(E->IsEof(Port.H()), 1);
  WriteDeviceFile("Temp/later.txt", "a");
  EXPECT_EQ(Port.ReadAll().size(), 1u);
  EXPECT_EQ(Port.Log.size(), 1u);
}

// A failed export keeps the previous list as it was: a write cut short (the cable pulled after 30,720
// bytes), even when the unfinished file cannot be removed (the event names it), and the one moment left,
// a rename refused after the delete, which leaves the new list whole under the name the event gives.
TEST_F(PortHostTest, AFailedExportKeepsThePreviousList) {
  const std::string Previous = "B1|chair|2";
  const auto Export = [&](const char* Faults) {
    WriteDeviceFile("Temp/keep.txt", Previous);
    TPortHandle Port(E, 2);
    Port.SetOptions(HV_OPTION_FILE_NAME "=\\Temp\\keep.txt");
    Port.WriteAll(std::vector<std::vector<std::string>>(5000, {"0123456789", "abcdefghij", "x"}));
    SetEnv("HALVERN_DEVICE_FAULTS", Faults);
    Port.Fina();
    SetEnv("HALVERN_DEVICE_FAULTS", "");
    return Port.Log;
  };
  EXPECT_EQ(Export("write-after=30720"), (TLog{{35, "Stream write error"}}));
  EXPECT_EQ(ReadDeviceFile("Temp/keep.txt"), Previous);
  EXPECT_FALSE(DeviceFileExists("Temp/keep.txt.tmp"));

  const std::string Temporary = "\"\\Temp\\keep.txt.tmp\"";
  EXPECT_EQ(Export("write-after=30720,delete"),
            (TLog{{35, "Stream write error The unfinished file " + Temporary + " is left on the device."}}));
  EXPECT_EQ(ReadDeviceFile("Temp/keep.txt"), Previous);
  EXPECT_EQ(ReadDeviceFile("Temp/keep.txt.tmp").size(), 30720u);

  EXPECT_EQ(Export("move=21"),
            (TLog{{35, "Cannot rename file " + Temporary + " to \"\\Temp\\keep.txt\". " +
                           platform::SystemErrorText(21) + " The complete new file is on the device as " +
                           Temporary + "; the previous one was deleted."}}));
  EXPECT_FALSE(DeviceFileExists("Temp/keep.txt"));
  EXPECT_EQ(ReadDeviceFile("Temp/keep.txt.tmp").size(), 5000u * 25 - 2);
  std::filesystem::remove(TPortDevice::Get().Root() / "Temp/keep.txt.tmp");
}

// A second instance of the engine library binds the device afresh: with no device library at all here.
TEST(PortNoDevice, EveryTransferReportsTheConnectionMessage) {
  const TEngineCopy Copy("engine-copy");
  if (Copy.Exports() == nullptr) GTEST_SKIP() << Copy.Why();
  const TExports& Copied = *Copy.Exports();
  const char* Bound = std::getenv("HALVERN_RAPI_LIBRARY");
  const std::string Saved = Bound != nullptr ? Bound : "";
  SetEnv("HALVERN_RAPI_LIBRARY", (TPortDevice::Get().Root() / "no-such-library").string());
  {
    TPortHandle Import(&Copied, 1);
    ASSERT_EQ(Import.Result(), ENGINE_OK);
    Import.SetOptions(HV_OPTION_FILE_NAME "=\\Temp\\x.txt");
    Copied.MoveFirst(Import.H());
    EXPECT_EQ(Copied.IsEof(Import.H()), 1);
    Copied.MoveFirst(Import.H());
    TPortHandle Export(&Copied, 2);
    Export.SetOptions(HV_OPTION_FILE_NAME "=\\Temp\\x.txt");
    Export.WriteAll({{"a", "b", "c"}});
    Export.Fina();
    EXPECT_EQ(Import.Log, (TLog{{35, NoConnection}, {35, NoConnection}}));
    EXPECT_EQ(Export.Log, (TLog{{35, NoConnection}}));
  }
  SetEnv("HALVERN_RAPI_LIBRARY", Saved);
}

}  // namespace
}  // namespace halvern::test
