#include "platform/Window.h"

namespace halvern::platform {

void TParentFill::Follow(void* Parent, void* Child) {
  FParent = Parent;
  FChild = Child;
}

void TParentFill::Release() noexcept {
  FParent = nullptr;
  FChild = nullptr;
}

int WindowDpi(void*) {
  return 96;
}

}  // namespace halvern::platform
