// The built engine library, loaded once per test program and bound export by export, as a host does.
#pragma once

#include <gtest/gtest.h>

#include "halvern.h"
#include "platform/DynLib.h"

#ifndef HALVERN_LIBRARY_PATH
#ifdef _WIN32
#define HALVERN_LIBRARY_PATH "Halvern.dll"
#else
#define HALVERN_LIBRARY_PATH "libhalvern.so"
#endif
#endif

namespace halvern::test {

struct TExports {
#define HV_MEMBER(Ret, Name, Params) HV_PFN_##Name Name = nullptr;
  HV_EXPORT_LIST(HV_MEMBER)
#undef HV_MEMBER
};

// Loads the library on first use; every test of the program shares it. Null when it cannot be loaded or
// lacks an export (the test then fails with the reason).
inline const TExports* Engine(std::string* Why = nullptr) {
  static platform::TDynLib Lib;
  static TExports Exports;
  static std::string Error;
  static const bool Ok = [] {
    if (!Lib.Load(HALVERN_LIBRARY_PATH)) {
      Error = std::string("cannot load ") + HALVERN_LIBRARY_PATH;
      return false;
    }
#define HV_BIND(Ret, Name, Params)                                    \
  Exports.Name = reinterpret_cast<HV_PFN_##Name>(Lib.Resolve(#Name)); \
  if (!Exports.Name) {                                                \
    Error = "missing export " #Name;                                  \
    return false;                                                     \
  }
    HV_EXPORT_LIST(HV_BIND)
#undef HV_BIND
    return true;
  }();
  if (Why) *Why = Error;
  return Ok ? &Exports : nullptr;
}

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string Why;
    E = Engine(&Why);
    ASSERT_NE(E, nullptr) << Why;
  }
  const TExports* E = nullptr;
};

}  // namespace halvern::test
