// The emulated device: connection state, open files with their pointers and share modes, the last
// error, injected faults and the counters. One process-wide instance (Device()); every operation takes
// its lock, so the exports may be called from any thread. The last error is global, not per thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>

#include "device/RapiTypes.h"
#include "emulator/EmuFaults.h"
#include "emulator/EmuHostFile.h"
#include "emulator/RapiEmu.h"

namespace rapiemu {

namespace rapi = halvern::rapi;

class TEmuDevice {
 public:
  rapi::HRESULT RapiInit();
  rapi::HRESULT RapiUninit();
  rapi::HANDLE CreateFile(rapi::LPCWSTR Name, rapi::DWORD Access, rapi::DWORD Share, rapi::DWORD Disposition);
  rapi::BOOL CloseHandle(rapi::HANDLE Handle);
  rapi::DWORD SetFilePointer(rapi::HANDLE Handle, rapi::LONG Distance, rapi::PLONG DistanceHigh,
                             rapi::DWORD Method);
  rapi::BOOL SetEndOfFile(rapi::HANDLE Handle);
  rapi::BOOL ReadFile(rapi::HANDLE Handle, void* Buffer, rapi::DWORD Count, rapi::LPDWORD Done);
  rapi::BOOL WriteFile(rapi::HANDLE Handle, const void* Buffer, rapi::DWORD Count, rapi::LPDWORD Done);
  rapi::HANDLE FindFirstFile(rapi::LPCWSTR Name, rapi::LPCE_FIND_DATA Data);
  rapi::BOOL FindNextFile(rapi::HANDLE Handle, rapi::LPCE_FIND_DATA Data);
  rapi::BOOL FindClose(rapi::HANDLE Handle);
  rapi::DWORD GetLastError();
  // Sets the last error; used by the exports when an operation fails unexpectedly (e.g. out of memory).
  void Fail(rapi::DWORD Code);

  void GetCounters(RapiEmuCounters& Out);
  void ResetCounters();

 private:
  struct TOpenFile {
    THostFile File;
    std::u16string Key;  // folded host path: the identity for share checks
    rapi::DWORD Access = 0;
    rapi::DWORD Share = 0;
    uint64_t Pointer = 0;
  };

  TOpenFile* FindLocked(rapi::HANDLE Handle);
  // The checks a read or write makes before moving bytes: connected, a known handle, a place for the
  // count, a buffer, and the access the file was opened with. Null, with the last error set, on failure.
  TOpenFile* BeginTransferLocked(rapi::HANDLE Handle, const void* Buffer, rapi::DWORD Count,
                                 rapi::LPDWORD Done, rapi::DWORD Access);
  bool SharingConflictLocked(const std::u16string& Key, rapi::DWORD Access, rapi::DWORD Share) const;
  // False (last error 1167) when no connection is open.
  bool ConnectedLocked();
  // Counts a call that can fail; true, with the last error set, when a fail-call fault takes it.
  bool FailsThisCallLocked();
  void PublishLocked();

  std::mutex FLock;
  rapi::DWORD FLastError = 0;
  uint32_t FOpenConnections = 0;
  std::filesystem::path FRoot;
  TFaults FFaults;
  uint64_t FConnectionRead = 0;     // bytes read since the last CeRapiInit
  uint64_t FConnectionWritten = 0;  // bytes written since the last CeRapiInit
  uint64_t FConnectionSeeks = 0;    // CeSetFilePointer calls since the last CeRapiInit
  uint64_t FConnectionCalls = 0;    // calls that can fail since the last CeRapiInit, it included
  std::map<uintptr_t, TOpenFile> FFiles;
  uintptr_t FNextHandle = 0x100;
  RapiEmuCounters FCounters{};
};

TEmuDevice& Device();

}  // namespace rapiemu
