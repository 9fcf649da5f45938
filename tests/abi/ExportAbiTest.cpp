// Binds Halvern.dll the way a host does, through the loader only, and checks the two things a host
// relies on without ever seeing our headers: each export is found by its name and by its ordinal at
// the same address, and each export and value procedure is stdcall with exactly its argument bytes (a
// callee that pops too few or too many bytes corrupts the host's stack on every call), keeps EBX, ESI,
// EDI and the direction flag, and leaves the x87 stack empty unless it returns a float there. Every
// call uses harmless arguments: an unregistered handle, null buffers, zero sizes. x64 has a single
// calling convention in which the caller owns the argument space, so there only names and ordinals
// are checked.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "abi/ExportTable.h"
#include "halvern.h"
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

// Records a value procedure may write through its out-pointer even for an unknown handle.
struct TValueScratch {
  std::int32_t Size = 0;
  std::uint8_t Record[16] = {};
  char EmptyText[4] = {};
};

// One value procedure: FieldGetProc's key, its argument words (a 64-bit value or double takes two) and
// how many values it leaves on the x87 stack (a float or double result).
struct TValueProc {
  int Direction, FieldType, ArgWords, X87Results;
};

constexpr TValueProc kValueProcs[] = {
    {FIELD_DIR_READ, HV_FT_STRING, 4, 0},      {FIELD_DIR_READ, HV_FT_EXTENDED, 4, 0},
    {FIELD_DIR_READ, HV_FT_INTEGER, 2, 0},     {FIELD_DIR_READ, HV_FT_INT64, 2, 0},
    {FIELD_DIR_READ, HV_FT_SINGLE, 2, 1},      {FIELD_DIR_READ, HV_FT_DOUBLE, 2, 1},
    {FIELD_DIR_READ, HV_FT_GUID, 3, 0},        {FIELD_DIR_READ, HV_FT_DATETIME, 3, 0},
    {FIELD_DIR_READ, HV_FT_WIDESTRING, 4, 0},  {FIELD_DIR_READ, HV_FT_BLOB, 5, 0},
    {FIELD_DIR_WRITE, HV_FT_STRING, 4, 0},     {FIELD_DIR_WRITE, HV_FT_EXTENDED, 4, 0},
    {FIELD_DIR_WRITE, HV_FT_INTEGER, 3, 0},    {FIELD_DIR_WRITE, HV_FT_INT64, 4, 0},
    {FIELD_DIR_WRITE, HV_FT_SINGLE, 3, 0},     {FIELD_DIR_WRITE, HV_FT_DOUBLE, 4, 0},
    {FIELD_DIR_WRITE, HV_FT_GUID, 3, 0},       {FIELD_DIR_WRITE, HV_FT_DATETIME, 3, 0},
    {FIELD_DIR_WRITE, HV_FT_WIDESTRING, 4, 0}, {FIELD_DIR_WRITE, HV_FT_BLOB, 5, 0},
};

// Harmless arguments for a value procedure: the record procedures (read GUID and date-time) take
// their out-pointer first; every other one takes the handle first, then the index, then pointers or
// values that an unknown handle never dereferences beyond the documented neutral answer.
std::vector<std::uint32_t> HarmlessValueArguments(const TValueProc& P, TValueScratch& S) {
  const std::uint32_t size = Address(&S.Size), record = Address(S.Record), text = Address(S.EmptyText);
  const bool readsRecord =
      P.Direction == FIELD_DIR_READ && (P.FieldType == HV_FT_GUID || P.FieldType == HV_FT_DATETIME);
  if (readsRecord) return {record, kUnregistered, 0};
  if (P.FieldType == HV_FT_BLOB) return {0, 0, 0, 0, size};
  std::vector<std::uint32_t> args{kUnregistered, 0};
  if (P.ArgWords == 4) {
    const bool pointers =
        P.FieldType == HV_FT_STRING || P.FieldType == HV_FT_EXTENDED || P.FieldType == HV_FT_WIDESTRING;
    if (pointers) return {kUnregistered, 0, P.Direction == FIELD_DIR_READ ? 0 : text, size};
    return {kUnregistered, 0, 0, 0};  // a 64-bit integer or double of zero
  }
  if (P.ArgWords == 3)
    args.push_back(P.FieldType == HV_FT_GUID || P.FieldType == HV_FT_DATETIME ? record : 0);
  return args;
}

void ExpectCallerStateKept(const char* What, const THvCallResult& R, int ArgWords, int X87Results) {
  EXPECT_EQ(R.Popped, 4 * ArgWords) << What << " popped " << R.Popped << " bytes, expected " << 4 * ArgWords;
  EXPECT_EQ(R.Clobbered, 0u) << What
                             << " lost callee-saved state (EBX 1, ESI 2, EDI 4, DF 8): " << R.Clobbered;
  EXPECT_EQ(R.X87Pushed, X87Results) << What << " left " << R.X87Pushed << " values on the x87 stack";
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
TEST(StdcallProbe, SeesEachFaultOfABadlyBehavedCallee) {
  const std::uint32_t args[3] = {1, 2, 3};
  THvCallResult result{};
  HvCallStdcall(reinterpret_cast<const void*>(&HvBadlyBehavedCallee), args, 3, &result);
  EXPECT_EQ(result.Popped, 8);
  EXPECT_EQ(result.Clobbered, kClobberedEbx | kClobberedEsi | kClobberedDirectionFlag);
  EXPECT_EQ(result.X87Pushed, 1);
}

TEST_F(ExportAbi, EachExportKeepsTheCallersStackAndRegisters) {
  for (const TExportEntry& e : kExportTable) {
    const void* function = ByName(FModule.Get(), e.Name);
    if (function == nullptr) continue;  // reported by the name test
    TScratch scratch;
    const std::vector<std::uint32_t> args = HarmlessArguments(e.Name, scratch);
    ASSERT_EQ(static_cast<int>(args.size()), e.ArgCount) << "harmless arguments for " << e.Name;
    THvCallResult result{};
    HvCallStdcall(function, args.data(), static_cast<std::uint32_t>(args.size()), &result);
    ExpectCallerStateKept(e.Name, result, e.ArgCount, 0);
    EXPECT_EQ(scratch.Handle, 0u) << e.Name << " wrote a handle for a rejected call";
  }
}

TEST_F(ExportAbi, EachValueProcedureKeepsTheCallersStackAndRegisters) {
  const auto getProc = reinterpret_cast<HV_PFN_FieldGetProc>(ByName(FModule.Get(), "FieldGetProc"));
  ASSERT_NE(getProc, nullptr);
  for (const TValueProc& p : kValueProcs) {
    const std::string what =
        "value procedure (" + std::to_string(p.Direction) + ", " + std::to_string(p.FieldType) + ")";
    const void* function = reinterpret_cast<const void*>(getProc(p.Direction, p.FieldType));
    ASSERT_NE(function, nullptr) << what << " is not offered";
    TValueScratch scratch;
    const std::vector<std::uint32_t> args = HarmlessValueArguments(p, scratch);
    ASSERT_EQ(static_cast<int>(args.size()), p.ArgWords) << "harmless arguments for " << what;
    THvCallResult result{};
    HvCallStdcall(function, args.data(), static_cast<std::uint32_t>(args.size()), &result);
    ExpectCallerStateKept(what.c_str(), result, p.ArgWords, p.X87Results);
  }
}
#endif

}  // namespace
