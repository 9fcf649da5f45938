// Library loading through the dynamic linker. RTLD_LOCAL keeps a bound library's symbols from leaking
// into the global namespace, so an emulator and a real library can be bound one after the other.
#include "platform/DynLib.h"

#include <dlfcn.h>

#include <utility>

namespace halvern::platform {

bool TDynLib::Load(const std::string& Name) {
  Free();
  if (Name.empty()) return false;
  FHandle = dlopen(Name.c_str(), RTLD_NOW | RTLD_LOCAL);
  return FHandle != nullptr;
}

void TDynLib::Free() noexcept {
  if (FHandle != nullptr) dlclose(std::exchange(FHandle, nullptr));
}

void* TDynLib::Resolve(const char* Symbol) const noexcept {
  if (FHandle == nullptr || Symbol == nullptr) return nullptr;
  return dlsym(FHandle, Symbol);
}

std::string SharedLibraryFileName(const std::string& Base, int Version) {
  return "lib" + Base + ".so." + std::to_string(Version);
}

bool StaticsDestroyedSafelyAtUnload() noexcept {
  return true;
}

}  // namespace halvern::platform
