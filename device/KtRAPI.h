// Run-time binding of the device's remote API and the device file stream.
//
// The library is bound on first use (RapiAvailable, LoadRapi or any entry point below), never at load
// time, so the engine loads cleanly on a PC without the device connection software and never loads a
// library under the Windows loader lock. It is the file named by HALVERN_RAPI_LIBRARY when that
// variable is set and not empty, else "rapi.dll" on Windows and "librapi.so.2" elsewhere. A library
// lacking any of the twelve required entry points counts as unavailable and is released at once; the
// three optional ones (CeRapiInitEx, CeDeleteFile, CeMoveFile) are bound when present.
//
// Thread-safety: binding and unbinding are serialised by a lock, and an entry point called while
// nothing is bound answers like a disconnected device (failure, last error 1167). UnloadRapi must not
// race with device calls in flight: the engine calls it only when it is being unloaded.
#pragma once

#include <cstdint>
#include <string>

#include "device/RApiStream.h"
#include "device/RapiTypes.h"

namespace halvern {

// Binds the library if that has not been tried since start-up or the last UnloadRapi; true when bound.
bool LoadRapi();
// Frees the bound library; the next LoadRapi or RapiAvailable binds again. On Linux this also runs when
// the engine library is unloaded; on Windows the engine's unload path calls it (not at process exit).
void UnloadRapi() noexcept;
// True when all twelve entry points are bound; binds on first use.
bool RapiAvailable();
// True when the bound library also has CeRapiInitEx, so a connection can be waited for with a time-out.
bool RapiHasInitEx();
// True when the bound library also has CeDeleteFile and CeMoveFile, so a file can be replaced whole.
bool RapiCanReplaceFiles();
// Unbinds and binds again, reading HALVERN_RAPI_LIBRARY anew; for tests that try several libraries.
bool ReloadRapiForTests();
// The library that binding loads: the variable's value or the platform's default name.
std::string RapiLibraryName();

// The bound entry points. They are the device's own calls; when nothing is bound they fail the way a
// disconnected device does, so a caller that skipped RapiAvailable gets an error, not a crash.
rapi::HRESULT CeRapiInit();
rapi::HRESULT CeRapiUninit();
rapi::HANDLE CeCreateFile(rapi::LPCWSTR FileName, rapi::DWORD DesiredAccess, rapi::DWORD ShareMode,
                          rapi::LPSECURITY_ATTRIBUTES SecurityAttributes, rapi::DWORD CreationDisposition,
                          rapi::DWORD FlagsAndAttributes, rapi::HANDLE TemplateFile);
rapi::BOOL CeCloseHandle(rapi::HANDLE Object);
rapi::DWORD CeSetFilePointer(rapi::HANDLE File, rapi::LONG DistanceToMove, rapi::PLONG DistanceToMoveHigh,
                             rapi::DWORD MoveMethod);
rapi::BOOL CeSetEndOfFile(rapi::HANDLE File);
rapi::BOOL CeReadFile(rapi::HANDLE File, rapi::LPVOID Buffer, rapi::DWORD NumberOfBytesToRead,
                      rapi::LPDWORD NumberOfBytesRead, rapi::LPOVERLAPPED Overlapped);
rapi::BOOL CeWriteFile(rapi::HANDLE File, rapi::LPCVOID Buffer, rapi::DWORD NumberOfBytesToWrite,
                       rapi::LPDWORD NumberOfBytesWritten, rapi::LPOVERLAPPED Overlapped);
rapi::DWORD CeGetLastError();
// The optional entry points; when the library lacks one, it fails without a device call.
rapi::HRESULT CeRapiInitEx(rapi::RAPIINIT* RapiInit);
rapi::BOOL CeDeleteFile(rapi::LPCWSTR FileName);
rapi::BOOL CeMoveFile(rapi::LPCWSTR ExistingFileName, rapi::LPCWSTR NewFileName);

// Raises EOSError for CeGetLastError(): "System Error.  Code: %d.\r\n%s" with the system's text for the
// code, or "A call to an OS function failed" when the code is 0.
[[noreturn]] void RaiseLastCeError();
// The same for a code the caller already has.
[[noreturn]] void RaiseCeError(uint32_t Code);

}  // namespace halvern
