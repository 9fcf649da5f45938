// Host files on Linux: file descriptors with pread/pwrite.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "device/RapiTypes.h"
#include "emulator/EmuHostFile.h"

namespace rapiemu {
namespace {

namespace rapi = halvern::rapi;

uint32_t FromErrno(int E) {
  switch (E) {
    case ENOENT: return rapi::ErrorFileNotFound;
    case ENOTDIR: return rapi::ErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return rapi::ErrorAccessDenied;
    case ENOSPC:
    case EDQUOT: return rapi::ErrorDiskFull;
    case ENAMETOOLONG: return 206;
    case EEXIST: return rapi::ErrorFileExists;
    case EBADF: return rapi::ErrorInvalidHandle;
    case EFBIG:
    case EINVAL: return rapi::ErrorInvalidParameter;
    default: return 31;  // a device attached to the system is not functioning
  }
}

}  // namespace

uint32_t THostFile::Open(const std::filesystem::path& Path, bool Read, bool Write, bool Create,
                         bool Truncate) {
  Close();
  int Flags = O_CLOEXEC | (Write ? (Read ? O_RDWR : O_WRONLY) : O_RDONLY);
  if (Create) Flags |= O_CREAT;
  if (Truncate) Flags |= O_TRUNC;
  const int Fd = ::open(Path.c_str(), Flags, 0644);
  if (Fd < 0) return FromErrno(errno);
  FHandle = Fd;
  return 0;
}

uint32_t THostFile::ReadAt(uint64_t Offset, void* Buffer, uint32_t Count, uint32_t& Done) {
  Done = 0;
  while (Done < Count) {
    const ssize_t N = ::pread(static_cast<int>(FHandle), static_cast<char*>(Buffer) + Done, Count - Done,
                              static_cast<off_t>(Offset + Done));
    if (N < 0 && errno == EINTR) continue;
    if (N < 0) return FromErrno(errno);
    if (N == 0) break;
    Done += static_cast<uint32_t>(N);
  }
  return 0;
}

uint32_t THostFile::WriteAt(uint64_t Offset, const void* Buffer, uint32_t Count, uint32_t& Done) {
  Done = 0;
  while (Done < Count) {
    const ssize_t N = ::pwrite(static_cast<int>(FHandle), static_cast<const char*>(Buffer) + Done,
                               Count - Done, static_cast<off_t>(Offset + Done));
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0) return N < 0 ? FromErrno(errno) : rapi::ErrorDiskFull;
    Done += static_cast<uint32_t>(N);
  }
  return 0;
}

uint32_t THostFile::Size(uint64_t& Result) {
  struct stat St {};
  if (::fstat(static_cast<int>(FHandle), &St) != 0) return FromErrno(errno);
  Result = static_cast<uint64_t>(St.st_size);
  return 0;
}

uint32_t THostFile::Resize(uint64_t NewSize) {
  if (::ftruncate(static_cast<int>(FHandle), static_cast<off_t>(NewSize)) != 0) return FromErrno(errno);
  return 0;
}

void THostFile::Close() noexcept {
  if (FHandle >= 0) ::close(static_cast<int>(std::exchange(FHandle, -1)));
}

uint32_t RemoveHostFile(const std::filesystem::path& Path) {
  return ::unlink(Path.c_str()) == 0 ? 0 : FromErrno(errno);
}

uint32_t RenameHostFile(const std::filesystem::path& From, const std::filesystem::path& To) {
  // The device has checked under its lock that To does not exist (rename() would replace it).
  return ::rename(From.c_str(), To.c_str()) == 0 ? 0 : FromErrno(errno);
}

std::vector<std::filesystem::path> ListHostFolder(const std::filesystem::path& Dir) {
  std::vector<std::filesystem::path> Names;
  const std::unique_ptr<DIR, int (*)(DIR*)> Folder(::opendir(Dir.c_str()), &::closedir);
  if (!Folder) {
    if (errno == ENOMEM) throw std::bad_alloc();
    return Names;
  }
  while (const dirent* Entry = ::readdir(Folder.get())) {
    if (std::strcmp(Entry->d_name, ".") != 0 && std::strcmp(Entry->d_name, "..") != 0)
      Names.emplace_back(Entry->d_name);
  }
  return Names;
}

}  // namespace rapiemu

#include <cstdlib>

#include "emulator/EmuEnv.h"

namespace rapiemu {

std::string EnvText(const char* Name) {
  const char* V = std::getenv(Name);
  return V != nullptr ? std::string(V) : std::string();
}

std::filesystem::path EnvPath(const char* Name) {
  return std::filesystem::path(EnvText(Name));
}

}  // namespace rapiemu
