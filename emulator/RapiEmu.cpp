// The emulator's exports: the twelve remote-API entry points, the three optional ones and the two counter
// functions. Each body
// forwards to the device and turns any exception (a name that does not convert, memory) into the
// call's failure answer, since nothing may unwind into the caller.
#include <new>
#include <type_traits>

#include "emulator/EmuDevice.h"
#include "emulator/RapiEmu.h"
#include "rtl/Exceptions.h"

#ifdef _WIN32
#define RAPIEMU_EXPORT  // exported by name through the module-definition file
#else
#define RAPIEMU_EXPORT __attribute__((visibility("default")))
#endif

using namespace halvern::rapi;
using rapiemu::Device;

namespace {

template <class T>
T Guarded(T Failure, auto&& Body) noexcept {
  try {
    return Body();
  } catch (const std::exception& E) {
    Device().Fail(halvern::IsOutOfMemory(E) ? ErrorOutOfMemory : ErrorInvalidParameter);
  } catch (...) {
    Device().Fail(ErrorInvalidParameter);
  }
  return Failure;
}

}  // namespace

extern "C" {

RAPIEMU_EXPORT HRESULT RAPI_CALL CeRapiInit() {
  return Guarded(RapiEFail, [] { return Device().RapiInit(); });
}

RAPIEMU_EXPORT HRESULT RAPI_CALL CeRapiUninit() {
  return Guarded(RapiEFail, [] { return Device().RapiUninit(); });
}

RAPIEMU_EXPORT HANDLE RAPI_CALL CeCreateFile(LPCWSTR FileName, DWORD DesiredAccess, DWORD ShareMode,
                                             LPSECURITY_ATTRIBUTES, DWORD CreationDisposition, DWORD,
                                             HANDLE) {
  return Guarded(InvalidHandleValue(), [&] {
    return Device().CreateFile(FileName, DesiredAccess, ShareMode, CreationDisposition);
  });
}

RAPIEMU_EXPORT BOOL RAPI_CALL CeCloseHandle(HANDLE Object) {
  return Guarded<BOOL>(0, [&] { return Device().CloseHandle(Object); });
}

RAPIEMU_EXPORT HANDLE RAPI_CALL CeFindFirstFile(LPCWSTR FileName, LPCE_FIND_DATA FindFileData) {
  return Guarded(InvalidHandleValue(), [&] { return Device().FindFirstFile(FileName, FindFileData); });
}

RAPIEMU_EXPORT BOOL RAPI_CALL CeFindNextFile(HANDLE FindFile, LPCE_FIND_DATA FindFileData) {
  return Guarded<BOOL>(0, [&] { return Device().FindNextFile(FindFile, FindFileData); });
}

#ifndef RAPIEMU_OMIT_FINDCLOSE
// Left out of the incomplete build, which tests that a library lacking one entry point is refused.
RAPIEMU_EXPORT BOOL RAPI_CALL CeFindClose(HANDLE FindFile) {
  return Guarded<BOOL>(0, [&] { return Device().FindClose(FindFile); });
}
#endif

RAPIEMU_EXPORT DWORD RAPI_CALL CeSetFilePointer(HANDLE File, LONG DistanceToMove, PLONG DistanceToMoveHigh,
                                                DWORD MoveMethod) {
  return Guarded(InvalidSetFilePointer, [&] {
    return Device().SetFilePointer(File, DistanceToMove, DistanceToMoveHigh, MoveMethod);
  });
}

RAPIEMU_EXPORT BOOL RAPI_CALL CeSetEndOfFile(HANDLE File) {
  return Guarded<BOOL>(0, [&] { return Device().SetEndOfFile(File); });
}

RAPIEMU_EXPORT BOOL RAPI_CALL CeReadFile(HANDLE File, LPVOID Buffer, DWORD NumberOfBytesToRead,
                                         LPDWORD NumberOfBytesRead, LPOVERLAPPED) {
  return Guarded<BOOL>(
      0, [&] { return Device().ReadFile(File, Buffer, NumberOfBytesToRead, NumberOfBytesRead); });
}

RAPIEMU_EXPORT BOOL RAPI_CALL CeWriteFile(HANDLE File, LPCVOID Buffer, DWORD NumberOfBytesToWrite,
                                          LPDWORD NumberOfBytesWritten, LPOVERLAPPED) {
  return Guarded<BOOL>(
      0, [&] { return Device().WriteFile(File, Buffer, NumberOfBytesToWrite, NumberOfBytesWritten); });
}

RAPIEMU_EXPORT DWORD RAPI_CALL CeGetLastError() {
  return Guarded<DWORD>(ErrorInvalidParameter, [] { return Device().GetLastError(); });
}

#ifndef RAPIEMU_OMIT_OPTIONAL
// Left out of the basic build, which tests that the engine works as before with a library lacking them.
RAPIEMU_EXPORT HRESULT RAPI_CALL CeRapiInitEx(RAPIINIT* RapiInit) {
  return Guarded(RapiEFail, [&] { return Device().RapiInitEx(RapiInit); });
}

RAPIEMU_EXPORT BOOL RAPI_CALL CeDeleteFile(LPCWSTR FileName) {
  return Guarded<BOOL>(0, [&] { return Device().DeleteFile(FileName); });
}

RAPIEMU_EXPORT BOOL RAPI_CALL CeMoveFile(LPCWSTR ExistingFileName, LPCWSTR NewFileName) {
  return Guarded<BOOL>(0, [&] { return Device().MoveFile(ExistingFileName, NewFileName); });
}
#endif

RAPIEMU_EXPORT void RapiEmuGetCounters(RapiEmuCounters* Counters) {
  if (Counters == nullptr) return;
  Guarded<int>(0, [&] {
    Device().GetCounters(*Counters);
    return 0;
  });
}

RAPIEMU_EXPORT void RapiEmuResetCounters() {
  Guarded<int>(0, [] {
    Device().ResetCounters();
    return 0;
  });
}

}  // extern "C"

// The exports must keep the signatures the binding types its pointers with.
static_assert(std::is_same_v<decltype(&CeRapiInit), decltype(&Sig::CeRapiInit)>);
static_assert(std::is_same_v<decltype(&CeRapiUninit), decltype(&Sig::CeRapiUninit)>);
static_assert(std::is_same_v<decltype(&CeCreateFile), decltype(&Sig::CeCreateFile)>);
static_assert(std::is_same_v<decltype(&CeCloseHandle), decltype(&Sig::CeCloseHandle)>);
static_assert(std::is_same_v<decltype(&CeFindFirstFile), decltype(&Sig::CeFindFirstFile)>);
static_assert(std::is_same_v<decltype(&CeFindNextFile), decltype(&Sig::CeFindNextFile)>);
static_assert(std::is_same_v<decltype(&CeSetFilePointer), decltype(&Sig::CeSetFilePointer)>);
static_assert(std::is_same_v<decltype(&CeSetEndOfFile), decltype(&Sig::CeSetEndOfFile)>);
static_assert(std::is_same_v<decltype(&CeReadFile), decltype(&Sig::CeReadFile)>);
static_assert(std::is_same_v<decltype(&CeWriteFile), decltype(&Sig::CeWriteFile)>);
static_assert(std::is_same_v<decltype(&CeGetLastError), decltype(&Sig::CeGetLastError)>);
#ifndef RAPIEMU_OMIT_OPTIONAL
static_assert(std::is_same_v<decltype(&CeRapiInitEx), decltype(&Sig::CeRapiInitEx)>);
static_assert(std::is_same_v<decltype(&CeDeleteFile), decltype(&Sig::CeDeleteFile)>);
static_assert(std::is_same_v<decltype(&CeMoveFile), decltype(&Sig::CeMoveFile)>);
#endif
static_assert(std::is_same_v<decltype(&RapiEmuGetCounters), TRapiEmuGetCounters*>);
static_assert(std::is_same_v<decltype(&RapiEmuResetCounters), TRapiEmuResetCounters*>);
