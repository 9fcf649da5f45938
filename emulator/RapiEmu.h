// The device emulator's own interface, for tests and the host program: a library that exports the
// twelve remote-API entry points and the three optional ones, CeRapiInitEx, CeDeleteFile and
// CeMoveFile (with the same signatures as device/RapiTypes.h; rapiemu_basic lacks the three), and
// plays a Windows CE device over a local folder. The engine never loads it unless HALVERN_RAPI_LIBRARY
// names it.
//
// Connecting plays the real link: CeRapiInit returns only once the device is there, or E_FAIL (1167)
// when another thread's CeRapiUninit ends its wait; CeRapiInitEx returns S_OK at once and sets its event
// (a Win32 event, an eventfd on Linux; the emulator's, closed by CeRapiUninit) when the device appears,
// with hrRapiInit S_OK. The device is there once its root folder exists and any dock-after delay has
// passed. CeRapiUninit ends the calling thread's latest request, connected or not.
//
// Environment, read at each CeRapiInit and CeRapiInitEx (so a test can change it between connections):
//   HALVERN_DEVICE_ROOT     folder that holds the device's file system. Unset, empty or not a folder:
//                           no device docked (until the folder appears).
//   HALVERN_DEVICE_FAULTS   comma-separated faults to inject during the connection:
//     init[=CODE]           the connection fails at once, last error CODE (default 1167): CeRapiInit
//                           returns E_FAIL, CeRapiInitEx sets its event with hrRapiInit E_FAIL
//     dock-after=MS         the device appears MS milliseconds after the connection is asked for
//     open[=CODE]           every CeCreateFile fails with CODE (default 5)
//     read-after=N[:CODE]   a CeReadFile that would take the connection's total read past N bytes fails
//                           with CODE (default 1167); reads at the end of a file (0 bytes) still succeed
//     write-after=N[:CODE]  a CeWriteFile that would take the total written past N bytes writes only up
//                           to N, reports that count and fails with CODE (default 112, disk full)
//     short-write           CeWriteFile writes and reports half the bytes asked and returns TRUE
//     seteof[=CODE]         CeSetEndOfFile fails with CODE (default 5)
//     seek-after=N[:CODE]   CeSetFilePointer calls after the first N of the connection fail with CODE
//                           (default 1167)
//     delete[=CODE]         every CeDeleteFile fails with CODE (default 5)
//     move[=CODE]           every CeMoveFile fails with CODE (default 5)
//     fail-call=N[:CODE]    the N-th device call of the connection fails with CODE (default 1167); the
//                           calls counted are CeRapiInit or CeRapiInitEx (call 1, which then returns
//                           E_FAIL), CeCreateFile, CeSetFilePointer, CeSetEndOfFile, CeReadFile,
//                           CeWriteFile (a failed write stores nothing), CeDeleteFile and CeMoveFile;
//                           the calls that release (CeRapiUninit, CeCloseHandle) always do their work
//                           Unknown items are ignored.
//   HALVERN_DEVICE_LINK     <KB/s>[:<ms per call>] (KB of 1000 bytes): every call that crosses the link
//                           (counted in LinkCalls) takes the milliseconds per call, and reads and writes
//                           their bytes at that speed, as a real sync link would. Unset: no delay.
//   HALVERN_DEVICE_COUNTERS file that receives the counters as "Name=value" lines after every change,
//                           for a test running in another process.
//
// Device paths ("\Temp\stock.txt", '\' or '/') map into the root folder with names matched regardless
// of letter case. A path that would leave the folder (a ".." component, a drive letter or any ':',
// a UNC "\\server" prefix) is refused with 5 (access denied); wildcards and control characters give 123.
// CeDeleteFile and CeMoveFile refuse an open file with 32; CeMoveFile refuses an existing new name with
// 183. Calls other than the connection calls, CeGetLastError and CeCloseHandle need an open connection,
// else 1167. The last error is global to the process, not per thread. Every entry point is serialised
// by one lock; the link's delays are waited out after it is released.
#pragma once

#include <cstdint>

extern "C" {

// Counts since load or the last RapiEmuResetCounters.
struct RapiEmuCounters {
  uint32_t ConnectionsOpened;  // CeRapiInit calls that succeeded
  uint32_t ConnectionsClosed;  // CeRapiUninit calls that closed a connection
  uint32_t FilesOpened;        // CeCreateFile calls that returned a handle
  uint32_t HandlesClosed;      // CeCloseHandle calls that closed a handle
  uint32_t InitCalls;          // every CeRapiInit
  uint32_t CreateFileCalls;    // every CeCreateFile
  uint32_t ReadCalls;          // every CeReadFile
  uint32_t WriteCalls;         // every CeWriteFile
  uint32_t SeekCalls;          // every CeSetFilePointer
  uint32_t SetEndOfFileCalls;  // every CeSetEndOfFile
  uint32_t BytesRead;          // bytes delivered by CeReadFile
  uint32_t BytesWritten;       // bytes stored by CeWriteFile
  uint32_t FaultsFired;        // calls failed by a fail-call fault
  uint32_t InitExCalls;        // every CeRapiInitEx
  uint32_t UninitCalls;        // every CeRapiUninit
  uint32_t ConnectionsAsked;   // requests to end with CeRapiUninit: CeRapiInit that succeeded, CeRapiInitEx
                               // that returned S_OK (whatever its event then told)
  uint32_t ConnectionsEnded;   // CeRapiUninit calls that ended such a request
  uint32_t DeleteFileCalls;    // every CeDeleteFile
  uint32_t MoveFileCalls;      // every CeMoveFile
  uint32_t LinkCalls;          // calls that cross the link: CeCreateFile, CeCloseHandle, CeSetFilePointer,
                               // CeSetEndOfFile, CeReadFile, CeWriteFile, CeDeleteFile, CeMoveFile
};

}  // extern "C"

// Exported as "RapiEmuGetCounters" and "RapiEmuResetCounters"; the types for binding them by name.
using TRapiEmuGetCounters = void(RapiEmuCounters*);
using TRapiEmuResetCounters = void();
