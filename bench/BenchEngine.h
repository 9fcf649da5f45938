// The engine as the benchmarks drive it: libhalvern.so of this build, loaded at run time and bound
// export by export as a host binds it (never linked), and the device emulator beside it. Exits with a
// message when the library or an export is missing.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "halvern.h"
#include "platform/DynLib.h"

#ifndef HALVERN_BENCH_BINARY_DIR
#define HALVERN_BENCH_BINARY_DIR "."
#endif

namespace halvern::bench {

struct TExports {
#define HV_MEMBER(Ret, Name, Params) HV_PFN_##Name Name = nullptr;
  HV_EXPORT_LIST(HV_MEMBER)
#undef HV_MEMBER
};

[[noreturn]] inline void Die(const char* Program, const std::string& Why) {
  std::fprintf(stderr, "%s: %s\n", Program, Why.c_str());
  std::exit(1);
}

class TEngine {
 public:
  explicit TEngine(const char* Program) {
    const std::string Path = std::string(HALVERN_BENCH_BINARY_DIR) + "/libhalvern.so";
    if (!FLib.Load(Path)) Die(Program, "cannot load " + Path);
#define HV_BIND(Ret, Name, Params)                               \
  E.Name = reinterpret_cast<HV_PFN_##Name>(FLib.Resolve(#Name)); \
  if (!E.Name) Die(Program, "the engine has no export " #Name);
    HV_EXPORT_LIST(HV_BIND)
#undef HV_BIND
  }
  TExports E;

 private:
  platform::TDynLib FLib;
};

// The emulator of this build, to name in HALVERN_RAPI_LIBRARY.
inline std::string EmulatorPath() {
  return std::string(HALVERN_BENCH_BINARY_DIR) + "/librapiemu.so";
}

}  // namespace halvern::bench
