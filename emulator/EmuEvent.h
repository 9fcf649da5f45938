// The event a CeRapiInitEx request hands back: a manual-reset Win32 event on Windows, an eventfd
// elsewhere (readable once set). Owned by the emulator, which closes it when the request ends at
// CeRapiUninit; the caller only waits on it. Move-only; Set may be called from any thread.
#pragma once

#include <cstdint>
#include <utility>

namespace rapiemu {

class TEmuEvent {
 public:
  TEmuEvent() = default;
  TEmuEvent(const TEmuEvent&) = delete;
  TEmuEvent& operator=(const TEmuEvent&) = delete;
  TEmuEvent(TEmuEvent&& Other) noexcept : FHandle(std::exchange(Other.FHandle, 0)) {}
  TEmuEvent& operator=(TEmuEvent&& Other) noexcept {
    if (this != &Other) {
      Close();
      FHandle = std::exchange(Other.FHandle, 0);
    }
    return *this;
  }
  ~TEmuEvent() { Close(); }

  // A new, unset event; false when the system has none to give.
  bool Create();
  void Set();
  // As the caller receives it in RAPIINIT.heRapiInit.
  void* Handle() const noexcept { return reinterpret_cast<void*>(FHandle); }
  void Close() noexcept;

 private:
  intptr_t FHandle = 0;
};

}  // namespace rapiemu
