#include "emulator/EmuPath.h"

#include <string>
#include <system_error>
#include <vector>

#include "device/RapiTypes.h"
#include "emulator/EmuHostFile.h"
#include "emulator/EmuText.h"

namespace rapiemu {
namespace {

namespace fs = std::filesystem;
namespace rapi = halvern::rapi;

bool IsSeparator(char16_t C) {
  return C == u'\\' || C == u'/';
}

// Characters no device name may hold.
bool IsInvalidNameChar(char16_t C) {
  return C < 0x20 || C == u'<' || C == u'>' || C == u'"' || C == u'|' || C == u'?' || C == u'*';
}

// Splits into components; Error is set for a path that must be refused.
std::vector<std::u16string> SplitDevicePath(std::u16string_view Path, uint32_t& Error) {
  std::vector<std::u16string> Parts;
  if (Path.size() >= 2 && IsSeparator(Path[0]) && IsSeparator(Path[1])) {
    Error = rapi::ErrorAccessDenied;  // UNC: another machine's share
    return Parts;
  }
  size_t I = 0;
  while (I <= Path.size()) {
    size_t J = I;
    while (J < Path.size() && !IsSeparator(Path[J])) ++J;
    const std::u16string_view Part = Path.substr(I, J - I);
    if (Part == u"..") {
      Error = rapi::ErrorAccessDenied;
      return Parts;
    }
    for (char16_t C : Part) {
      if (C == u':') {
        Error = rapi::ErrorAccessDenied;  // a drive letter or a stream name
        return Parts;
      }
      if (IsInvalidNameChar(C)) {
        Error = rapi::ErrorInvalidName;
        return Parts;
      }
    }
    if (!Part.empty() && Part != u".") Parts.emplace_back(Part);
    I = J + 1;
  }
  return Parts;
}

// The entry of Dir named Name regardless of case; empty when there is none. Memory running out raises.
fs::path FindEntry(const fs::path& Dir, const std::u16string& Name) {
  std::error_code Ec;
  fs::path Exact = Dir / fs::path(Name);
  if (fs::exists(fs::symlink_status(Exact, Ec))) return Exact;
  for (const fs::path& Entry : ListHostFolder(Dir)) {
    if (SameNameNoCase(Entry.u16string(), Name)) return Dir / Entry;
  }
  return {};
}

}  // namespace

TResolvedPath ResolveDevicePath(const fs::path& Root, std::u16string_view DevicePath) {
  TResolvedPath R;
  if (DevicePath.empty()) {
    R.Error = rapi::ErrorPathNotFound;
    return R;
  }
  const std::vector<std::u16string> Parts = SplitDevicePath(DevicePath, R.Error);
  if (R.Error != 0) return R;
  fs::path Current = Root;
  std::error_code Ec;
  for (size_t K = 0; K + 1 < Parts.size(); ++K) {
    fs::path Next = FindEntry(Current, Parts[K]);
    if (Next.empty() || !fs::is_directory(Next, Ec)) {
      R.Error = rapi::ErrorPathNotFound;
      return R;
    }
    Current = std::move(Next);
  }
  if (Parts.empty()) {
    R.HostPath = Root;
    R.Exists = R.IsDirectory = true;
    return R;
  }
  fs::path Found = FindEntry(Current, Parts.back());
  if (Found.empty()) {
    R.HostPath = Current / fs::path(Parts.back());
    return R;
  }
  R.HostPath = std::move(Found);
  R.Exists = true;
  R.IsDirectory = fs::is_directory(R.HostPath, Ec);
  return R;
}

}  // namespace rapiemu
