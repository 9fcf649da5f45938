#include "host/EngineLib.h"

#include "host/CompanionFile.h"
#include "host/HostPlatform.h"

namespace halvern::host {

bool TEngineLib::Load(const std::string& Path) {
  Unload();
  FPath = Path;
  FError.clear();
  if (!FLib.Load(Path)) {
    FError = "cannot load the engine library '" + Path + "'";
    return false;
  }
  // Each pointer takes its type from the export's declaration, so a wrong signature cannot be bound.
#define HV_BIND(Ret, Name, Params)                                                \
  Name = reinterpret_cast<HV_PFN_##Name>(FLib.Resolve(#Name));                    \
  if (!Name) {                                                                    \
    FError = "the engine library '" + Path + "' has no export named '" #Name "'"; \
    Unload();                                                                     \
    return false;                                                                 \
  }
  HV_EXPORT_LIST(HV_BIND)
#undef HV_BIND
  return true;
}

void TEngineLib::Unload() noexcept {
#define HV_CLEAR(Ret, Name, Params) Name = nullptr;
  HV_EXPORT_LIST(HV_CLEAR)
#undef HV_CLEAR
  FLib.Free();
}

std::string TEngineLib::Name() const {
  return FetchText([this](char* Buffer, int32_t* Size) { return EngineGetName(Buffer, Size); });
}

std::string TEngineLib::Description() const {
  return FetchText([this](char* Buffer, int32_t* Size) { return EngineDiscription(Buffer, Size); });
}

const std::vector<const char*>& TEngineLib::ExportNames() {
#define HV_NAME(Ret, Name, Params) #Name,
  static const std::vector<const char*> Names{HV_EXPORT_LIST(HV_NAME)};
#undef HV_NAME
  return Names;
}

#ifndef HALVERN_INSTALLED_ENGINE
#define HALVERN_INSTALLED_ENGINE ""
#endif

std::string DefaultEnginePath() {
  return CompanionFile(EngineFileName(), HALVERN_INSTALLED_ENGINE);
}

}  // namespace halvern::host
