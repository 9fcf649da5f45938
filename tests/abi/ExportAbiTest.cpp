// Binds Halvern.dll the way a host does, through the loader only, and checks the two things a host
// relies on without ever seeing our headers: each export is found by its name and by its ordinal at
// the same address, and each is stdcall with exactly its argument bytes (a callee that pops too few
// or too many bytes corrupts the host's stack on every call). Every call uses harmless arguments: an
// unregistered handle, null buffers, zero sizes. x64 has a single calling convention in which the
// caller owns the argument space, so there only names and ordinals are checked.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "abi/ExportTable.h"
#if defined(__i386__)
#include "abi/StdcallProbe.h"
#endif

namespace {

using halvern::abi::kExportTable;
using halvern::abi::TExportEntry;

class TModule {
 public:
  explicit TModule(const char* Path) : FHandle(LoadLibraryA(Path)) {}
  TModule(const TModule&) = delete;
  TModule& operator=(const TModule&) = delete;
  ~TModule() {
    if (FHandle != nullptr) FreeLibrary(FHandle);
  }
  HMODULE Get() const { return FHandle; }

 private:
  HMODULE FHandle;
};

const void* ByName(HMODULE Module, const char* Name) {
  return reinterpret_cast<const void*>(GetProcAddress(Module, Name));
}

const void* ByOrdinal(HMODULE Module, int Ordinal) {
  return reinterpret_cast<const void*>(GetProcAddress(Module, MAKEINTRESOURCEA(Ordinal)));
}

#if defined(__i386__)
constexpr std::uint32_t kUnregistered = 0xDEAD0001u;

std::uint32_t Address(const void* P) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(P));
}

// Scratch the harmless calls may point at: sizes are 0, so no text is ever copied; texts are empty.
struct TScratch {
  std::int32_t Size = 0;
  std::uint32_t Handle = 0;
  char EmptyText[4] = {};
};

// Arguments, left to right, that make each export a no-op or an error answer.
std::vector<std::uint32_t> HarmlessArguments(const std::string& Name, TScratch& S) {
  const std::uint32_t size = Address(&S.Size), handle = Address(&S.Handle), text = Address(S.EmptyText);
  if (Name == "EngineInit") return {0, handle};  // port type 0: rejected before the handle is written
  if (Name == "EngineGetType") return {};
  if (Name == "EngineGetName" || Name == "EngineDiscription") return {0, size};
  if (Name == "EngineSetEvent") return {kUnregistered, 0, 0, 0};
  if (Name == "EngineGetOptions") return {kUnregistered, 0, size};
  if (Name == "EngineSetOptions" || Name == "FieldFindbyName") return {kUnregistered, text};
  if (Name == "ConfigInit") return {kUnregistered, 0, 0, handle};
  if (Name == "FieldGetName") return {kUnregistered, 0, 0, size};
  if (Name == "FieldSetName") return {kUnregistered, 0, text, 0};
  if (Name == "FieldSetType") return {kUnregistered, 0, 65};
  if (Name == "FieldGetProc") return {0, 0};
  if (Name == "FieldSetCount" || Name == "FieldGetType" || Name == "FieldIsEmpty") return {kUnregistered, 0};
  return {kUnregistered};
}
#endif

class ExportAbi : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(FModule.Get(), nullptr) << "cannot load " << HALVERN_LIBRARY_PATH; }
  TModule FModule{HALVERN_LIBRARY_PATH};
};

TEST_F(ExportAbi, EveryExportResolvesByNameAndOrdinalToTheSameAddress) {
  for (const TExportEntry& e : kExportTable) {
    const void* byName = ByName(FModule.Get(), e.Name);
    const void* byOrdinal = ByOrdinal(FModule.Get(), e.Ordinal);
    EXPECT_NE(byName, nullptr) << e.Name << " is not exported by name";
    EXPECT_EQ(byName, byOrdinal) << e.Name << ": by name " << byName << ", by ordinal " << e.Ordinal << " "
                                 << byOrdinal;
  }
}

TEST_F(ExportAbi, NoOrdinalOutsideTheTableAndNoDecoratedName) {
  EXPECT_EQ(ByOrdinal(FModule.Get(), 35), nullptr);
  for (const TExportEntry& e : kExportTable) {
    const std::string decorated = "_" + std::string(e.Name) + "@" + std::to_string(4 * e.ArgCount);
    EXPECT_EQ(ByName(FModule.Get(), decorated.c_str()), nullptr) << decorated << " leaks into the exports";
    EXPECT_EQ(ByName(FModule.Get(), decorated.c_str() + 1), nullptr) << decorated.substr(1) << " is exported";
  }
}

#if defined(__i386__)
TEST_F(ExportAbi, EachExportPopsExactlyItsArgumentBytes) {
  for (const TExportEntry& e : kExportTable) {
    const void* function = ByName(FModule.Get(), e.Name);
    if (function == nullptr) continue;  // reported by the name test
    TScratch scratch;
    const std::vector<std::uint32_t> args = HarmlessArguments(e.Name, scratch);
    ASSERT_EQ(static_cast<int>(args.size()), e.ArgCount) << "harmless arguments for " << e.Name;
    std::int32_t popped = -1;
    HvCallStdcall(function, args.data(), static_cast<std::uint32_t>(args.size()), &popped);
    EXPECT_EQ(popped, 4 * e.ArgCount)
        << e.Name << " popped " << popped << " bytes, expected " << 4 * e.ArgCount;
    EXPECT_EQ(scratch.Handle, 0u) << e.Name << " wrote a handle for a rejected call";
  }
}
#endif

}  // namespace
