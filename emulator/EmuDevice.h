// The emulated device: connection requests and state, open files with their pointers and share modes,
// the last error, injected faults, the link's delays and the counters. One process-wide instance
// (Device()); every operation takes its lock, so the exports may be called from any thread. The last
// error is global, not per thread.
//
// Connections are asked for by CeRapiInit, which blocks until the device is there, and by CeRapiInitEx,
// which returns at once; a watcher thread, running only while such a request is pending, connects it
// when the device appears and sets its event. The device is there once its root folder exists and any
// dock-after delay since the request has passed. CeRapiUninit ends the calling thread's latest request
// (pending, failed or connected), else cancels a CeRapiInit blocked on another thread, else ends the
// oldest request of another thread; it closes the request's event and joins an idle watcher, so the
// library can be unloaded once every request is ended.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "device/RapiTypes.h"
#include "emulator/EmuEvent.h"
#include "emulator/EmuFaults.h"
#include "emulator/EmuHostFile.h"
#include "emulator/EmuLink.h"
#include "emulator/RapiEmu.h"

namespace rapiemu {

namespace rapi = halvern::rapi;

class TEmuDevice {
 public:
  TEmuDevice() = default;
  TEmuDevice(const TEmuDevice&) = delete;
  TEmuDevice& operator=(const TEmuDevice&) = delete;
  ~TEmuDevice();

  rapi::HRESULT RapiInit();
  rapi::HRESULT RapiInitEx(rapi::RAPIINIT* Request);
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
  rapi::BOOL DeleteFile(rapi::LPCWSTR Name);
  rapi::BOOL MoveFile(rapi::LPCWSTR From, rapi::LPCWSTR To);
  rapi::DWORD GetLastError();
  // Sets the last error; used by the exports when an operation fails unexpectedly (e.g. out of memory).
  void Fail(rapi::DWORD Code);

  void GetCounters(RapiEmuCounters& Out);
  void ResetCounters();

 private:
  using TClock = std::chrono::steady_clock;

  // One connection asked for: by a CeRapiInit still waiting (Blocked), or one to be ended by CeRapiUninit.
  struct TSession {
    enum class TState { Blocked, Pending, Failed, Connected };
    TState State = TState::Blocked;
    std::thread::id Thread;
    std::filesystem::path Root;         // the device's folder as named when the connection was asked for
    TClock::time_point DockAt;          // the device appears no earlier
    bool Cancelled = false;             // Blocked: a CeRapiUninit of another thread ended the wait
    rapi::RAPIINIT* Request = nullptr;  // Pending: where the result goes
    TEmuEvent Event;                    // CeRapiInitEx requests: set when the result is in
  };
  using TSessionIt = std::list<TSession>::iterator;

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
  // True when a handle is open on the file with the folded host path Key.
  bool OpenLocked(const std::u16string& Key) const;
  // False (last error 1167) when no connection is open.
  bool ConnectedLocked();
  // Counts a call that can fail; true, with the last error set, when a fail-call fault takes it.
  bool FailsThisCallLocked();
  // Why a call on a path is refused before it looks at the path: a fail-call fault, no connection, or
  // Fault, the call's own injected fault; none when none of them.
  std::optional<rapi::DWORD> RefusalLocked(const std::optional<uint32_t>& Fault);
  // 0 with the host path of the device file Name, which exists and is no folder; else the error.
  rapi::DWORD ExistingFileLocked(rapi::LPCWSTR Name, std::filesystem::path& HostPath) const;
  // Counts a call that crosses the link and charges its time (with Bytes moved) to Pause.
  void CrossLinkLocked(TLinkPause& Pause, uint64_t Bytes = 0);
  // Writes the counters file, when one is named; fails in nothing.
  void PublishLocked() noexcept;
  void PublishToFileLocked();
  // What every connection request does first: reads the faults and the link, starts the call count.
  void BeginRequestLocked();
  TSession NewSessionLocked(TSession::TState State) const;
  bool DeviceHereLocked(const TSession& S) const;
  void ConnectLocked(TSession& S);
  // Ends a request (closing its event); the watcher to join after unlocking when none is left pending.
  std::thread EndLocked(TSessionIt It);
  // Connects the pending requests whose device is there; true while any is left pending.
  bool ServePendingLocked();
  // Fails every pending request through its event, with last error Code.
  void FailPendingLocked(rapi::DWORD Code) noexcept;
  void StartWatcherLocked();
  void Watch(uint64_t Generation);
  std::thread StopWatcherLocked();

  std::mutex FLock;
  std::condition_variable FWake;  // a request's state changed, or the watcher should look again
  rapi::DWORD FLastError = 0;
  uint32_t FOpenConnections = 0;
  std::filesystem::path FRoot;
  TFaults FFaults;
  TLink FLink;
  std::list<TSession> FSessions;
  std::thread FWatcher;
  uint64_t FWatcherGeneration = 0;  // a watcher runs while the generation it started with is current
  bool FWatching = false;
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
