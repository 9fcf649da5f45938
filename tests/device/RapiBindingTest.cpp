// Which device library is bound, and that a missing or incomplete one leaves the device unavailable
// with every entry point failing cleanly instead of crashing.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <thread>
#include <vector>

#include "device/KtRAPI.h"
#include "platform/SysError.h"
#include "rtl/Exceptions.h"
#include "tests/device/DeviceTestSupport.h"

namespace halvern {
namespace {

using test::EmulatorPath;
using test::SetEnv;

// True while the process still has the library at Path loaded.
bool StillLoaded(const std::string& Path) {
#ifdef _WIN32
  return GetModuleHandleA(Path.c_str()) != nullptr;
#else
  void* H = dlopen(Path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (H != nullptr) dlclose(H);
  return H != nullptr;
#endif
}

class RapiBinding : public ::testing::Test {
 protected:
  void TearDown() override {
    SetEnv("HALVERN_RAPI_LIBRARY", "");
    UnloadRapi();
  }
};

TEST_F(RapiBinding, TheVariableOverridesThePlatformLibrary) {
  SetEnv("HALVERN_RAPI_LIBRARY", "");
#ifdef _WIN32
  EXPECT_EQ(RapiLibraryName(), "rapi.dll");
#else
  EXPECT_EQ(RapiLibraryName(), "librapi.so.2");
#endif
  SetEnv("HALVERN_RAPI_LIBRARY", "/opt/device/libother.so");
  EXPECT_EQ(RapiLibraryName(), "/opt/device/libother.so");
}

TEST_F(RapiBinding, MissingLibraryLeavesTheDeviceUnavailableAndCallsFailCleanly) {
  test::TScratchDir Dir;
  SetEnv("HALVERN_RAPI_LIBRARY", (Dir.Path() / "no-such-rapi.dll").string());
  EXPECT_FALSE(ReloadRapiForTests());
  EXPECT_FALSE(RapiAvailable());
  EXPECT_EQ(CeRapiInit(), rapi::RapiEFail);
  EXPECT_EQ(CeGetLastError(), rapi::ErrorDeviceNotConnected);
  EXPECT_EQ(CeCreateFile(u"\\a.txt", rapi::GenericRead, 0, nullptr, rapi::OpenExisting, 0, nullptr),
            rapi::InvalidHandleValue());
  rapi::DWORD Done = 99;
  char Byte = 0;
  EXPECT_EQ(CeReadFile(nullptr, &Byte, 1, &Done, nullptr), 0);
  EXPECT_EQ(Done, 0u);
  EXPECT_EQ(CeSetFilePointer(nullptr, 0, nullptr, 0), rapi::InvalidSetFilePointer);
  try {
    TRApiStream Stream("\\Temp\\stock.txt", TRApiStream::ModeShareDenyWrite);
    ADD_FAILURE() << "opened a device file without a device library";
  } catch (const EFOpenError& E) {
    EXPECT_EQ(std::string(E.what()),
              "Cannot open file \"\\Temp\\stock.txt\". " + platform::SystemErrorText(1167));
  }
}

TEST_F(RapiBinding, LibraryLackingOneEntryPointIsRefusedAndReleased) {
  if (EmulatorPath(true).empty()) GTEST_SKIP() << "HALVERN_EMULATOR_INCOMPLETE_PATH is not set";
  SetEnv("HALVERN_RAPI_LIBRARY", EmulatorPath(true));
  EXPECT_FALSE(ReloadRapiForTests());
  EXPECT_FALSE(RapiAvailable());
  EXPECT_FALSE(StillLoaded(EmulatorPath(true)));
  EXPECT_EQ(CeRapiInit(), rapi::RapiEFail);
}

TEST_F(RapiBinding, CompleteLibraryIsBoundOnceAndRebindsAfterUnload) {
  if (EmulatorPath().empty()) GTEST_SKIP() << "HALVERN_EMULATOR_PATH is not set";
  SetEnv("HALVERN_RAPI_LIBRARY", EmulatorPath());
  UnloadRapi();
  EXPECT_TRUE(RapiAvailable());  // binds on first use
  EXPECT_TRUE(StillLoaded(EmulatorPath()));
  // Once bound, a changed variable does not rebind behind the caller's back.
  SetEnv("HALVERN_RAPI_LIBRARY", "no-such-library");
  EXPECT_TRUE(RapiAvailable());
  UnloadRapi();
  EXPECT_FALSE(StillLoaded(EmulatorPath()));
  EXPECT_FALSE(RapiAvailable());
  SetEnv("HALVERN_RAPI_LIBRARY", EmulatorPath());
  EXPECT_TRUE(ReloadRapiForTests());
}

TEST_F(RapiBinding, ConcurrentFirstUsesBindOnce) {
  if (EmulatorPath().empty()) GTEST_SKIP() << "HALVERN_EMULATOR_PATH is not set";
  SetEnv("HALVERN_RAPI_LIBRARY", EmulatorPath());
  UnloadRapi();
  std::vector<std::thread> Threads;
  std::vector<int> Results(8, -1);
  for (size_t I = 0; I < Results.size(); ++I) {
    Threads.emplace_back([&Results, I] { Results[I] = RapiAvailable() ? 1 : 0; });
  }
  for (std::thread& T : Threads) T.join();
  for (int R : Results) EXPECT_EQ(R, 1);
  UnloadRapi();
  EXPECT_FALSE(StillLoaded(EmulatorPath()));  // one binding, released by one unload
}

}  // namespace
}  // namespace halvern
