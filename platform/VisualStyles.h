// The engine's windows look like the host's themed ones whatever the host's own manifest says: while a
// TModuleVisualStyles lives, windows and window classes made on this thread bind the controls named by
// the engine module's isolation-aware manifest (the version 6 common controls). Where there is no such
// manifest, or no native windows at all, it changes nothing.
//
// Use it as a scope around creating windows, on the thread that creates them.
#pragma once

#include <cstdint>

namespace halvern::platform {

class TModuleVisualStyles {
 public:
  TModuleVisualStyles();
  ~TModuleVisualStyles();
  TModuleVisualStyles(const TModuleVisualStyles&) = delete;
  TModuleVisualStyles& operator=(const TModuleVisualStyles&) = delete;

  // The engine module's context could be made and is active in this scope.
  bool Active() const { return FActive; }

 private:
  [[maybe_unused]] std::uintptr_t FCookie = 0;  // the activation cookie (Windows only)
  bool FActive = false;
};

}  // namespace halvern::platform
