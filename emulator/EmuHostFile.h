// One open file of the host folder behind a device file, with positioned reads and writes so that the
// device's file pointer is kept by the emulator alone. Errors come back as Win32 codes. Move-only,
// owns its host handle; not thread-safe (the emulator's lock covers it).
#pragma once

#include <cstdint>
#include <filesystem>
#include <utility>
#include <vector>

namespace rapiemu {

class THostFile {
 public:
  THostFile() = default;
  THostFile(const THostFile&) = delete;
  THostFile& operator=(const THostFile&) = delete;
  THostFile(THostFile&& Other) noexcept : FHandle(std::exchange(Other.FHandle, -1)) {}
  THostFile& operator=(THostFile&& Other) noexcept {
    if (this != &Other) {
      Close();
      FHandle = std::exchange(Other.FHandle, -1);
    }
    return *this;
  }
  ~THostFile() { Close(); }

  // Opens Path for the given access; Create makes a missing file, Truncate empties an existing one.
  uint32_t Open(const std::filesystem::path& Path, bool Read, bool Write, bool Create, bool Truncate);
  uint32_t ReadAt(uint64_t Offset, void* Buffer, uint32_t Count, uint32_t& Done);
  uint32_t WriteAt(uint64_t Offset, const void* Buffer, uint32_t Count, uint32_t& Done);
  uint32_t Size(uint64_t& Result);
  uint32_t Resize(uint64_t NewSize);
  void Close() noexcept;

 private:
  intptr_t FHandle = -1;
};

// Deletes the host file Path; renames From to To, which must not exist. 0 or a Win32 code.
uint32_t RemoveHostFile(const std::filesystem::path& Path);
uint32_t RenameHostFile(const std::filesystem::path& From, const std::filesystem::path& To);

// The names of the entries of the host folder Dir, "." and ".." left out; none when it cannot be listed.
// Listed with the system's own calls, since the standard library's directory iterator ends the process
// when memory runs out while it names an entry; here that raises std::bad_alloc.
std::vector<std::filesystem::path> ListHostFolder(const std::filesystem::path& Dir);

}  // namespace rapiemu
