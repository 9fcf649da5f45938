// Import and export of a 4 MB stocktake file over an emulated USB sync link, as a host drives them
// through the exports: HALVERN_DEVICE_LINK=1000:5 makes the emulator move 1,000 KB/s and take 5 ms per
// call. The link alone needs bytes / speed + device calls x per-call time; each transfer's time is
// printed against that (target: at most 1.10, i.e. the engine adds at most a tenth), with the device
// calls it made next to the fewest the 0xF000-byte chunks of a copy allow: one per chunk plus the open
// and the close, and for an export the delete and the rename that replace the file whole. Best of N
// rounds (default 3), import and export alternating. Not a test: the exit status is 0 whenever it ran.
//
//   bench_link [--rounds N] [--megabytes N]
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "bench/BenchEngine.h"
#include "bench/BenchTransfers.h"
#include "emulator/RapiEmu.h"

namespace {

namespace fs = std::filesystem;
using halvern::bench::CountLog;
using halvern::bench::PortOptions;
using halvern::bench::SplitLines;
using halvern::bench::TExports;

constexpr uint64_t LinkBytesPerSecond = 1000 * 1000;
constexpr double LinkSecondsPerCall = 0.005;
constexpr uint64_t ChunkBytes = 0xF000;

// Stocktake lines (number, flag, a GBK remark) up to Bytes.
std::string MakeFile(uint64_t Bytes) {
  static const char* const Chars[] = {"\xB1\xB8", "\xD7\xA2", "\xB0\xEC", "\xB9\xAB", "\xD2\xCE", "\xD6\xD0"};
  std::mt19937 Rng(7);
  std::string Text;
  char Number[32];
  for (int I = 0; Text.size() < Bytes; ++I) {
    if (I > 0) Text += "\r\n";
    std::snprintf(Number, sizeof Number, "ZC%08d|%c|", I, (Rng() & 1) ? '1' : '0');
    Text += Number;
    for (int N = 2 + static_cast<int>(Rng() % 4); N > 0; --N) Text += Chars[Rng() % std::size(Chars)];
  }
  return Text;
}

int64_t Import(const TExports& E, int& Events) {
  uint32_t H = 0;
  E.EngineInit(ENGINE_PORT_IMPORT, &H);
  E.EngineSetEvent(H, &Events, EVENT_LOG_MESSAGE, reinterpret_cast<HV_PROC>(&CountLog));
  E.EngineSetOptions(H, PortOptions("stock.txt").c_str());
  const auto Read = reinterpret_cast<HV_READ_TEXT_PROC>(E.FieldGetProc(FIELD_DIR_READ, HV_FT_STRING));
  char Buffer[256];
  int64_t Records = 0;
  for (E.MoveFirst(H); E.IsEof(H) == 0; E.MoveNext(H), ++Records) {
    for (int32_t I = 0; I < 3; ++I) {
      int32_t Size = sizeof Buffer;
      Read(H, I, Buffer, &Size);
    }
  }
  E.EngineFina(H);
  return Records;
}

struct TRun {
  double Seconds = 1e9;
  uint64_t Bytes = 0;
  uint32_t Calls = 0;

  double LinkSeconds() const {
    return static_cast<double>(Bytes) / LinkBytesPerSecond + Calls * LinkSecondsPerCall;
  }
};

void Print(const char* What, const TRun& R, uint64_t LeastCalls) {
  const double Ratio = R.Seconds / R.LinkSeconds();
  std::printf(
      "  %-7s %7.3f s  link needs %7.3f s (%llu bytes, %u calls x 5 ms)  ratio %.3f  target <= 1.10 %s\n",
      What, R.Seconds, R.LinkSeconds(), static_cast<unsigned long long>(R.Bytes), R.Calls, Ratio,
      Ratio <= 1.10 ? "met" : "MISSED");
  std::printf("          device calls %u, fewest the chunks allow %llu\n", R.Calls,
              static_cast<unsigned long long>(LeastCalls));
}

}  // namespace

int main(int argc, char** argv) {
  int Rounds = 3;
  uint64_t Megabytes = 4;
  for (int I = 1; I + 1 < argc; ++I) {
    if (std::strcmp(argv[I], "--rounds") == 0)
      Rounds = std::max(1, std::atoi(argv[++I]));
    else if (std::strcmp(argv[I], "--megabytes") == 0)
      Megabytes = std::max(1, std::atoi(argv[++I]));
  }
  std::random_device Random;
  const fs::path Root = fs::temp_directory_path() / ("halvern-bench-link-" + std::to_string(Random()));
  fs::create_directories(Root / "Temp");
  const std::string Text = MakeFile(Megabytes * 1024 * 1024);
  std::ofstream(Root / "Temp" / "stock.txt", std::ios::binary)
      .write(Text.data(), static_cast<std::streamsize>(Text.size()));
  setenv("HALVERN_RAPI_LIBRARY", halvern::bench::EmulatorPath().c_str(), 1);
  setenv("HALVERN_DEVICE_ROOT", Root.c_str(), 1);
  setenv("HALVERN_DEVICE_LINK", "1000:5", 1);
  unsetenv("HALVERN_DEVICE_FAULTS");

  halvern::bench::TEngine Engine("bench_link");
  const TExports& E = Engine.E;
  halvern::platform::TDynLib Emulator;
  if (!Emulator.Load(halvern::bench::EmulatorPath()))
    halvern::bench::Die("bench_link", "cannot load " + halvern::bench::EmulatorPath());
  const auto Get = reinterpret_cast<TRapiEmuGetCounters*>(Emulator.Resolve("RapiEmuGetCounters"));
  const auto Reset = reinterpret_cast<TRapiEmuResetCounters*>(Emulator.Resolve("RapiEmuResetCounters"));
  if (Get == nullptr || Reset == nullptr) halvern::bench::Die("bench_link", "the emulator has no counters");

  const auto Lines = SplitLines(Text);
  std::printf(
      "bench_link: %zu records, %zu bytes of GBK text, over HALVERN_DEVICE_LINK=1000:5 (best of %d)\n",
      Lines.size(), Text.size(), Rounds);
  using Clock = std::chrono::steady_clock;
  const auto Measure = [&](TRun& Best, bool Reading, auto&& Body) {
    Reset();
    const auto Start = Clock::now();
    Body();
    const double Seconds = std::chrono::duration<double>(Clock::now() - Start).count();
    RapiEmuCounters C{};
    Get(&C);
    if (Seconds < Best.Seconds) Best = TRun{Seconds, Reading ? C.BytesRead : C.BytesWritten, C.LinkCalls};
  };
  TRun ImportRun, ExportRun;
  int Events = 0;
  int64_t Records = 0;
  std::error_code Ec;
  for (int Round = 0; Round < Rounds; ++Round) {
    Measure(ImportRun, true, [&] { Records = Import(E, Events); });
    fs::remove(Root / "Temp" / "out.txt", Ec);
    Measure(ExportRun, false, [&] { halvern::bench::ExportAll(E, Lines, "out.txt", Events); });
  }
  const bool Same = fs::file_size(Root / "Temp" / "out.txt", Ec) == Text.size();
  const uint64_t Chunks = (Text.size() + ChunkBytes - 1) / ChunkBytes;
  Print("import", ImportRun, Chunks + 2);
  Print("export", ExportRun, Chunks + 4);
  std::printf("  %lld records imported, exported file %s%s\n", static_cast<long long>(Records),
              Same ? "same size as the source" : "DIFFERS in size", Events ? "  (device events!)" : "");
  fs::remove_all(Root, Ec);
  return 0;
}
