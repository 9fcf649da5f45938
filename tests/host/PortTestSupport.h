// Host-level scaffolding for the port tests: the device emulator bound for the whole test program, a
// scratch device folder, a port opened through EngineInit with its log events collected, and the value
// procedures a host gets from FieldGetProc.
//
// The engine binds the device library once per process, at its first device operation, from
// HALVERN_RAPI_LIBRARY; this header points that variable at the emulator before main runs (unless the
// caller's environment already names a library).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "EngineLibrary.h"
#include "emulator/RapiEmu.h"
#include "platform/DynLib.h"
#include "tests/TestEnvironment.h"

namespace halvern::test {

// The device folder of the test program, and the emulator's counters.
class TPortDevice {
 public:
  static TPortDevice& Get() {
    static TPortDevice Device;
    return Device;
  }
  const std::filesystem::path& Root() const { return FRoot; }
  bool HasEmulator() const { return FGetCounters != nullptr; }
  RapiEmuCounters Counters() const {
    RapiEmuCounters C{};
    if (FGetCounters) FGetCounters(&C);
    return C;
  }
  void ResetCounters() const {
    if (FResetCounters) FResetCounters();
  }
  ~TPortDevice() {
    std::error_code Ec;
    std::filesystem::remove_all(FRoot, Ec);
  }

 private:
  TPortDevice() {
    // A folder of this process's own: the test program may run twice at once (test_host_traced).
    FRoot =
        std::filesystem::temp_directory_path() / ("halvern-ports-" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(FRoot);
    SetEnv("HALVERN_DEVICE_ROOT", FRoot.string());
    const char* Bound = std::getenv("HALVERN_RAPI_LIBRARY");
    if (Bound == nullptr || *Bound == '\0') SetEnv("HALVERN_RAPI_LIBRARY", EmulatorPath());
    if (!EmulatorPath().empty() && FEmulator.Load(EmulatorPath())) {
      FGetCounters = reinterpret_cast<TRapiEmuGetCounters*>(FEmulator.Resolve("RapiEmuGetCounters"));
      FResetCounters = reinterpret_cast<TRapiEmuResetCounters*>(FEmulator.Resolve("RapiEmuResetCounters"));
    }
  }
  std::filesystem::path FRoot;
  platform::TDynLib FEmulator;
  TRapiEmuGetCounters* FGetCounters = nullptr;
  TRapiEmuResetCounters* FResetCounters = nullptr;
};

// Runs before main, so the variable is in place before any test makes the engine bind the device.
inline const bool PortDeviceReady = (TPortDevice::Get(), true);

inline void WriteDeviceFile(const std::string& Relative, const std::string& Bytes) {
  const auto Path = TPortDevice::Get().Root() / Relative;
  std::filesystem::create_directories(Path.parent_path());
  std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
  Out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
}

inline std::string ReadDeviceFile(const std::string& Relative) {
  std::ifstream In(TPortDevice::Get().Root() / Relative, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
}

inline bool DeviceFileExists(const std::string& Relative) {
  return std::filesystem::exists(TPortDevice::Get().Root() / Relative);
}

using TLog = std::vector<std::pair<int32_t, std::string>>;

inline void HV_STDCALL CollectLog(void* UserData, int32_t Code, const char* Text) {
  static_cast<TLog*>(UserData)->emplace_back(Code, Text != nullptr ? Text : "");
}

// A port of one engine instance, made by EngineInit with its log collected, finished by EngineFina.
class TPortHandle {
 public:
  TPortHandle(const TExports* E, int32_t Kind) : FE(E) {
    FResult = E->EngineInit(Kind, &FHandle);
    if (FResult == ENGINE_OK)
      E->EngineSetEvent(FHandle, &Log, EVENT_LOG_MESSAGE, reinterpret_cast<HV_PROC>(&CollectLog));
  }
  TPortHandle(const TPortHandle&) = delete;
  TPortHandle& operator=(const TPortHandle&) = delete;
  ~TPortHandle() { Fina(); }

  void Fina() {
    if (FHandle != 0) FE->EngineFina(FHandle);
    FHandle = 0;
  }
  uint32_t H() const { return FHandle; }
  int32_t Result() const { return FResult; }

  int32_t SetOptions(const std::string& Text) const { return FE->EngineSetOptions(FHandle, Text.c_str()); }
  std::string Options() const {
    int32_t Size = 0;
    if (FE->EngineGetOptions(FHandle, nullptr, &Size) != 0) return "<copied into no buffer>";
    std::string Text(static_cast<size_t>(Size), '\0');
    if (Size > 0 && FE->EngineGetOptions(FHandle, Text.data(), &Size) != -1) return "<not copied>";
    return Text;
  }

  // Every record as the host reads it: the string procedure for every column.
  std::vector<std::vector<std::string>> ReadAll() const {
    auto Read = reinterpret_cast<HV_READ_TEXT_PROC>(FE->FieldGetProc(1, HV_FT_STRING));
    std::vector<std::vector<std::string>> Records;
    FE->MoveFirst(FHandle);
    while (FE->IsEof(FHandle) == 0) {
      std::vector<std::string> Values;
      for (int32_t I = 0; I < FE->FieldGetCount(FHandle); ++I) {
        int32_t Size = 0;
        Read(FHandle, I, nullptr, &Size);
        std::string V(static_cast<size_t>(Size), '\0');
        if (Size > 0) Read(FHandle, I, V.data(), &Size);
        Values.push_back(V);
      }
      Records.push_back(std::move(Values));
      FE->MoveNext(FHandle);
      if (Records.size() > 100000) break;  // a port that never reaches its end
    }
    return Records;
  }

  // Appends and posts each record through the text write procedure.
  void WriteAll(const std::vector<std::vector<std::string>>& Records) const {
    auto Write = reinterpret_cast<HV_WRITE_TEXT_PROC>(FE->FieldGetProc(2, HV_FT_STRING));
    for (const auto& Record : Records) {
      FE->Append(FHandle);
      for (size_t I = 0; I < Record.size(); ++I)
        Write(FHandle, static_cast<int32_t>(I), Record[I].data(), static_cast<int32_t>(Record[I].size()));
      FE->Post(FHandle);
    }
  }

  TLog Log;

 private:
  const TExports* FE;
  uint32_t FHandle = 0;
  int32_t FResult = -1;
};

// Host tests that need the emulator; skipped when its path is unknown.
class PortHostTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    if (HasFatalFailure()) return;
    if (!TPortDevice::Get().HasEmulator()) GTEST_SKIP() << "the device emulator is not available";
    SetEnv("HALVERN_DEVICE_FAULTS", "");
    TPortDevice::Get().ResetCounters();
  }
  void TearDown() override {
    SetEnv("HALVERN_DEVICE_FAULTS", "");
    SetEnv("HALVERN_CONNECT_TIMEOUT", "");
    const auto C = TPortDevice::Get().Counters();
    EXPECT_EQ(C.ConnectionsOpened, C.ConnectionsClosed);
    EXPECT_EQ(C.FilesOpened, C.HandlesClosed);
    // One CeRapiUninit for every connection asked for, whatever became of it, and none more.
    EXPECT_EQ(C.ConnectionsAsked, C.ConnectionsEnded);
    EXPECT_EQ(C.UninitCalls, C.ConnectionsEnded);
  }
};

// A second instance of the engine library, loaded from a copy of its file in the device folder: it binds
// the device library afresh, from HALVERN_RAPI_LIBRARY as it is at its first transfer.
class TEngineCopy {
 public:
  explicit TEngineCopy(const std::string& Name) {
    namespace fs = std::filesystem;
    const fs::path Original = HALVERN_LIBRARY_PATH;
    FPath = TPortDevice::Get().Root() / (Name + Original.extension().string());
    std::error_code Ec;
    fs::copy_file(Original, FPath, fs::copy_options::overwrite_existing, Ec);
    if (Ec) {
      FWhy = "cannot copy the engine library: " + Ec.message();
      return;
    }
    if (!FLib.Load(FPath.string())) {
      FWhy = "cannot load " + FPath.string();
      return;
    }
#define HV_BIND(Ret, Name, Params)                                      \
  FExports.Name = reinterpret_cast<HV_PFN_##Name>(FLib.Resolve(#Name)); \
  if (!FExports.Name) {                                                 \
    FWhy = "missing export " #Name;                                     \
    return;                                                             \
  }
    HV_EXPORT_LIST(HV_BIND)
#undef HV_BIND
    FLoaded = true;
  }
  TEngineCopy(const TEngineCopy&) = delete;
  TEngineCopy& operator=(const TEngineCopy&) = delete;
  ~TEngineCopy() {
    FLib.Free();
    std::error_code Ec;
    std::filesystem::remove(FPath, Ec);
  }
  // Null, with Why() saying so, when the copy could not be made.
  const TExports* Exports() const {
    return FLoaded ? &FExports : nullptr;
  }
  const std::string& Why() const {
    return FWhy;
  }

 private:
  std::filesystem::path FPath;
  platform::TDynLib FLib;
  TExports FExports;
  bool FLoaded = false;
  std::string FWhy;
};

}  // namespace halvern::test
