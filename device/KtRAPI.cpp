// The binding table and the entry points' guarded forwarding.
#include "device/KtRAPI.h"

#include <atomic>
#include <mutex>
#include <tuple>
#include <type_traits>

#include "device/RapiEntries.h"
#include "platform/DynLib.h"
#include "platform/Environment.h"
#include "platform/SysError.h"
#include "rtl/Exceptions.h"

namespace halvern {
namespace {

template <class F>
struct TEntry {
  const char* Name;
  F TRapiEntries::*Slot;
};
template <class F>
TEntry(const char*, F TRapiEntries::*) -> TEntry<F>;

// The twelve names in binding order; each slot's type comes from its declaration in rapi::Sig.
const auto EntryTable = std::make_tuple(
    TEntry{"CeRapiInit", &TRapiEntries::CeRapiInit}, TEntry{"CeRapiUninit", &TRapiEntries::CeRapiUninit},
    TEntry{"CeCreateFile", &TRapiEntries::CeCreateFile},
    TEntry{"CeCloseHandle", &TRapiEntries::CeCloseHandle},
    TEntry{"CeFindFirstFile", &TRapiEntries::CeFindFirstFile},
    TEntry{"CeFindNextFile", &TRapiEntries::CeFindNextFile},
    TEntry{"CeFindClose", &TRapiEntries::CeFindClose},
    TEntry{"CeSetFilePointer", &TRapiEntries::CeSetFilePointer},
    TEntry{"CeSetEndOfFile", &TRapiEntries::CeSetEndOfFile}, TEntry{"CeReadFile", &TRapiEntries::CeReadFile},
    TEntry{"CeWriteFile", &TRapiEntries::CeWriteFile},
    TEntry{"CeGetLastError", &TRapiEntries::CeGetLastError});
static_assert(std::tuple_size_v<decltype(EntryTable)> == 12);

// Bound after the twelve when the library has them; a library without them binds as before.
const auto OptionalTable = std::make_tuple(TEntry{"CeRapiInitEx", &TRapiEntries::CeRapiInitEx},
                                           TEntry{"CeDeleteFile", &TRapiEntries::CeDeleteFile},
                                           TEntry{"CeMoveFile", &TRapiEntries::CeMoveFile});

struct TRapiState {
  std::mutex Lock;
  platform::TDynLib Library;
  TRapiEntries Entries;
  bool Attempted = false;
  // Set, with release order, only once every entry is bound; the forwarding functions read it.
  std::atomic<const TRapiEntries*> Bound{nullptr};
};

// Destroyed, freeing the bound library, when the engine is unloaded or the process ends; a host that
// loads and unloads the engine repeatedly leaks nothing.
TRapiState& DestroyedAtUnload() {
  static TRapiState S;
  return S;
}

TRapiState& State() {
  // Where that is not safe the state is never destroyed: the engine frees the library at FreeLibrary
  // (UnloadRapi) and leaves it alone at process termination, when it may already be gone.
  static TRapiState* const S =
      platform::StaticsDestroyedSafelyAtUnload() ? &DestroyedAtUnload() : new TRapiState;
  return *S;
}

bool BindLocked(TRapiState& S) {
  S.Attempted = true;
  if (!S.Library.Load(RapiLibraryName())) return false;
  // Stores one address; false when the name is missing.
  const auto BindOne = [&S](const auto& E) {
    auto& Slot = S.Entries.*(E.Slot);
    Slot = reinterpret_cast<std::remove_reference_t<decltype(Slot)>>(S.Library.Resolve(E.Name));
    return Slot != nullptr;
  };
  // The fold stops at the first name that cannot be resolved.
  const bool All = std::apply([&BindOne](const auto&... E) { return (BindOne(E) && ...); }, EntryTable);
  if (!All) {
    S.Library.Free();
    return false;
  }
  std::apply([&BindOne](const auto&... E) { (BindOne(E), ...); }, OptionalTable);
  S.Bound.store(&S.Entries, std::memory_order_release);
  return true;
}

void UnbindLocked(TRapiState& S) noexcept {
  S.Bound.store(nullptr, std::memory_order_release);
  S.Library.Free();
  S.Entries = TRapiEntries{};
  S.Attempted = false;
}

// The bound table, binding on first use; null when the library is unavailable.
const TRapiEntries* Entries() {
  TRapiState& S = State();
  if (const TRapiEntries* E = S.Bound.load(std::memory_order_acquire)) return E;
  std::lock_guard Guard(S.Lock);
  if (!S.Attempted) BindLocked(S);
  return S.Bound.load(std::memory_order_acquire);
}

std::string ReplaceFirst(std::string Pattern, const char* What, const std::string& By) {
  const size_t At = Pattern.find(What);
  if (At != std::string::npos) Pattern.replace(At, std::char_traits<char>::length(What), By);
  return Pattern;
}

}  // namespace

std::string RapiLibraryName() {
  std::string Name = platform::GetEnv("HALVERN_RAPI_LIBRARY");
  if (!Name.empty()) return Name;
  return platform::SharedLibraryFileName("rapi", 2);
}

bool LoadRapi() {
  return Entries() != nullptr;
}

bool RapiAvailable() {
  return Entries() != nullptr;
}

void UnloadRapi() noexcept {
  TRapiState& S = State();
  std::lock_guard Guard(S.Lock);
  UnbindLocked(S);
}

bool RapiHasInitEx() {
  const TRapiEntries* E = Entries();
  return E != nullptr && E->CeRapiInitEx != nullptr;
}

bool RapiCanReplaceFiles() {
  const TRapiEntries* E = Entries();
  return E != nullptr && E->CeDeleteFile != nullptr && E->CeMoveFile != nullptr;
}

bool ReloadRapiForTests() {
  UnloadRapi();
  return LoadRapi();
}

rapi::HRESULT CeRapiInit() {
  const TRapiEntries* E = Entries();
  return E ? E->CeRapiInit() : rapi::RapiEFail;
}

rapi::HRESULT CeRapiUninit() {
  const TRapiEntries* E = Entries();
  return E ? E->CeRapiUninit() : rapi::RapiEFail;
}

rapi::HANDLE CeCreateFile(rapi::LPCWSTR FileName, rapi::DWORD DesiredAccess, rapi::DWORD ShareMode,
                          rapi::LPSECURITY_ATTRIBUTES SecurityAttributes, rapi::DWORD CreationDisposition,
                          rapi::DWORD FlagsAndAttributes, rapi::HANDLE TemplateFile) {
  const TRapiEntries* E = Entries();
  if (!E) return rapi::InvalidHandleValue();
  return E->CeCreateFile(FileName, DesiredAccess, ShareMode, SecurityAttributes, CreationDisposition,
                         FlagsAndAttributes, TemplateFile);
}

rapi::BOOL CeCloseHandle(rapi::HANDLE Object) {
  const TRapiEntries* E = Entries();
  return E ? E->CeCloseHandle(Object) : 0;
}

rapi::DWORD CeSetFilePointer(rapi::HANDLE File, rapi::LONG DistanceToMove, rapi::PLONG DistanceToMoveHigh,
                             rapi::DWORD MoveMethod) {
  const TRapiEntries* E = Entries();
  return E ? E->CeSetFilePointer(File, DistanceToMove, DistanceToMoveHigh, MoveMethod)
           : rapi::InvalidSetFilePointer;
}

rapi::BOOL CeSetEndOfFile(rapi::HANDLE File) {
  const TRapiEntries* E = Entries();
  return E ? E->CeSetEndOfFile(File) : 0;
}

rapi::BOOL CeReadFile(rapi::HANDLE File, rapi::LPVOID Buffer, rapi::DWORD NumberOfBytesToRead,
                      rapi::LPDWORD NumberOfBytesRead, rapi::LPOVERLAPPED Overlapped) {
  const TRapiEntries* E = Entries();
  if (!E) {
    if (NumberOfBytesRead) *NumberOfBytesRead = 0;
    return 0;
  }
  return E->CeReadFile(File, Buffer, NumberOfBytesToRead, NumberOfBytesRead, Overlapped);
}

rapi::BOOL CeWriteFile(rapi::HANDLE File, rapi::LPCVOID Buffer, rapi::DWORD NumberOfBytesToWrite,
                       rapi::LPDWORD NumberOfBytesWritten, rapi::LPOVERLAPPED Overlapped) {
  const TRapiEntries* E = Entries();
  if (!E) {
    if (NumberOfBytesWritten) *NumberOfBytesWritten = 0;
    return 0;
  }
  return E->CeWriteFile(File, Buffer, NumberOfBytesToWrite, NumberOfBytesWritten, Overlapped);
}

rapi::HRESULT CeRapiInitEx(rapi::RAPIINIT* RapiInit) {
  const TRapiEntries* E = Entries();
  return E && E->CeRapiInitEx ? E->CeRapiInitEx(RapiInit) : rapi::RapiEFail;
}

rapi::BOOL CeDeleteFile(rapi::LPCWSTR FileName) {
  const TRapiEntries* E = Entries();
  return E && E->CeDeleteFile ? E->CeDeleteFile(FileName) : 0;
}

rapi::BOOL CeMoveFile(rapi::LPCWSTR ExistingFileName, rapi::LPCWSTR NewFileName) {
  const TRapiEntries* E = Entries();
  return E && E->CeMoveFile ? E->CeMoveFile(ExistingFileName, NewFileName) : 0;
}

rapi::DWORD CeGetLastError() {
  const TRapiEntries* E = Entries();
  // Nothing bound: what a disconnected device answers.
  return E ? E->CeGetLastError() : rapi::ErrorDeviceNotConnected;
}

void RaiseCeError(uint32_t Code) {
  if (Code == 0) throw EOSError(SUnkOSError, 0);
  // %d: the code is shown as a signed 32-bit number, as the message has always shown it.
  std::string Message = ReplaceFirst(SOSError, "%d", std::to_string(static_cast<int32_t>(Code)));
  Message = ReplaceFirst(std::move(Message), "%s", platform::SystemErrorText(Code));
  throw EOSError(Message, Code);
}

void RaiseLastCeError() {
  RaiseCeError(CeGetLastError());
}

}  // namespace halvern
