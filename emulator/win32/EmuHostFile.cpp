// Host files on Windows: the host handle shares everything, because the emulator enforces the device's
// own share modes itself; reads and writes are positioned through OVERLAPPED offsets.

#include <windows.h>

#include <new>
#include <utility>

#include "emulator/EmuHostFile.h"

namespace rapiemu {
namespace {

HANDLE Native(intptr_t H) {
  return reinterpret_cast<HANDLE>(H);
}

OVERLAPPED At(uint64_t Offset) {
  OVERLAPPED O{};
  O.Offset = static_cast<DWORD>(Offset);
  O.OffsetHigh = static_cast<DWORD>(Offset >> 32);
  return O;
}

uint32_t LastError() {
  const DWORD E = GetLastError();
  return E != 0 ? E : 31;
}

}  // namespace

uint32_t THostFile::Open(const std::filesystem::path& Path, bool Read, bool Write, bool Create,
                         bool Truncate) {
  Close();
  const DWORD Access = (Read || !Write ? GENERIC_READ : 0) | (Write ? GENERIC_WRITE : 0);
  const DWORD Disposition =
      Create ? (Truncate ? CREATE_ALWAYS : OPEN_ALWAYS) : (Truncate ? TRUNCATE_EXISTING : OPEN_EXISTING);
  HANDLE H = CreateFileW(Path.c_str(), Access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, Disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (H == INVALID_HANDLE_VALUE) return LastError();
  FHandle = reinterpret_cast<intptr_t>(H);
  return 0;
}

uint32_t THostFile::ReadAt(uint64_t Offset, void* Buffer, uint32_t Count, uint32_t& Done) {
  Done = 0;
  OVERLAPPED O = At(Offset);
  DWORD N = 0;
  if (!ReadFile(Native(FHandle), Buffer, Count, &N, &O)) {
    if (GetLastError() == ERROR_HANDLE_EOF) return 0;
    return LastError();
  }
  Done = N;
  return 0;
}

uint32_t THostFile::WriteAt(uint64_t Offset, const void* Buffer, uint32_t Count, uint32_t& Done) {
  Done = 0;
  OVERLAPPED O = At(Offset);
  DWORD N = 0;
  if (!WriteFile(Native(FHandle), Buffer, Count, &N, &O)) return LastError();
  Done = N;
  return 0;
}

uint32_t THostFile::Size(uint64_t& Result) {
  LARGE_INTEGER S{};
  if (!GetFileSizeEx(Native(FHandle), &S)) return LastError();
  Result = static_cast<uint64_t>(S.QuadPart);
  return 0;
}

uint32_t THostFile::Resize(uint64_t NewSize) {
  // The host file pointer is otherwise unused (every transfer names its offset), so it may move here.
  LARGE_INTEGER To{};
  To.QuadPart = static_cast<LONGLONG>(NewSize);
  if (!SetFilePointerEx(Native(FHandle), To, nullptr, FILE_BEGIN) || !SetEndOfFile(Native(FHandle))) {
    return LastError();
  }
  return 0;
}

void THostFile::Close() noexcept {
  if (FHandle != -1) CloseHandle(Native(std::exchange(FHandle, -1)));
}

uint32_t RemoveHostFile(const std::filesystem::path& Path) {
  return DeleteFileW(Path.c_str()) ? 0 : LastError();
}

uint32_t RenameHostFile(const std::filesystem::path& From, const std::filesystem::path& To) {
  // Without MOVEFILE_REPLACE_EXISTING an existing target is refused, as the device refuses it.
  return MoveFileW(From.c_str(), To.c_str()) ? 0 : LastError();
}

std::vector<std::filesystem::path> ListHostFolder(const std::filesystem::path& Dir) {
  std::vector<std::filesystem::path> Names;
  WIN32_FIND_DATAW Data;
  const HANDLE Find = FindFirstFileW((Dir / L"*").c_str(), &Data);
  if (Find == INVALID_HANDLE_VALUE) {
    const DWORD E = GetLastError();
    if (E == ERROR_NOT_ENOUGH_MEMORY || E == ERROR_OUTOFMEMORY) throw std::bad_alloc();
    return Names;
  }
  try {
    do {
      const std::wstring_view Name = Data.cFileName;
      if (Name != L"." && Name != L"..") Names.emplace_back(Name);
    } while (FindNextFileW(Find, &Data));
  } catch (...) {
    FindClose(Find);
    throw;
  }
  FindClose(Find);
  return Names;
}

}  // namespace rapiemu

#include <string>

#include "emulator/EmuEnv.h"

namespace rapiemu {
namespace {

std::wstring EnvWide(const char* Name) {
  const std::wstring WideName(Name, Name + std::char_traits<char>::length(Name));  // names are ASCII
  DWORD Size = GetEnvironmentVariableW(WideName.c_str(), nullptr, 0);
  while (Size > 0) {
    std::wstring Value(Size, L'\0');
    const DWORD Len = GetEnvironmentVariableW(WideName.c_str(), Value.data(), Size);
    if (Len < Size) {
      Value.resize(Len);
      return Value;
    }
    Size = Len;
  }
  return {};
}

}  // namespace

std::string EnvText(const char* Name) {
  const std::wstring W = EnvWide(Name);
  std::string Out;
  for (wchar_t C : W) Out += C < 0x80 ? static_cast<char>(C) : '?';  // fault lists are ASCII
  return Out;
}

std::filesystem::path EnvPath(const char* Name) {
  return std::filesystem::path(EnvWide(Name));
}

}  // namespace rapiemu
