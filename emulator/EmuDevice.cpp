#include "emulator/EmuDevice.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <system_error>

#include "emulator/EmuEnv.h"
#include "emulator/EmuPath.h"
#include "emulator/EmuText.h"

namespace rapiemu {
namespace {

constexpr uint32_t MaxDevicePosition = 0xFFFFFFFEu;  // 32-bit positions; 0xFFFFFFFF means failure
// How often a waiting CeRapiInit and the watcher look for the device.
constexpr std::chrono::milliseconds PollInterval{20};

}  // namespace

TEmuDevice& Device() {
  // Destroyed when the library is unloaded, so a test that loads and frees it repeatedly leaks nothing.
  static TEmuDevice D;
  return D;
}

TEmuDevice::~TEmuDevice() {
  std::thread Watcher;
  {
    std::lock_guard Guard(FLock);
    Watcher = StopWatcherLocked();
  }
  if (Watcher.joinable()) Watcher.join();
}

void TEmuDevice::BeginRequestLocked() {
  FFaults = ParseFaults(EnvText("HALVERN_DEVICE_FAULTS"));
  FLink = ParseLink(EnvText("HALVERN_DEVICE_LINK"));
  FConnectionCalls = 0;
}

TEmuDevice::TSession TEmuDevice::NewSessionLocked(TSession::TState State) const {
  TSession S;
  S.State = State;
  S.Thread = std::this_thread::get_id();
  S.Root = EnvPath("HALVERN_DEVICE_ROOT");
  S.DockAt = TClock::now() + std::chrono::milliseconds(FFaults.DockAfter.value_or(0));
  return S;
}

bool TEmuDevice::DeviceHereLocked(const TSession& S) const {
  std::error_code Ec;
  return TClock::now() >= S.DockAt && !S.Root.empty() && std::filesystem::is_directory(S.Root, Ec);
}

void TEmuDevice::ConnectLocked(TSession& S) {
  FRoot = S.Root;  // the one step that can fail (memory), so it comes before any change
  S.State = TSession::TState::Connected;
  FConnectionRead = FConnectionWritten = FConnectionSeeks = 0;
  ++FOpenConnections;
  ++FCounters.ConnectionsOpened;
  PublishLocked();
}

rapi::HRESULT TEmuDevice::RapiInit() {
  std::unique_lock Lock(FLock);
  ++FCounters.InitCalls;
  BeginRequestLocked();
  if (FailsThisCallLocked()) {
    PublishLocked();
    return rapi::RapiEFail;
  }
  if (FFaults.Init) {
    FLastError = *FFaults.Init;
    PublishLocked();
    return rapi::RapiEFail;
  }
  // As the real call: no answer until the device is there or another thread's CeRapiUninit ends the wait.
  const TSessionIt It = FSessions.insert(FSessions.end(), NewSessionLocked(TSession::TState::Blocked));
  for (;;) {
    if (It->Cancelled) {
      FSessions.erase(It);
      FLastError = rapi::ErrorDeviceNotConnected;
      PublishLocked();
      return rapi::RapiEFail;
    }
    if (DeviceHereLocked(*It)) break;
    FWake.wait_for(Lock, PollInterval);
  }
  try {
    ConnectLocked(*It);
  } catch (...) {
    FSessions.erase(It);  // refused, as any failure of this call: nothing for CeRapiUninit to end
    throw;
  }
  ++FCounters.ConnectionsAsked;
  PublishLocked();
  return rapi::RapiSOk;
}

rapi::HRESULT TEmuDevice::RapiInitEx(rapi::RAPIINIT* Request) {
  std::lock_guard Guard(FLock);
  ++FCounters.InitExCalls;
  if (Request == nullptr || Request->cbSize != sizeof(rapi::RAPIINIT)) {
    FLastError = rapi::ErrorInvalidParameter;
    PublishLocked();
    return rapi::RapiEInvalidArg;
  }
  BeginRequestLocked();
  TSession S = NewSessionLocked(TSession::TState::Pending);
  const bool Refused = FailsThisCallLocked();
  if (!Refused && !S.Event.Create()) FLastError = 8;  // not enough memory: no event to give
  if (Refused || !S.Event.Handle()) {
    PublishLocked();
    return rapi::RapiEFail;
  }
  Request->heRapiInit = S.Event.Handle();
  S.Request = Request;
  TSession& Added = *FSessions.insert(FSessions.end(), std::move(S));
  ++FCounters.ConnectionsAsked;
  if (FFaults.Init) {
    // Fails at once, as the plain call does, but through the event like any answer.
    FLastError = *FFaults.Init;
    Added.State = TSession::TState::Failed;
    std::atomic_ref<rapi::HRESULT>(Request->hrRapiInit).store(rapi::RapiEFail, std::memory_order_release);
    Added.Event.Set();
  } else {
    try {
      if (ServePendingLocked()) StartWatcherLocked();
    } catch (...) {
      // Memory, or a thread, ran out: the request is taken, so it fails through its event as a refused
      // connection does, and the caller still ends it.
      FailPendingLocked(rapi::ErrorOutOfMemory);
    }
  }
  PublishLocked();
  return rapi::RapiSOk;
}

void TEmuDevice::FailPendingLocked(rapi::DWORD Code) noexcept {
  for (TSession& S : FSessions) {
    if (S.State != TSession::TState::Pending) continue;
    S.State = TSession::TState::Failed;
    std::atomic_ref<rapi::HRESULT>(S.Request->hrRapiInit).store(rapi::RapiEFail, std::memory_order_release);
    S.Request = nullptr;
    S.Event.Set();
  }
  FLastError = Code;
}

bool TEmuDevice::ServePendingLocked() {
  bool Left = false;
  for (TSession& S : FSessions) {
    if (S.State != TSession::TState::Pending) continue;
    if (!DeviceHereLocked(S)) {
      Left = true;
      continue;
    }
    ConnectLocked(S);
    // Written before the event is set: the caller reads it once its wait ends.
    std::atomic_ref<rapi::HRESULT>(S.Request->hrRapiInit).store(rapi::RapiSOk, std::memory_order_release);
    S.Request = nullptr;
    S.Event.Set();
  }
  return Left;
}

void TEmuDevice::StartWatcherLocked() {
  if (FWatching) return;
  // A watcher that ended by itself has left its loop; joining it costs nothing.
  if (FWatcher.joinable()) FWatcher.join();
  FWatcher = std::thread([this, Generation = FWatcherGeneration] { Watch(Generation); });
  FWatching = true;  // only once there is a watcher: starting one can fail
}

void TEmuDevice::Watch(uint64_t Generation) {
  std::unique_lock Lock(FLock);
  try {
    while (Generation == FWatcherGeneration && ServePendingLocked()) FWake.wait_for(Lock, PollInterval);
  } catch (...) {
    FailPendingLocked(rapi::ErrorOutOfMemory);  // nothing may leave a thread
  }
  if (Generation == FWatcherGeneration) FWatching = false;
}

std::thread TEmuDevice::StopWatcherLocked() {
  ++FWatcherGeneration;
  FWatching = false;
  FWake.notify_all();
  return std::move(FWatcher);
}

std::thread TEmuDevice::EndLocked(TSessionIt It) {
  if (It->State == TSession::TState::Connected) {
    --FOpenConnections;
    ++FCounters.ConnectionsClosed;
  }
  ++FCounters.ConnectionsEnded;
  FSessions.erase(It);  // closes the event: the caller must not wait on it any more
  const bool Pending = std::any_of(FSessions.begin(), FSessions.end(),
                                   [](const TSession& S) { return S.State == TSession::TState::Pending; });
  return Pending ? std::thread() : StopWatcherLocked();
}

rapi::HRESULT TEmuDevice::RapiUninit() {
  std::thread Watcher;
  {
    std::lock_guard Guard(FLock);
    ++FCounters.UninitCalls;
    const auto Blocked = [](const TSession& S) { return S.State == TSession::TState::Blocked; };
    TSessionIt Found = FSessions.end();
    for (auto It = FSessions.begin(); It != FSessions.end(); ++It) {
      if (!Blocked(*It) && It->Thread == std::this_thread::get_id()) Found = It;  // the latest one
    }
    if (Found == FSessions.end()) {
      const auto Waiting = std::find_if(FSessions.begin(), FSessions.end(),
                                        [&](const TSession& S) { return Blocked(S) && !S.Cancelled; });
      if (Waiting != FSessions.end()) {
        Waiting->Cancelled = true;
        FWake.notify_all();
        PublishLocked();
        return rapi::RapiSOk;
      }
      Found = std::find_if_not(FSessions.begin(), FSessions.end(), Blocked);
    }
    if (Found == FSessions.end()) {
      PublishLocked();
      return rapi::RapiEFail;
    }
    Watcher = EndLocked(Found);
    PublishLocked();
  }
  if (Watcher.joinable()) Watcher.join();
  return rapi::RapiSOk;
}

void TEmuDevice::CrossLinkLocked(TLinkPause& Pause, uint64_t Bytes) {
  ++FCounters.LinkCalls;
  Pause.Charge(FLink.PerCall + FLink.ByteTime(Bytes));
}

bool TEmuDevice::FailsThisCallLocked() {
  ++FConnectionCalls;
  if (!FFaults.FailCall || FConnectionCalls != FFaults.FailCall->Limit) return false;
  FLastError = FFaults.FailCall->Code;
  ++FCounters.FaultsFired;
  return true;
}

std::optional<rapi::DWORD> TEmuDevice::RefusalLocked(const std::optional<uint32_t>& Fault) {
  if (FailsThisCallLocked()) return FLastError;
  if (!ConnectedLocked()) return rapi::ErrorDeviceNotConnected;
  return Fault;
}

rapi::DWORD TEmuDevice::ExistingFileLocked(rapi::LPCWSTR Name, std::filesystem::path& HostPath) const {
  if (Name == nullptr) return rapi::ErrorInvalidParameter;
  TResolvedPath P = ResolveDevicePath(FRoot, std::u16string_view(Name));
  if (P.Error != 0) return P.Error;
  if (!P.Exists) return rapi::ErrorFileNotFound;
  if (P.IsDirectory) return rapi::ErrorAccessDenied;
  HostPath = std::move(P.HostPath);
  return 0;
}

bool TEmuDevice::ConnectedLocked() {
  if (FOpenConnections > 0) return true;
  FLastError = rapi::ErrorDeviceNotConnected;
  return false;
}

TEmuDevice::TOpenFile* TEmuDevice::FindLocked(rapi::HANDLE Handle) {
  const auto It = FFiles.find(reinterpret_cast<uintptr_t>(Handle));
  if (It != FFiles.end()) return &It->second;
  FLastError = rapi::ErrorInvalidHandle;
  return nullptr;
}

// Two opens of one file agree only when each grants the sharing the other's access needs.
bool TEmuDevice::SharingConflictLocked(const std::u16string& Key, rapi::DWORD Access,
                                       rapi::DWORD Share) const {
  const auto Needs = [](rapi::DWORD A, rapi::DWORD GrantedByOther) {
    return ((A & rapi::GenericRead) && !(GrantedByOther & rapi::FileShareRead)) ||
           ((A & rapi::GenericWrite) && !(GrantedByOther & rapi::FileShareWrite));
  };
  for (const auto& [H, F] : FFiles) {
    if (F.Key == Key && (Needs(Access, F.Share) || Needs(F.Access, Share))) return true;
  }
  return false;
}

rapi::HANDLE TEmuDevice::CreateFile(rapi::LPCWSTR Name, rapi::DWORD Access, rapi::DWORD Share,
                                    rapi::DWORD Disposition) {
  TLinkPause Pause;  // waited out after the lock is released
  std::lock_guard Guard(FLock);
  ++FCounters.CreateFileCalls;
  CrossLinkLocked(Pause);
  const auto Refuse = [this](rapi::DWORD Code) {
    FLastError = Code;
    PublishLocked();
    return rapi::InvalidHandleValue();
  };
  if (const auto E = RefusalLocked(FFaults.Open)) return Refuse(*E);
  if (Name == nullptr) return Refuse(rapi::ErrorInvalidParameter);
  if (Disposition < rapi::CreateNew || Disposition > rapi::TruncateExisting) {
    return Refuse(rapi::ErrorInvalidParameter);
  }
  const TResolvedPath P = ResolveDevicePath(FRoot, std::u16string_view(Name));
  if (P.Error != 0) return Refuse(P.Error);
  if (P.IsDirectory) return Refuse(rapi::ErrorAccessDenied);
  const bool Creates =
      Disposition == rapi::CreateNew || Disposition == rapi::CreateAlways || Disposition == rapi::OpenAlways;
  if (!P.Exists && !Creates) return Refuse(rapi::ErrorFileNotFound);
  if (P.Exists && Disposition == rapi::CreateNew) return Refuse(rapi::ErrorFileExists);
  const bool Truncates =
      P.Exists && (Disposition == rapi::CreateAlways || Disposition == rapi::TruncateExisting);
  if (Disposition == rapi::TruncateExisting && !(Access & rapi::GenericWrite)) {
    return Refuse(rapi::ErrorInvalidParameter);
  }
  std::u16string Key = FoldName(P.HostPath.u16string());
  if (P.Exists && SharingConflictLocked(Key, Access, Share)) return Refuse(rapi::ErrorSharingViolation);

  // The handle's place first: once the host file is made or emptied, nothing may fail any more.
  const uintptr_t Handle = FNextHandle;
  // Not try_emplace: it names std::piecewise_construct, a unique symbol in a debug build, which would
  // keep the library loaded after dlclose.
  const auto Place = FFiles.emplace(Handle, TOpenFile()).first;
  TOpenFile& F = Place->second;
  const bool Write = (Access & rapi::GenericWrite) != 0;
  const bool Read = (Access & rapi::GenericRead) != 0;
  if (const uint32_t E = F.File.Open(P.HostPath, Read, Write || Creates || Truncates, Creates, Truncates)) {
    FFiles.erase(Place);
    return Refuse(E);
  }
  F.Key = std::move(Key);
  F.Access = Access;
  F.Share = Share;
  FNextHandle += 4;
  // Win32 reports an existing file replaced or reopened this way even on success.
  FLastError = P.Exists && (Disposition == rapi::CreateAlways || Disposition == rapi::OpenAlways)
                   ? rapi::ErrorAlreadyExists
                   : 0;
  ++FCounters.FilesOpened;
  PublishLocked();
  return reinterpret_cast<rapi::HANDLE>(Handle);
}

rapi::BOOL TEmuDevice::CloseHandle(rapi::HANDLE Handle) {
  TLinkPause Pause;
  std::lock_guard Guard(FLock);
  CrossLinkLocked(Pause);
  const auto It = FFiles.find(reinterpret_cast<uintptr_t>(Handle));
  if (It == FFiles.end()) {
    FLastError = rapi::ErrorInvalidHandle;
    return 0;
  }
  FFiles.erase(It);
  ++FCounters.HandlesClosed;
  PublishLocked();
  return 1;
}

rapi::DWORD TEmuDevice::SetFilePointer(rapi::HANDLE Handle, rapi::LONG Distance, rapi::PLONG DistanceHigh,
                                       rapi::DWORD Method) {
  TLinkPause Pause;
  std::lock_guard Guard(FLock);
  ++FCounters.SeekCalls;
  CrossLinkLocked(Pause);
  ++FConnectionSeeks;
  const bool Fails = FailsThisCallLocked();
  PublishLocked();
  if (Fails) return rapi::InvalidSetFilePointer;
  if (!ConnectedLocked()) return rapi::InvalidSetFilePointer;
  TOpenFile* F = FindLocked(Handle);
  if (F == nullptr) return rapi::InvalidSetFilePointer;
  if (FFaults.SeekAfter && FConnectionSeeks > FFaults.SeekAfter->Limit) {
    FLastError = FFaults.SeekAfter->Code;
    return rapi::InvalidSetFilePointer;
  }
  int64_t Move = Distance;
  if (DistanceHigh != nullptr) {
    Move = static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*DistanceHigh)) << 32) |
                                static_cast<uint32_t>(Distance));
  }
  int64_t Base = 0;
  if (Method == rapi::FileCurrent) {
    Base = static_cast<int64_t>(F->Pointer);
  } else if (Method == rapi::FileEnd) {
    uint64_t Size = 0;
    if (const uint32_t E = F->File.Size(Size)) {
      FLastError = E;
      return rapi::InvalidSetFilePointer;
    }
    Base = static_cast<int64_t>(Size);
  } else if (Method != rapi::FileBegin) {
    FLastError = rapi::ErrorInvalidParameter;
    return rapi::InvalidSetFilePointer;
  }
  const int64_t Target = Base + Move;
  if (Target < 0) {
    FLastError = rapi::ErrorNegativeSeek;
    return rapi::InvalidSetFilePointer;
  }
  if (DistanceHigh == nullptr && Target > MaxDevicePosition) {
    FLastError = rapi::ErrorInvalidParameter;
    return rapi::InvalidSetFilePointer;
  }
  F->Pointer = static_cast<uint64_t>(Target);
  if (DistanceHigh != nullptr) *DistanceHigh = static_cast<rapi::LONG>(F->Pointer >> 32);
  FLastError = 0;
  return static_cast<rapi::DWORD>(F->Pointer);
}

rapi::BOOL TEmuDevice::SetEndOfFile(rapi::HANDLE Handle) {
  TLinkPause Pause;
  std::lock_guard Guard(FLock);
  ++FCounters.SetEndOfFileCalls;
  CrossLinkLocked(Pause);
  const bool Fails = FailsThisCallLocked();
  PublishLocked();
  if (Fails || !ConnectedLocked()) return 0;
  TOpenFile* F = FindLocked(Handle);
  if (F == nullptr) return 0;
  if (FFaults.SetEof) {
    FLastError = *FFaults.SetEof;
    return 0;
  }
  if (!(F->Access & rapi::GenericWrite)) {
    FLastError = rapi::ErrorAccessDenied;
    return 0;
  }
  if (const uint32_t E = F->File.Resize(F->Pointer)) {
    FLastError = E;
    return 0;
  }
  return 1;
}

TEmuDevice::TOpenFile* TEmuDevice::BeginTransferLocked(rapi::HANDLE Handle, const void* Buffer,
                                                       rapi::DWORD Count, rapi::LPDWORD Done,
                                                       rapi::DWORD Access) {
  if (Done != nullptr) *Done = 0;
  if (!ConnectedLocked()) return nullptr;
  TOpenFile* F = FindLocked(Handle);
  if (F == nullptr) return nullptr;
  if (Done == nullptr || (Buffer == nullptr && Count > 0)) {
    FLastError = rapi::ErrorInvalidParameter;
    return nullptr;
  }
  if (!(F->Access & Access)) {
    FLastError = rapi::ErrorAccessDenied;
    return nullptr;
  }
  return F;
}

rapi::BOOL TEmuDevice::ReadFile(rapi::HANDLE Handle, void* Buffer, rapi::DWORD Count, rapi::LPDWORD Done) {
  TLinkPause Pause;
  std::lock_guard Guard(FLock);
  ++FCounters.ReadCalls;
  CrossLinkLocked(Pause);
  const bool Fails = FailsThisCallLocked();
  PublishLocked();
  if (Fails) return 0;
  TOpenFile* F = BeginTransferLocked(Handle, Buffer, Count, Done, rapi::GenericRead);
  if (F == nullptr) return 0;
  uint64_t Size = 0;
  if (const uint32_t E = F->File.Size(Size)) {
    FLastError = E;
    return 0;
  }
  const uint64_t Available = F->Pointer < Size ? Size - F->Pointer : 0;
  const auto Deliver = static_cast<uint32_t>(std::min<uint64_t>(Count, Available));
  if (FFaults.ReadAfter && Deliver > 0 && FConnectionRead + Deliver > FFaults.ReadAfter->Limit) {
    FLastError = FFaults.ReadAfter->Code;
    return 0;
  }
  uint32_t Got = 0;
  if (const uint32_t E = F->File.ReadAt(F->Pointer, Buffer, Deliver, Got)) {
    FLastError = E;
    return 0;
  }
  F->Pointer += Got;
  FConnectionRead += Got;
  FCounters.BytesRead += Got;
  Pause.Charge(FLink.ByteTime(Got));
  *Done = Got;
  PublishLocked();
  return 1;
}

rapi::BOOL TEmuDevice::WriteFile(rapi::HANDLE Handle, const void* Buffer, rapi::DWORD Count,
                                 rapi::LPDWORD Done) {
  TLinkPause Pause;
  std::lock_guard Guard(FLock);
  ++FCounters.WriteCalls;
  CrossLinkLocked(Pause);
  const bool Fails = FailsThisCallLocked();
  PublishLocked();
  if (Fails) return 0;
  TOpenFile* F = BeginTransferLocked(Handle, Buffer, Count, Done, rapi::GenericWrite);
  if (F == nullptr) return 0;
  uint32_t Want = Count;
  rapi::DWORD FailCode = 0;
  if (FFaults.ShortWrite) Want = Count / 2;
  if (FFaults.WriteAfter && FConnectionWritten + Want > FFaults.WriteAfter->Limit) {
    Want = static_cast<uint32_t>(
        FFaults.WriteAfter->Limit > FConnectionWritten ? FFaults.WriteAfter->Limit - FConnectionWritten : 0);
    FailCode = FFaults.WriteAfter->Code;
  }
  if (F->Pointer + Want > MaxDevicePosition) {
    FLastError = rapi::ErrorDiskFull;
    return 0;
  }
  uint32_t Put = 0;
  const uint32_t E = Want > 0 ? F->File.WriteAt(F->Pointer, Buffer, Want, Put) : 0;
  F->Pointer += Put;
  FConnectionWritten += Put;
  FCounters.BytesWritten += Put;
  Pause.Charge(FLink.ByteTime(Put));
  *Done = Put;
  PublishLocked();
  if (E != 0 || FailCode != 0) {
    FLastError = E != 0 ? E : FailCode;
    return 0;
  }
  return 1;
}

// Listing the device is not needed by the engine; the find calls exist so the binding is complete, and
// answer as a device with nothing to list.
rapi::HANDLE TEmuDevice::FindFirstFile(rapi::LPCWSTR, rapi::LPCE_FIND_DATA) {
  std::lock_guard Guard(FLock);
  FLastError = ConnectedLocked() ? rapi::ErrorNoMoreFiles : rapi::ErrorDeviceNotConnected;
  return rapi::InvalidHandleValue();
}

rapi::BOOL TEmuDevice::FindNextFile(rapi::HANDLE, rapi::LPCE_FIND_DATA) {
  std::lock_guard Guard(FLock);
  FLastError = rapi::ErrorInvalidHandle;
  return 0;
}

rapi::BOOL TEmuDevice::FindClose(rapi::HANDLE) {
  std::lock_guard Guard(FLock);
  FLastError = rapi::ErrorInvalidHandle;
  return 0;
}

rapi::BOOL TEmuDevice::DeleteFile(rapi::LPCWSTR Name) {
  TLinkPause Pause;
  std::lock_guard Guard(FLock);
  ++FCounters.DeleteFileCalls;
  CrossLinkLocked(Pause);
  const auto Refuse = [this](rapi::DWORD Code) {
    FLastError = Code;
    PublishLocked();
    return rapi::BOOL{0};
  };
  if (const auto E = RefusalLocked(FFaults.Delete)) return Refuse(*E);
  std::filesystem::path File;
  if (const rapi::DWORD E = ExistingFileLocked(Name, File)) return Refuse(E);
  // An open file cannot be deleted (the counting program holding its list open, say).
  if (OpenLocked(FoldName(File.u16string()))) return Refuse(rapi::ErrorSharingViolation);
  if (const uint32_t E = RemoveHostFile(File)) return Refuse(E);
  FLastError = 0;
  PublishLocked();
  return 1;
}

rapi::BOOL TEmuDevice::MoveFile(rapi::LPCWSTR From, rapi::LPCWSTR To) {
  TLinkPause Pause;
  std::lock_guard Guard(FLock);
  ++FCounters.MoveFileCalls;
  CrossLinkLocked(Pause);
  const auto Refuse = [this](rapi::DWORD Code) {
    FLastError = Code;
    PublishLocked();
    return rapi::BOOL{0};
  };
  if (const auto E = RefusalLocked(FFaults.Move)) return Refuse(*E);
  if (To == nullptr) return Refuse(rapi::ErrorInvalidParameter);
  std::filesystem::path Source;  // the engine moves files only
  if (const rapi::DWORD E = ExistingFileLocked(From, Source)) return Refuse(E);
  const TResolvedPath Target = ResolveDevicePath(FRoot, std::u16string_view(To));
  if (Target.Error != 0) return Refuse(Target.Error);
  // The new name must not exist, whatever its letter case.
  if (Target.Exists) return Refuse(rapi::ErrorAlreadyExists);
  if (OpenLocked(FoldName(Source.u16string()))) return Refuse(rapi::ErrorSharingViolation);
  if (const uint32_t E = RenameHostFile(Source, Target.HostPath)) return Refuse(E);
  FLastError = 0;
  PublishLocked();
  return 1;
}

bool TEmuDevice::OpenLocked(const std::u16string& Key) const {
  return std::any_of(FFiles.begin(), FFiles.end(),
                     [&](const auto& Entry) { return Entry.second.Key == Key; });
}

rapi::DWORD TEmuDevice::GetLastError() {
  std::lock_guard Guard(FLock);
  return FLastError;
}

void TEmuDevice::Fail(rapi::DWORD Code) {
  std::lock_guard Guard(FLock);
  FLastError = Code;
}

void TEmuDevice::GetCounters(RapiEmuCounters& Out) {
  std::lock_guard Guard(FLock);
  Out = FCounters;
}

void TEmuDevice::ResetCounters() {
  std::lock_guard Guard(FLock);
  FCounters = RapiEmuCounters{};
  PublishLocked();
}

void TEmuDevice::PublishLocked() noexcept {
  // The counters file is for tests in another process; failing to write it fails no call.
  try {
    PublishToFileLocked();
  } catch (...) {
  }
}

void TEmuDevice::PublishToFileLocked() {
  const std::filesystem::path Path = EnvPath("HALVERN_DEVICE_COUNTERS");
  if (Path.empty()) return;
  std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
  Out << "ConnectionsOpened=" << FCounters.ConnectionsOpened << "\n"
      << "ConnectionsClosed=" << FCounters.ConnectionsClosed << "\n"
      << "FilesOpened=" << FCounters.FilesOpened << "\n"
      << "HandlesClosed=" << FCounters.HandlesClosed << "\n"
      << "InitCalls=" << FCounters.InitCalls << "\n"
      << "CreateFileCalls=" << FCounters.CreateFileCalls << "\n"
      << "ReadCalls=" << FCounters.ReadCalls << "\n"
      << "WriteCalls=" << FCounters.WriteCalls << "\n"
      << "SeekCalls=" << FCounters.SeekCalls << "\n"
      << "SetEndOfFileCalls=" << FCounters.SetEndOfFileCalls << "\n"
      << "BytesRead=" << FCounters.BytesRead << "\n"
      << "BytesWritten=" << FCounters.BytesWritten << "\n"
      << "FaultsFired=" << FCounters.FaultsFired << "\n"
      << "InitExCalls=" << FCounters.InitExCalls << "\n"
      << "UninitCalls=" << FCounters.UninitCalls << "\n"
      << "ConnectionsAsked=" << FCounters.ConnectionsAsked << "\n"
      << "ConnectionsEnded=" << FCounters.ConnectionsEnded << "\n"
      << "DeleteFileCalls=" << FCounters.DeleteFileCalls << "\n"
      << "MoveFileCalls=" << FCounters.MoveFileCalls << "\n"
      << "LinkCalls=" << FCounters.LinkCalls << "\n";
}

}  // namespace rapiemu
