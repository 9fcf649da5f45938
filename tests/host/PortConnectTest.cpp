// Connecting as a host sees it: with no device an import and an export each end within the time-out
// and one second, with one device-not-connected event; a device docked within the time-out serves the
// transfer; a device library without the optional entry points works as it always has. (Every test's
// end checks one CeRapiUninit per connection asked for.)
#include <chrono>

#include "PortTestSupport.h"
#include "platform/SysError.h"

namespace halvern::test {
namespace {

using Clock = std::chrono::steady_clock;
using TRecords = std::vector<std::vector<std::string>>;

// The device's folder, named but missing, for the length of a test.
class TNoDevice {
 public:
  TNoDevice() { SetEnv("HALVERN_DEVICE_ROOT", (TPortDevice::Get().Root() / "not-docked").string()); }
  ~TNoDevice() { SetEnv("HALVERN_DEVICE_ROOT", TPortDevice::Get().Root().string()); }
};

TEST_F(PortHostTest, WithNoDeviceEachTransferEndsAtTheTimeOut) {
  const TNoDevice NoDevice;
  SetEnv("HALVERN_CONNECT_TIMEOUT", "1");
  const TLog NotConnected{{35, platform::SystemErrorText(1167)}};
  auto Start = Clock::now();
  {
    TPortHandle Import(E, 1);
    Import.SetOptions(HV_OPTION_FILE_NAME "=\\Temp\\in.txt");
    E->MoveFirst(Import.H());
    EXPECT_EQ(E->IsEof(Import.H()), 1);
    EXPECT_EQ(Import.Log, NotConnected);
  }
  EXPECT_LT(Clock::now() - Start, std::chrono::seconds(2));
  Start = Clock::now();
  {
    TPortHandle Export(E, 2);
    Export.SetOptions(HV_OPTION_FILE_NAME "=\\Temp\\out.txt");
    Export.WriteAll({{"A1", "chair", "3"}});
    Export.Fina();
    EXPECT_EQ(Export.Log, NotConnected);
  }
  EXPECT_LT(Clock::now() - Start, std::chrono::seconds(2));
  const RapiEmuCounters C = TPortDevice::Get().Counters();
  EXPECT_EQ(C.ConnectionsAsked, 2u);
  EXPECT_EQ(C.ConnectionsOpened, 0u);
  EXPECT_EQ(C.CreateFileCalls, 0u);
}

TEST_F(PortHostTest, ADeviceDockedWithinTheTimeOutServesTheTransfer) {
  WriteDeviceFile("Temp/in.txt", "A1|1|x");
  SetEnv("HALVERN_CONNECT_TIMEOUT", "20");
  SetEnv("HALVERN_DEVICE_FAULTS", "dock-after=300");
  TPortHandle Import(E, 1);
  Import.SetOptions(HV_OPTION_FILE_NAME "=\\Temp\\in.txt");
  EXPECT_EQ(Import.ReadAll(), (TRecords{{"A1", "1", "x"}}));
  EXPECT_TRUE(Import.Log.empty());
  EXPECT_EQ(TPortDevice::Get().Counters().ConnectionsOpened, 1u);
}

// The engine copy binds the basic emulator: CeRapiInit, the file created in place, the texts as ever.
TEST(PortBasicLibrary, TransfersAsWithoutTheOptionalCalls) {
  if (BasicEmulatorPath().empty()) GTEST_SKIP() << "HALVERN_EMULATOR_BASIC_PATH is not set";
  const TEngineCopy Copy("engine-basic");
  if (Copy.Exports() == nullptr) GTEST_SKIP() << Copy.Why();
  const TExports* Copied = Copy.Exports();
  platform::TDynLib Basic;
  ASSERT_TRUE(Basic.Load(BasicEmulatorPath()));
  const auto Get = reinterpret_cast<TRapiEmuGetCounters*>(Basic.Resolve("RapiEmuGetCounters"));
  ASSERT_NE(Get, nullptr);
  const char* Bound = std::getenv("HALVERN_RAPI_LIBRARY");
  const std::string Saved = Bound != nullptr ? Bound : "";
  SetEnv("HALVERN_RAPI_LIBRARY", BasicEmulatorPath());
  WriteDeviceFile("Temp/basic.txt", "old");
  RapiEmuCounters Before{}, After{};
  Get(&Before);
  {
    TPortHandle Export(Copied, 2);
    Export.SetOptions(HV_OPTION_FILE_NAME "=\\Temp\\basic.txt");
    Export.WriteAll({{"A1", "chair", "3"}});
    Export.Fina();
    EXPECT_TRUE(Export.Log.empty());
    EXPECT_EQ(ReadDeviceFile("Temp/basic.txt"), "A1|chair|3");
    TPortHandle Import(Copied, 1);
    Import.SetOptions(HV_OPTION_FILE_NAME "=\\Temp\\basic.txt");
    EXPECT_EQ(Import.ReadAll(), (TRecords{{"A1", "chair", "3"}}));
    SetEnv("HALVERN_DEVICE_FAULTS", "init");
    TPortHandle Failed(Copied, 1);
    Failed.SetOptions(HV_OPTION_FILE_NAME "=\\Temp\\basic.txt");
    Copied->MoveFirst(Failed.H());
    SetEnv("HALVERN_DEVICE_FAULTS", "");
    EXPECT_EQ(Failed.Log, (TLog{{35, platform::SystemErrorText(1167)}}));
  }
  Get(&After);
  EXPECT_EQ(After.InitCalls - Before.InitCalls, 3u);
  EXPECT_EQ(After.UninitCalls - Before.UninitCalls, 2u) << "none after the failed CeRapiInit";
  EXPECT_EQ(After.FilesOpened - Before.FilesOpened, 2u) << "the export's file created in place";
  SetEnv("HALVERN_RAPI_LIBRARY", Saved);
}

}  // namespace
}  // namespace halvern::test
