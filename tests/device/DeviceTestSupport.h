// Shared scaffolding of the device tests: environment changes, a scratch device folder, and the device
// emulator bound as the engine's device library with its counters at hand.
//
// The emulator's path comes from HALVERN_EMULATOR_PATH (a compile definition of the build, or, for
// local runs, an environment variable); tests that need it are skipped when neither is set.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "device/KtRAPI.h"
#include "emulator/RapiEmu.h"
#include "platform/DynLib.h"
#include "tests/TestEnvironment.h"

namespace halvern::test {

// A fresh, empty folder removed with its contents at the end of the test.
class TScratchDir {
 public:
  TScratchDir() {
    static int Serial = 0;
    const auto Base = std::filesystem::temp_directory_path();
    do {
      FPath = Base / ("halvern-device-" + std::to_string(std::rand()) + "-" + std::to_string(++Serial));
    } while (std::filesystem::exists(FPath));
    std::filesystem::create_directories(FPath);
  }
  TScratchDir(const TScratchDir&) = delete;
  TScratchDir& operator=(const TScratchDir&) = delete;
  ~TScratchDir() {
    std::error_code Ec;
    std::filesystem::remove_all(FPath, Ec);
  }
  const std::filesystem::path& Path() const { return FPath; }

 private:
  std::filesystem::path FPath;
};

inline void WriteHostFile(const std::filesystem::path& Path, const std::string& Bytes) {
  std::filesystem::create_directories(Path.parent_path());
  std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
  Out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
}

inline std::string ReadHostFile(const std::filesystem::path& Path) {
  std::ifstream In(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
}

// The emulator bound as the device library over a scratch root, faults cleared and counters reset.
class TEmulatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (EmulatorPath().empty()) GTEST_SKIP() << "HALVERN_EMULATOR_PATH is not set";
    SetEnv("HALVERN_RAPI_LIBRARY", EmulatorPath());
    SetEnv("HALVERN_DEVICE_ROOT", FRoot.Path().string());
    SetEnv("HALVERN_DEVICE_FAULTS", "");
    SetEnv("HALVERN_DEVICE_COUNTERS", "");
    SetEnv("HALVERN_DEVICE_LINK", "");
    ASSERT_TRUE(ReloadRapiForTests()) << "cannot bind " << EmulatorPath();
    ASSERT_TRUE(FEmulator.Load(EmulatorPath()));
    FGetCounters = reinterpret_cast<TRapiEmuGetCounters*>(FEmulator.Resolve("RapiEmuGetCounters"));
    FResetCounters = reinterpret_cast<TRapiEmuResetCounters*>(FEmulator.Resolve("RapiEmuResetCounters"));
    ASSERT_NE(FGetCounters, nullptr);
    ASSERT_NE(FResetCounters, nullptr);
    FResetCounters();
  }

  void TearDown() override {
    SetEnv("HALVERN_DEVICE_FAULTS", "");
    SetEnv("HALVERN_DEVICE_COUNTERS", "");
    SetEnv("HALVERN_DEVICE_LINK", "");
    SetEnv("HALVERN_CONNECT_TIMEOUT", "");
  }

  RapiEmuCounters Counters() const {
    RapiEmuCounters C{};
    FGetCounters(&C);
    return C;
  }

  // Opens a connection; faults must be set before, as the emulator reads them here.
  void Connect(const std::string& Faults = "") {
    SetEnv("HALVERN_DEVICE_FAULTS", Faults);
    ASSERT_EQ(CeRapiInit(), rapi::RapiSOk);
  }

  std::filesystem::path Host(const std::string& Relative) const { return FRoot.Path() / Relative; }

  TScratchDir FRoot;
  platform::TDynLib FEmulator;
  TRapiEmuGetCounters* FGetCounters = nullptr;
  TRapiEmuResetCounters* FResetCounters = nullptr;
};

}  // namespace halvern::test
