// The configuration exports: showing a port's page in a host window, walking and validating it, and
// reaching the working port it edits.
#include "engine/CallGate.h"
#include "engine/ExportGuard.h"
#include "engine/HandleRegistry.h"
#include "engine/LibEnginePort.h"

namespace halvern::exports {

int32_t ConfigInit(uint32_t Handle, void* ParentWindow, int32_t Flag, uint32_t* Page) noexcept {
  return Guard(
      "ConfigInit", HV_NEUTRAL_ConfigInit,
      [&]() -> int32_t {
        const TCall<ITransNode> Port = ResolvePort(Handle);
        if (!Port) return ENGINE_ERR_HANDLE;
        const int32_t Kind = Port->GetKind();
        if (Kind != ENGINE_PORT_IMPORT && Kind != ENGINE_PORT_EXPORT) return ENGINE_ERR_TYPE;
        // Without a place for the handle the page could never be ended: make none.
        if (!Page) return ENGINE_ERR_CREATE;
        TComPtr<IConfigPageEx> NewPage;
        Port->CreateConfigPage(NewPage.Put());
        if (!NewPage) return ENGINE_ERR_CREATE;
        try {
          NewPage->ShowPage(ParentWindow, static_cast<uint8_t>(Flag & 0xFF));
        } catch (...) {
          // Take down whatever the page managed to set up (its working port's handle, its window),
          // then let the guard report why showing failed.
          try {
            NewPage->HidePage();
          } catch (...) {
          }
          throw;
        }
        *Page = GetHandleRegistry().Add(NewPage.Get(), THandleKind::Page);
        return ENGINE_OK;
      },
      Handle, ParentWindow, Flag, Page);
}

namespace {

void HidePageOf(IInterface* Obj) {
  if (TComPtr<IConfigPageEx> P = TComPtr<IInterface>(Obj).Query<IConfigPageEx>()) P->HidePage();
}

}  // namespace

void ConfigFina(uint32_t Page) noexcept {
  GuardVoid(
      "ConfigFina",
      [&] {
        // The handle goes first, whatever hiding the page then does: the host ends the page here.
        TComPtr<IInterface> P = GetHandleRegistry().Take(Page, THandleKind::Page);
        if (P) FinishWhenIdle(std::move(P), &HidePageOf);
      },
      Page);
}

int32_t ConfigIsBOF(uint32_t Page) noexcept {
  return Guard(
      "ConfigIsBOF", HV_NEUTRAL_ConfigIsBOF,
      [&]() -> int32_t {
        const TCall<IConfigPageEx> P = ResolvePage(Page);
        if (!P) return HV_NEUTRAL_ConfigIsBOF;
        return P->IsBOF() ? -1 : 0;
      },
      Page);
}

int32_t ConfigIsEOF(uint32_t Page) noexcept {
  return Guard(
      "ConfigIsEOF", HV_NEUTRAL_ConfigIsEOF,
      [&]() -> int32_t {
        const TCall<IConfigPageEx> P = ResolvePage(Page);
        if (!P) return HV_NEUTRAL_ConfigIsEOF;
        return P->IsEOF() ? -1 : 0;
      },
      Page);
}

int32_t ConfigCheckSucceed(uint32_t Page) noexcept {
  // An error while checking answers as a dead handle does: not valid, and not "entries invalid"
  // either, which only a completed check may say.
  return Guard(
      "ConfigCheckSucceed", HV_NEUTRAL_ConfigCheckSucceed,
      [&]() -> int32_t {
        const TCall<IConfigPageEx> P = ResolvePage(Page);
        if (!P) return HV_NEUTRAL_ConfigCheckSucceed;
        // 0 means valid here, the opposite of the other truth values.
        return P->CheckSucceed() ? 0 : -1;
      },
      Page);
}

namespace {

template <class TStep>
void Step(const char* Name, uint32_t Page, TStep Action) noexcept {
  GuardVoid(
      Name,
      [&] {
        if (const TCall<IConfigPageEx> P = ResolvePage(Page)) Action(*P);
      },
      Page);
}

}  // namespace

void ConfigNext(uint32_t Page) noexcept {
  Step("ConfigNext", Page, [](IConfigPageEx& P) { P.Next(); });
}

void ConfigPrevious(uint32_t Page) noexcept {
  Step("ConfigPrevious", Page, [](IConfigPageEx& P) { P.Previous(); });
}

void ConfigFirst(uint32_t Page) noexcept {
  Step("ConfigFirst", Page, [](IConfigPageEx& P) { P.First(); });
}

void ConfigLast(uint32_t Page) noexcept {
  Step("ConfigLast", Page, [](IConfigPageEx& P) { P.Last(); });
}

void ConfigUpdate(uint32_t Page) noexcept {
  Step("ConfigUpdate", Page, [](IConfigPageEx& P) { P.UpdatePort(); });
}

uint32_t ConfigPort(uint32_t Page) noexcept {
  return Guard(
      "ConfigPort", static_cast<uint32_t>(HV_NEUTRAL_ConfigPort),
      [&]() -> uint32_t {
        const TCall<IConfigPageEx> P = ResolvePage(Page);
        if (!P) return HV_NEUTRAL_ConfigPort;
        TComPtr<ITransPort> WorkPort;
        P->GetWorkPort(WorkPort.Put());
        TComPtr<ITransNode> Node = WorkPort.Query<ITransNode>();
        // The handle the page registered its working port under (0 when it did not).
        return Node ? GetHandleRegistry().HandleOf(Node.Get(), THandleKind::Port) : 0;
      },
      Page);
}

}  // namespace halvern::exports
