// Library loading through the Windows loader. The name is GBK text, the engine's code page, widened
// for LoadLibraryW. A library that is missing must not make the loader show a dialog box, and a
// library's start-up code may change the floating-point control word, which the host relies on; both
// are restored after the load.
#include "platform/DynLib.h"

#include <float.h>
#include <windows.h>

#include <utility>

#include "platform/CodePage.h"

namespace halvern::platform {
namespace {

constexpr UINT NoOpenFileErrorBox = 0x8000;  // SEM_NOOPENFILEERRORBOX
constexpr unsigned int FpuMask = _MCW_EM | _MCW_RC | _MCW_PC | _MCW_IC | _MCW_DN;

}  // namespace

bool TDynLib::Load(const std::string& Name) {
  Free();
  if (Name.empty()) return false;
  const std::u16string Wide = AnsiToWide(Name);
  if (Wide.empty()) return false;
  const unsigned int SavedFpu = _control87(0, 0);
  const UINT SavedMode = SetErrorMode(NoOpenFileErrorBox);
  HMODULE Module = LoadLibraryW(reinterpret_cast<const wchar_t*>(Wide.c_str()));
  SetErrorMode(SavedMode);
  _control87(SavedFpu, FpuMask);
  FHandle = reinterpret_cast<void*>(Module);
  return FHandle != nullptr;
}

void TDynLib::Free() noexcept {
  if (FHandle != nullptr) FreeLibrary(reinterpret_cast<HMODULE>(std::exchange(FHandle, nullptr)));
}

void* TDynLib::Resolve(const char* Symbol) const noexcept {
  if (FHandle == nullptr || Symbol == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(FHandle), Symbol));
}

std::string SharedLibraryFileName(const std::string& Base, int Version) {
  static_cast<void>(Version);
  return Base + ".dll";
}

bool StaticsDestroyedSafelyAtUnload() noexcept {
  return false;
}

}  // namespace halvern::platform
