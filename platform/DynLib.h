// Run-time loading of a shared library by path or name, with an owning handle: the library is freed when
// its TDynLib is destroyed. On Windows the name is GBK (the engine's code page) and is widened for the
// loader; elsewhere it goes to the dynamic linker as it is. One TDynLib is used by one thread at a time.
#pragma once

#include <string>
#include <utility>

namespace halvern::platform {

// The file name the system's loader knows version Version of library Base by: "Base.dll" on Windows
// (which does not version the name), "libBase.so.Version" elsewhere.
std::string SharedLibraryFileName(const std::string& Base, int Version);

// True where the runtime may destroy a shared library's static objects when it is unloaded or the
// process ends (they may then free what they hold); false on Windows, where at process termination
// other threads are already gone and such objects may be half-used, so the library must free what it
// holds itself at FreeLibrary and leave its statics alone.
bool StaticsDestroyedSafelyAtUnload() noexcept;

class TDynLib {
 public:
  TDynLib() = default;
  TDynLib(const TDynLib&) = delete;
  TDynLib& operator=(const TDynLib&) = delete;
  TDynLib(TDynLib&& Other) noexcept : FHandle(std::exchange(Other.FHandle, nullptr)) {}
  TDynLib& operator=(TDynLib&& Other) noexcept {
    if (this != &Other) {
      Free();
      FHandle = std::exchange(Other.FHandle, nullptr);
    }
    return *this;
  }
  ~TDynLib() { Free(); }

  // Loads Name (GBK/UTF-8 path or library name); on Windows with error mode 0x8000 around the load and
  // the floating-point control word restored afterwards. False when it cannot be loaded.
  bool Load(const std::string& Name);
  void Free() noexcept;
  bool Loaded() const noexcept { return FHandle != nullptr; }
  // Address of an exported name, or null.
  void* Resolve(const char* Symbol) const noexcept;

 private:
  void* FHandle = nullptr;
};

}  // namespace halvern::platform
