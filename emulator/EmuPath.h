// Mapping of device paths into the emulator's root folder. Names are matched regardless of letter case,
// as the device's file system does: each component takes the existing entry of that name, exact
// spelling first, else the first entry equal under simple case folding. Pure apart from reading the
// folder; thread-safe.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

namespace rapiemu {

struct TResolvedPath {
  uint32_t Error = 0;              // Win32 code when the path is refused or its folder is missing
  std::filesystem::path HostPath;  // valid when Error is 0
  bool Exists = false;             // the final component names an existing entry
  bool IsDirectory = false;        // ... that is a folder (or the path names the root itself)
};

// Resolves DevicePath under Root. Refusals: 5 for a path that would leave the root, 123 for a name the
// device does not allow, 3 for an empty path or a missing or non-folder parent component.
TResolvedPath ResolveDevicePath(const std::filesystem::path& Root, std::u16string_view DevicePath);

}  // namespace rapiemu
