// The countdown under Windows: the import tables of the engine library and of the device emulator are
// pointed at counting wrappers of the C runtime's malloc, calloc and realloc, which both take from
// msvcrt.dll (operator new included: the C++ runtime is linked into each of them). Each trial runs in
// this process against a fresh copy of the engine library, loaded for it and freed after it, so that it
// meets the library's first-use work (its handle registry, the binding of the device library) as a host
// does; the emulator is loaded once, by the test's device folder.
#include "alloc/AllocCountdown.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <thread>

#include "host/PortTestSupport.h"

namespace halvern::test {
namespace {

using TMalloc = void*(__cdecl*)(size_t);
using TCalloc = void*(__cdecl*)(size_t, size_t);
using TRealloc = void*(__cdecl*)(void*, size_t);

HMODULE Msvcrt() {
  static const HMODULE M = LoadLibraryW(L"msvcrt.dll");
  return M;
}
template <class T>
T CrtEntry(const char* Name) {
  return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(Msvcrt(), Name)));
}
const TMalloc GMalloc = CrtEntry<TMalloc>("malloc");
const TCalloc GCalloc = CrtEntry<TCalloc>("calloc");
const TRealloc GRealloc = CrtEntry<TRealloc>("realloc");

void* __cdecl CountingMalloc(size_t Size) {
  return CountdownFailsNow() ? nullptr : GMalloc(Size);
}
void* __cdecl CountingCalloc(size_t Count, size_t Size) {
  return CountdownFailsNow() ? nullptr : GCalloc(Count, Size);
}
void* __cdecl CountingRealloc(void* Block, size_t Size) {
  return CountdownFailsNow() ? nullptr : GRealloc(Block, Size);
}

// Points Module's imports of malloc, calloc and realloc from msvcrt.dll at the wrappers; false unless it
// imported all three.
bool CountAllocationsOf(HMODULE Module) {
  auto* const Base = reinterpret_cast<BYTE*>(Module);
  const auto* Nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
      Base + reinterpret_cast<const IMAGE_DOS_HEADER*>(Base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& Imports = Nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  int Patched = 0;
  for (auto* D = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(Base + Imports.VirtualAddress);
       Imports.VirtualAddress != 0 && D->Name != 0; ++D) {
    if (_stricmp(reinterpret_cast<const char*>(Base + D->Name), "msvcrt.dll") != 0) continue;
    auto* Name = reinterpret_cast<IMAGE_THUNK_DATA*>(Base + D->OriginalFirstThunk);
    auto* Slot = reinterpret_cast<IMAGE_THUNK_DATA*>(Base + D->FirstThunk);
    for (; D->OriginalFirstThunk != 0 && Name->u1.AddressOfData != 0; ++Name, ++Slot) {
      if (IMAGE_SNAP_BY_ORDINAL(Name->u1.Ordinal)) continue;
      const char* Import = reinterpret_cast<const char*>(
          reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(Base + Name->u1.AddressOfData)->Name);
      void* To = std::strcmp(Import, "malloc") == 0    ? reinterpret_cast<void*>(&CountingMalloc)
                 : std::strcmp(Import, "calloc") == 0  ? reinterpret_cast<void*>(&CountingCalloc)
                 : std::strcmp(Import, "realloc") == 0 ? reinterpret_cast<void*>(&CountingRealloc)
                                                       : nullptr;
      DWORD Was = 0;
      if (To == nullptr ||
          !VirtualProtect(&Slot->u1.Function, sizeof Slot->u1.Function, PAGE_READWRITE, &Was))
        continue;
      Slot->u1.Function = reinterpret_cast<ULONG_PTR>(To);
      VirtualProtect(&Slot->u1.Function, sizeof Slot->u1.Function, Was, &Was);
      ++Patched;
    }
  }
  return Patched == 3;
}

// The emulator the test's device folder loaded, counted from the first trial on.
bool EmulatorCounted() {
  static const bool Counted = [] {
    const std::string Path = EmulatorPath();
    const HMODULE M = GetModuleHandleA(std::filesystem::path(Path).filename().string().c_str());
    return M != nullptr && CountAllocationsOf(M);
  }();
  return Counted;
}

// A trial that ends the process says which it was.
std::atomic<uint64_t> GTrialN{0};
void SayCrashed(int) {
  std::fprintf(stderr, "the trial failing allocation %llu ended the process\n",
               static_cast<unsigned long long>(GTrialN.load()));
  std::fflush(stderr);
  std::_Exit(3);
}
LONG WINAPI SayCrashedOnFault(EXCEPTION_POINTERS*) {
  SayCrashed(0);
  return EXCEPTION_CONTINUE_SEARCH;
}

void Fail(TTrialResult& R, const std::string& Why) {
  R.Reached = true;
  R.Verdict = TVerdict::Crashed;
  std::snprintf(R.How, sizeof R.How, "%s", Why.c_str());
}

}  // namespace

const char* CountdownUnavailable() {
  return GMalloc && GCalloc && GRealloc ? nullptr : "msvcrt.dll offers no malloc, calloc and realloc";
}

const char* FailingForGoodUnavailable() {
  // libstdc++ over winpthreads: the first exception thrown from the emergency pool (malloc having
  // failed) locks the pool's mutex, which winpthreads makes on first use with malloc; failing that, the
  // lock raises, which needs the pool again, until the stack overflows.
  return "the 32-bit C++ runtime needs a little memory to throw its first out-of-memory exception";
}

TTrialResult RunOnFreshEngine(TTrial Trial, uint64_t N, unsigned Seconds) {
  TTrialResult R;
  static const bool Watching = [] {
    std::signal(SIGABRT, &SayCrashed);
    SetUnhandledExceptionFilter(&SayCrashedOnFault);
    return true;
  }();
  (void)Watching;
  GTrialN.store(N);
  if (!EmulatorCounted()) {
    Fail(R, "the emulator's allocations cannot be counted");
    return R;
  }
  const std::filesystem::path Copy = TPortDevice::Get().Root() / ("engine-" + std::to_string(N) + ".dll");
  std::error_code Ec;
  std::filesystem::copy_file(HALVERN_LIBRARY_PATH, Copy, std::filesystem::copy_options::overwrite_existing,
                             Ec);
  platform::TDynLib Library;
  bool Bound =
      !Ec && Library.Load(Copy.string()) && CountAllocationsOf(GetModuleHandleW(Copy.wstring().c_str()));
  TExports E;
#define HV_BIND(Ret, Name, Params)                                                    \
  E.Name = Bound ? reinterpret_cast<HV_PFN_##Name>(Library.Resolve(#Name)) : nullptr; \
  Bound = Bound && E.Name != nullptr;
  HV_EXPORT_LIST(HV_BIND)
#undef HV_BIND
  if (!Bound) {
    Fail(R, "cannot load and count a copy of the engine library");
  } else {
    // On a thread of its own, so that a trial that hangs is found out.
    std::mutex Lock;
    std::condition_variable Done;
    bool Finished = false;
    std::thread Runner([&] {
      const TTrialResult Got = Trial(E, N);
      std::lock_guard Guard(Lock);
      R = Got;
      Finished = true;
      Done.notify_all();
    });
    std::unique_lock Wait(Lock);
    if (!Done.wait_for(Wait, std::chrono::seconds(Seconds), [&] { return Finished; })) {
      std::fprintf(stderr, "the trial failing allocation %llu hung\n", static_cast<unsigned long long>(N));
      std::fflush(stderr);
      std::_Exit(3);
    }
    Wait.unlock();
    Runner.join();
  }
  Library.Free();
  std::filesystem::remove(Copy, Ec);
  return R;
}

}  // namespace halvern::test
