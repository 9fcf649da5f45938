// The device emulator's own interface, for tests and the host program: a library that exports the
// twelve remote-API entry points (with the same signatures as device/RapiTypes.h) and plays a Windows
// CE device over a local folder. The engine never loads it unless HALVERN_RAPI_LIBRARY names it.
//
// Environment, read at each CeRapiInit (so a test can change it between connections):
//   HALVERN_DEVICE_ROOT     folder that holds the device's file system. Unset, empty or not a folder:
//                           CeRapiInit fails with E_FAIL and last error 1167, as with no device docked.
//   HALVERN_DEVICE_FAULTS   comma-separated faults to inject during the connection:
//     init[=CODE]           CeRapiInit fails: E_FAIL, last error CODE (default 1167)
//     open[=CODE]           every CeCreateFile fails with CODE (default 5)
//     read-after=N[:CODE]   a CeReadFile that would take the connection's total read past N bytes fails
//                           with CODE (default 1167); reads at the end of a file (0 bytes) still succeed
//     write-after=N[:CODE]  a CeWriteFile that would take the total written past N bytes writes only up
//                           to N, reports that count and fails with CODE (default 112, disk full)
//     short-write           CeWriteFile writes and reports half the bytes asked and returns TRUE
//     seteof[=CODE]         CeSetEndOfFile fails with CODE (default 5)
//     seek-after=N[:CODE]   CeSetFilePointer calls after the first N of the connection fail with CODE
//                           (default 1167)
//     fail-call=N[:CODE]    the N-th device call of the connection fails with CODE (default 1167); the
//                           calls counted are CeRapiInit (call 1), CeCreateFile, CeSetFilePointer,
//                           CeSetEndOfFile, CeReadFile and CeWriteFile (a failed write stores nothing);
//                           the calls that release (CeRapiUninit, CeCloseHandle) always do their work
//                           Unknown items are ignored.
//   HALVERN_DEVICE_COUNTERS file that receives the counters as "Name=value" lines after every change,
//                           for a test running in another process.
//
// Device paths ("\Temp\stock.txt", '\' or '/') map into the root folder with names matched regardless
// of letter case. A path that would leave the folder (a ".." component, a drive letter or any ':',
// a UNC "\\server" prefix) is refused with 5 (access denied); wildcards and control characters give 123.
// Calls other than CeRapiInit, CeGetLastError and CeCloseHandle need an open connection, else 1167.
// The last error is global to the process, not per thread. Every entry point is serialised by one lock.
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
};

}  // extern "C"

// Exported as "RapiEmuGetCounters" and "RapiEmuResetCounters"; the types for binding them by name.
using TRapiEmuGetCounters = void(RapiEmuCounters*);
using TRapiEmuResetCounters = void();
