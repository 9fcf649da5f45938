#include "platform/VisualStyles.h"

#include <windows.h>

namespace halvern::platform {

namespace {

// The activation context of the module holding this code, made once from its resource 2 (the
// isolation-aware manifest) and released when the module unloads. INVALID_HANDLE_VALUE when the module
// has no such manifest: the host's context then stays in force.
class TModuleContext {
 public:
  TModuleContext() {
    HMODULE Module = nullptr;
    if (!GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(&Instance), &Module))
      return;
    wchar_t Path[MAX_PATH];
    const DWORD Length = GetModuleFileNameW(Module, Path, MAX_PATH);
    if (Length == 0 || Length >= MAX_PATH) return;
    ACTCTXW Ctx{};
    Ctx.cbSize = sizeof(Ctx);
    Ctx.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    Ctx.lpSource = Path;
    Ctx.hModule = Module;
    Ctx.lpResourceName = MAKEINTRESOURCEW(2);
    FHandle = CreateActCtxW(&Ctx);
  }
  ~TModuleContext() {
    if (FHandle != INVALID_HANDLE_VALUE) ReleaseActCtx(FHandle);
  }
  TModuleContext(const TModuleContext&) = delete;
  TModuleContext& operator=(const TModuleContext&) = delete;

  static const TModuleContext& Instance() {
    static const TModuleContext Context;
    return Context;
  }
  HANDLE Handle() const { return FHandle; }

 private:
  HANDLE FHandle = INVALID_HANDLE_VALUE;
};

}  // namespace

TModuleVisualStyles::TModuleVisualStyles() {
  const HANDLE Context = TModuleContext::Instance().Handle();
  ULONG_PTR Cookie = 0;
  if (Context != INVALID_HANDLE_VALUE && ActivateActCtx(Context, &Cookie)) {
    FCookie = Cookie;
    FActive = true;
  }
}

TModuleVisualStyles::~TModuleVisualStyles() {
  if (FActive) DeactivateActCtx(0, FCookie);
}

}  // namespace halvern::platform
