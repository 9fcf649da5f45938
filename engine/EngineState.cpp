#include "engine/EngineState.h"

#include <utility>

namespace halvern {
namespace {

TEngineIdentity& Slots() noexcept {
  static TEngineIdentity Identity;
  return Identity;
}

}  // namespace

const TEngineIdentity& EngineIdentity() noexcept {
  return Slots();
}

void SetEngineIdentity(TEngineIdentity Identity) {
  Slots() = std::move(Identity);
}

void ClearEngineIdentity() noexcept {
  TEngineIdentity& S = Slots();
  S.Name.clear();
  S.Name.shrink_to_fit();
  S.Description.clear();
  S.Description.shrink_to_fit();
  S.TypeNumber = 0;
  S.ImportPortFactory = nullptr;
  S.ExportPortFactory = nullptr;
}

}  // namespace halvern
