// The Windows data types and entry-point signatures of the device's remote API, spelled portably so
// that the binding and the device emulator share one declaration of every call.
//
// The `Sig` namespace declares the twelve required entry points and the three optional ones; they are
// never defined under these names. The binding types its pointers as decltype(&Sig::Name) and the
// emulator checks its definitions against them, so a signature that drifts fails to compile on both
// sides. Constants are named in CamelCase,
// not as the Windows macros, so this header can sit next to <windows.h>.
#pragma once

#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define RAPI_CALL __stdcall
#else
#define RAPI_CALL
#endif

namespace halvern::rapi {

using DWORD = uint32_t;
using BOOL = int32_t;
using LONG = int32_t;
using HRESULT = int32_t;
using WCHAR = char16_t;  // UTF-16 code unit, the layout of the Windows wchar_t
using HANDLE = void*;
using LPCWSTR = const WCHAR*;
using LPVOID = void*;
using LPCVOID = const void*;
using LPDWORD = DWORD*;
using PLONG = LONG*;
struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;
struct OVERLAPPED;
using LPOVERLAPPED = OVERLAPPED*;

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

constexpr int MaxPath = 260;

struct CE_FIND_DATA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwOID;
  WCHAR cFileName[MaxPath];
};
using LPCE_FIND_DATA = CE_FIND_DATA*;

// The request of an asynchronous connection. The caller sets cbSize; CeRapiInitEx hands back an event
// that is set when the connection is made or has failed, and then the result in hrRapiInit. The event
// belongs to the remote API: the caller waits on it but never closes it (CeRapiUninit releases it). On
// Windows it is a Win32 event handle; elsewhere a file descriptor, cast to a handle, that becomes
// readable when the event is set.
struct RAPIINIT {
  DWORD cbSize;
  HANDLE heRapiInit;
  HRESULT hrRapiInit;
};
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(RAPIINIT) == 12, "the 32-bit layout of the remote API");
#endif

// Results and arguments the engine passes or relies on.
constexpr HRESULT RapiSOk = 0;
constexpr HRESULT RapiEFail = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT RapiEInvalidArg = static_cast<HRESULT>(0x80070057u);
// CeRapiInit on a thread that already holds a connection.
constexpr HRESULT RapiEAlreadyInitialized = static_cast<HRESULT>(0x80041001u);
constexpr DWORD GenericRead = 0x80000000u;
constexpr DWORD GenericWrite = 0x40000000u;
constexpr DWORD FileShareRead = 1;
constexpr DWORD FileShareWrite = 2;
constexpr DWORD CreateNew = 1;
constexpr DWORD CreateAlways = 2;
constexpr DWORD OpenExisting = 3;
constexpr DWORD OpenAlways = 4;
constexpr DWORD TruncateExisting = 5;
constexpr DWORD FileAttributeNormal = 0x80;
constexpr DWORD FileBegin = 0;
constexpr DWORD FileCurrent = 1;
constexpr DWORD FileEnd = 2;
constexpr DWORD InvalidSetFilePointer = 0xFFFFFFFFu;

// Win32 error codes the binding and the emulator produce.
constexpr DWORD ErrorSuccess = 0;
constexpr DWORD ErrorFileNotFound = 2;
constexpr DWORD ErrorPathNotFound = 3;
constexpr DWORD ErrorAccessDenied = 5;
constexpr DWORD ErrorInvalidHandle = 6;
constexpr DWORD ErrorNotEnoughMemory = 8;
constexpr DWORD ErrorOutOfMemory = 14;
constexpr DWORD ErrorNoMoreFiles = 18;
constexpr DWORD ErrorNotReady = 21;
constexpr DWORD ErrorSharingViolation = 32;
constexpr DWORD ErrorFileExists = 80;
constexpr DWORD ErrorInvalidParameter = 87;
constexpr DWORD ErrorDiskFull = 112;
constexpr DWORD ErrorInvalidName = 123;
constexpr DWORD ErrorNegativeSeek = 131;
constexpr DWORD ErrorAlreadyExists = 183;
constexpr DWORD ErrorDeviceNotConnected = 1167;

// INVALID_HANDLE_VALUE: all bits set, pointer-sized.
inline HANDLE InvalidHandleValue() noexcept {
  return reinterpret_cast<HANDLE>(~uintptr_t{0});
}

namespace Sig {
HRESULT RAPI_CALL CeRapiInit();
HRESULT RAPI_CALL CeRapiUninit();
HANDLE RAPI_CALL CeCreateFile(LPCWSTR FileName, DWORD DesiredAccess, DWORD ShareMode,
                              LPSECURITY_ATTRIBUTES SecurityAttributes, DWORD CreationDisposition,
                              DWORD FlagsAndAttributes, HANDLE TemplateFile);
BOOL RAPI_CALL CeCloseHandle(HANDLE Object);
HANDLE RAPI_CALL CeFindFirstFile(LPCWSTR FileName, LPCE_FIND_DATA FindFileData);
BOOL RAPI_CALL CeFindNextFile(HANDLE FindFile, LPCE_FIND_DATA FindFileData);
BOOL RAPI_CALL CeFindClose(HANDLE FindFile);
DWORD RAPI_CALL CeSetFilePointer(HANDLE File, LONG DistanceToMove, PLONG DistanceToMoveHigh,
                                 DWORD MoveMethod);
BOOL RAPI_CALL CeSetEndOfFile(HANDLE File);
BOOL RAPI_CALL CeReadFile(HANDLE File, LPVOID Buffer, DWORD NumberOfBytesToRead, LPDWORD NumberOfBytesRead,
                          LPOVERLAPPED Overlapped);
BOOL RAPI_CALL CeWriteFile(HANDLE File, LPCVOID Buffer, DWORD NumberOfBytesToWrite,
                           LPDWORD NumberOfBytesWritten, LPOVERLAPPED Overlapped);
DWORD RAPI_CALL CeGetLastError();
// Optional: a library without them is still usable.
HRESULT RAPI_CALL CeRapiInitEx(RAPIINIT* RapiInit);
BOOL RAPI_CALL CeDeleteFile(LPCWSTR FileName);
BOOL RAPI_CALL CeMoveFile(LPCWSTR ExistingFileName, LPCWSTR NewFileName);
}  // namespace Sig

}  // namespace halvern::rapi
