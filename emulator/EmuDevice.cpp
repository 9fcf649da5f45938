#include "emulator/EmuDevice.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "emulator/EmuEnv.h"
#include "emulator/EmuPath.h"
#include "emulator/EmuText.h"

namespace rapiemu {
namespace {

constexpr uint32_t MaxDevicePosition = 0xFFFFFFFEu;  // 32-bit positions; 0xFFFFFFFF means failure

}  // namespace

TEmuDevice& Device() {
  // Destroyed when the library is unloaded, so a test that loads and frees it repeatedly leaks nothing.
  static TEmuDevice D;
  return D;
}

rapi::HRESULT TEmuDevice::RapiInit() {
  std::lock_guard Guard(FLock);
  ++FCounters.InitCalls;
  FFaults = ParseFaults(EnvText("HALVERN_DEVICE_FAULTS"));
  FConnectionCalls = 0;
  if (FailsThisCallLocked()) {
    PublishLocked();
    return rapi::RapiEFail;
  }
  std::error_code Ec;
  const std::filesystem::path Root = EnvPath("HALVERN_DEVICE_ROOT");
  if (FFaults.Init || Root.empty() || !std::filesystem::is_directory(Root, Ec)) {
    FLastError = FFaults.Init.value_or(rapi::ErrorDeviceNotConnected);
    PublishLocked();
    return rapi::RapiEFail;
  }
  FRoot = Root;
  FConnectionRead = FConnectionWritten = FConnectionSeeks = 0;
  ++FOpenConnections;
  ++FCounters.ConnectionsOpened;
  PublishLocked();
  return rapi::RapiSOk;
}

rapi::HRESULT TEmuDevice::RapiUninit() {
  std::lock_guard Guard(FLock);
  if (FOpenConnections == 0) return rapi::RapiEFail;
  --FOpenConnections;
  ++FCounters.ConnectionsClosed;
  PublishLocked();
  return rapi::RapiSOk;
}

bool TEmuDevice::FailsThisCallLocked() {
  ++FConnectionCalls;
  if (!FFaults.FailCall || FConnectionCalls != FFaults.FailCall->Limit) return false;
  FLastError = FFaults.FailCall->Code;
  ++FCounters.FaultsFired;
  return true;
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
  std::lock_guard Guard(FLock);
  ++FCounters.CreateFileCalls;
  const auto Refuse = [this](rapi::DWORD Code) {
    FLastError = Code;
    PublishLocked();
    return rapi::InvalidHandleValue();
  };
  if (FailsThisCallLocked()) return Refuse(FLastError);
  if (!ConnectedLocked()) return Refuse(rapi::ErrorDeviceNotConnected);
  if (FFaults.Open) return Refuse(*FFaults.Open);
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

  TOpenFile F;
  const bool Write = (Access & rapi::GenericWrite) != 0;
  const bool Read = (Access & rapi::GenericRead) != 0;
  if (const uint32_t E = F.File.Open(P.HostPath, Read, Write || Creates || Truncates, Creates, Truncates)) {
    return Refuse(E);
  }
  F.Key = std::move(Key);
  F.Access = Access;
  F.Share = Share;
  const uintptr_t Handle = FNextHandle;
  FNextHandle += 4;
  FFiles.emplace(Handle, std::move(F));
  // Win32 reports an existing file replaced or reopened this way even on success.
  FLastError = P.Exists && (Disposition == rapi::CreateAlways || Disposition == rapi::OpenAlways)
                   ? rapi::ErrorAlreadyExists
                   : 0;
  ++FCounters.FilesOpened;
  PublishLocked();
  return reinterpret_cast<rapi::HANDLE>(Handle);
}

rapi::BOOL TEmuDevice::CloseHandle(rapi::HANDLE Handle) {
  std::lock_guard Guard(FLock);
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
  std::lock_guard Guard(FLock);
  ++FCounters.SeekCalls;
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
  std::lock_guard Guard(FLock);
  ++FCounters.SetEndOfFileCalls;
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
  std::lock_guard Guard(FLock);
  ++FCounters.ReadCalls;
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
  *Done = Got;
  PublishLocked();
  return 1;
}

rapi::BOOL TEmuDevice::WriteFile(rapi::HANDLE Handle, const void* Buffer, rapi::DWORD Count,
                                 rapi::LPDWORD Done) {
  std::lock_guard Guard(FLock);
  ++FCounters.WriteCalls;
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

void TEmuDevice::PublishLocked() {
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
      << "FaultsFired=" << FCounters.FaultsFired << "\n";
}

}  // namespace rapiemu
