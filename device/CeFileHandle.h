// Owning handle of one open device file: closed with CeCloseHandle when the owner goes, unless it is
// null or INVALID_HANDLE_VALUE. Move-only; not thread-safe (one stream uses it at a time).
#pragma once

#include <utility>

#include "device/RapiTypes.h"

namespace halvern {

class TCeFileHandle {
 public:
  TCeFileHandle() = default;
  explicit TCeFileHandle(rapi::HANDLE Handle) noexcept : FHandle(Handle) {}
  TCeFileHandle(const TCeFileHandle&) = delete;
  TCeFileHandle& operator=(const TCeFileHandle&) = delete;
  TCeFileHandle(TCeFileHandle&& Other) noexcept : FHandle(std::exchange(Other.FHandle, nullptr)) {}
  TCeFileHandle& operator=(TCeFileHandle&& Other) noexcept {
    if (this != &Other) {
      Reset();
      FHandle = std::exchange(Other.FHandle, nullptr);
    }
    return *this;
  }
  ~TCeFileHandle() { Reset(); }

  bool Valid() const noexcept { return FHandle != nullptr && FHandle != rapi::InvalidHandleValue(); }
  rapi::HANDLE Get() const noexcept { return FHandle; }
  // Closes the device handle now (result not examined: there is nothing left to do on failure).
  void Reset() noexcept;

 private:
  rapi::HANDLE FHandle = nullptr;
};

}  // namespace halvern
