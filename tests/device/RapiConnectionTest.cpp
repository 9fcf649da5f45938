// Connecting with a deadline and writing a file whole, as the ports do it: the time-out and its setting,
// a request the library refuses or never answers, the library without the optional entry points, and
// the temporary name a file is written under.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "device/DeviceFileReplace.h"
#include "device/KtRAPI.h"
#include "device/RapiConnection.h"
#include "platform/ConnectTimeout.h"
#include "rtl/Stream.h"
#include "tests/device/DeviceTestSupport.h"

namespace halvern {
namespace {

using namespace rapi;
using Clock = std::chrono::steady_clock;

TEST(ConnectTimeout, IsWholeSecondsWithADefaultForAnythingElse) {
  for (const auto& [Text, Seconds] : std::initializer_list<std::pair<const char*, uint32_t>>{{"", 10},
                                                                                             {"3", 3},
                                                                                             {" 0 ", 0},
                                                                                             {"3600", 3600},
                                                                                             {"3601", 10},
                                                                                             {"2.5", 10},
                                                                                             {"-1", 10},
                                                                                             {"ten", 10}}) {
    test::SetEnv("HALVERN_CONNECT_TIMEOUT", Text);
    EXPECT_EQ(platform::ConnectTimeoutSeconds(), Seconds) << '"' << Text << '"';
  }
  test::SetEnv("HALVERN_CONNECT_TIMEOUT", "");
}

using RapiConnection = test::TEmulatorTest;

TEST_F(RapiConnection, NoDeviceEndsAtTheTimeOutWithTheRequestEnded) {
  test::SetEnv("HALVERN_DEVICE_ROOT", "");
  const auto Start = Clock::now();
  {
    TRapiConnection Connection(300);
    // Less a little for a system clock coarser than the one measuring.
    EXPECT_GE(Clock::now() - Start, std::chrono::milliseconds(280));
    EXPECT_FALSE(Connection.Connected());
    EXPECT_EQ(Connection.FailureCode(), ErrorDeviceNotConnected);
  }
  // A device that comes after the wait gave up answers a request that is still there until it is ended.
  test::SetEnv("HALVERN_DEVICE_ROOT", (FRoot.Path() / "late").string());
  {
    TRapiConnection Connection(0);
    EXPECT_FALSE(Connection.Connected());
    std::filesystem::create_directories(FRoot.Path() / "late");
    for (int I = 0; I < 1000 && Counters().ConnectionsOpened == 0; ++I)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(Counters().ConnectionsOpened, 1u);
    EXPECT_FALSE(Connection.Connected());
  }
  EXPECT_EQ(Counters().ConnectionsClosed, 1u);
  // A failed connection hands back the device's code; a refused request leaves nothing to end.
  test::SetEnv("HALVERN_DEVICE_ROOT", FRoot.Path().string());
  test::SetEnv("HALVERN_DEVICE_FAULTS", "init=21");
  EXPECT_EQ(TRapiConnection(10000).FailureCode(), ErrorNotReady);
  test::SetEnv("HALVERN_DEVICE_FAULTS", "fail-call=1:5");
  EXPECT_EQ(TRapiConnection(10000).FailureCode(), ErrorAccessDenied);
  test::SetEnv("HALVERN_DEVICE_FAULTS", "");
  {
    TRapiConnection Connection(10000);
    EXPECT_TRUE(Connection.Connected());
    Connection.End();
    EXPECT_FALSE(Connection.Connected());
  }
  const RapiEmuCounters C = Counters();
  EXPECT_EQ(C.InitExCalls, 5u);
  EXPECT_EQ(C.InitCalls, 0u);
  EXPECT_EQ(C.ConnectionsAsked, 4u);
  EXPECT_EQ(C.ConnectionsEnded, 4u);
  EXPECT_EQ(C.UninitCalls, 4u);
}

TEST_F(RapiConnection, ALibraryWithoutTheOptionalCallsIsUsedAsBefore) {
  if (test::BasicEmulatorPath().empty()) GTEST_SKIP() << "HALVERN_EMULATOR_BASIC_PATH is not set";
  test::SetEnv("HALVERN_RAPI_LIBRARY", test::BasicEmulatorPath());
  ASSERT_TRUE(ReloadRapiForTests());
  EXPECT_FALSE(RapiHasInitEx());
  EXPECT_FALSE(RapiCanReplaceFiles());
  platform::TDynLib Basic;
  ASSERT_TRUE(Basic.Load(test::BasicEmulatorPath()));
  const auto Get = reinterpret_cast<TRapiEmuGetCounters*>(Basic.Resolve("RapiEmuGetCounters"));
  ASSERT_NE(Get, nullptr);
  RapiEmuCounters Before{}, After{};
  Get(&Before);
  test::SetEnv("HALVERN_DEVICE_FAULTS", "init");
  EXPECT_EQ(TRapiConnection(10000).FailureCode(), ErrorDeviceNotConnected);
  test::SetEnv("HALVERN_DEVICE_FAULTS", "");
  EXPECT_TRUE(TRapiConnection(10000).Connected());
  // The file is created in place.
  test::WriteHostFile(Host("Temp/t.txt"), "old");
  {
    TRapiConnection Connection(10000);
    TMemoryStream Image;
    Image.WriteBuffer("new", 3);
    WriteDeviceFileWhole("\\Temp\\t.txt", Image);
  }
  Get(&After);
  EXPECT_EQ(test::ReadHostFile(Host("Temp/t.txt")), "new");
  EXPECT_EQ(After.InitCalls - Before.InitCalls, 3u);
  EXPECT_EQ(After.UninitCalls - Before.UninitCalls, 2u) << "none after the failed CeRapiInit";
  EXPECT_EQ(After.FilesOpened - Before.FilesOpened, 1u);
  test::SetEnv("HALVERN_RAPI_LIBRARY", test::EmulatorPath());
  ASSERT_TRUE(ReloadRapiForTests());
}

TEST(TemporaryDeviceName, StaysBesideTheFileAndWithinThePathLength) {
  EXPECT_EQ(TemporaryDeviceName("\\Temp\\stock.txt"), "\\Temp\\stock.txt.tmp");
  const std::string Folder = "\\" + std::string(200, 'f') + "\\";  // 202 characters
  EXPECT_EQ(TemporaryDeviceName(Folder + std::string(53, 'n')), Folder + std::string(53, 'n') + ".tmp");
  EXPECT_EQ(TemporaryDeviceName(Folder + std::string(60, 'n')), Folder + std::string(53, 'n') + ".tmp");
  // A GBK character whose trail byte is '\' is part of the name, and is never cut in two.
  const std::string Wide = "\x95\x5C";
  std::string Name;
  for (int I = 0; I < 60; ++I) Name += Wide;
  EXPECT_EQ(TemporaryDeviceName(Folder + Name), Folder + Name.substr(0, 2 * 53) + ".tmp");
  EXPECT_EQ(TemporaryDeviceName("\\" + std::string(255, 'f') + "\\name"), "");
}

}  // namespace
}  // namespace halvern
