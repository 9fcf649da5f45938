// The configuration exports: showing a port's page in a host window, walking and validating it, and
// reaching the working port it edits.
#include "engine/CallGate.h"
#include "engine/HandleRegistry.h"
#include "engine/LibEnginePort.h"

namespace halvern::exports {

int32_t ConfigInit(uint32_t Handle, void* ParentWindow, int32_t Flag, uint32_t* Page) noexcept {
  try {
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
      // Take down whatever the page managed to set up (its working port's handle, its window).
      try {
        NewPage->HidePage();
      } catch (...) {
      }
      return ENGINE_ERR_CREATE;
    }
    *Page = GetHandleRegistry().Add(NewPage.Get(), THandleKind::Page);
    return ENGINE_OK;
  } catch (...) {
    return ENGINE_ERR_CREATE;
  }
}

namespace {

void HidePageOf(IInterface* Obj) {
  if (TComPtr<IConfigPageEx> P = TComPtr<IInterface>(Obj).Query<IConfigPageEx>()) P->HidePage();
}

}  // namespace

void ConfigFina(uint32_t Page) noexcept {
  try {
    // The handle goes first, whatever hiding the page then does: the host ends the page here.
    TComPtr<IInterface> P = GetHandleRegistry().Take(Page, THandleKind::Page);
    if (P) FinishWhenIdle(std::move(P), &HidePageOf);
  } catch (...) {
  }
}

int32_t ConfigIsBOF(uint32_t Page) noexcept {
  try {
    const TCall<IConfigPageEx> P = ResolvePage(Page);
    if (!P) return CONFIG_ERR_HANDLE;
    return P->IsBOF() ? -1 : 0;
  } catch (...) {
    return CONFIG_ERR_HANDLE;
  }
}

int32_t ConfigIsEOF(uint32_t Page) noexcept {
  try {
    const TCall<IConfigPageEx> P = ResolvePage(Page);
    if (!P) return CONFIG_ERR_HANDLE;
    return P->IsEOF() ? -1 : 0;
  } catch (...) {
    return CONFIG_ERR_HANDLE;
  }
}

int32_t ConfigCheckSucceed(uint32_t Page) noexcept {
  try {
    const TCall<IConfigPageEx> P = ResolvePage(Page);
    if (!P) return CONFIG_ERR_HANDLE;
    // 0 means valid here, the opposite of the other truth values.
    return P->CheckSucceed() ? 0 : -1;
  } catch (...) {
    return -1;
  }
}

namespace {

template <class TStep>
void Step(uint32_t Page, TStep Action) noexcept {
  try {
    if (const TCall<IConfigPageEx> P = ResolvePage(Page)) Action(*P);
  } catch (...) {
  }
}

}  // namespace

void ConfigNext(uint32_t Page) noexcept {
  Step(Page, [](IConfigPageEx& P) { P.Next(); });
}

void ConfigPrevious(uint32_t Page) noexcept {
  Step(Page, [](IConfigPageEx& P) { P.Previous(); });
}

void ConfigFirst(uint32_t Page) noexcept {
  Step(Page, [](IConfigPageEx& P) { P.First(); });
}

void ConfigLast(uint32_t Page) noexcept {
  Step(Page, [](IConfigPageEx& P) { P.Last(); });
}

void ConfigUpdate(uint32_t Page) noexcept {
  Step(Page, [](IConfigPageEx& P) { P.UpdatePort(); });
}

uint32_t ConfigPort(uint32_t Page) noexcept {
  try {
    const TCall<IConfigPageEx> P = ResolvePage(Page);
    if (!P) return 0;
    TComPtr<ITransPort> WorkPort;
    P->GetWorkPort(WorkPort.Put());
    TComPtr<ITransNode> Node = WorkPort.Query<ITransNode>();
    // The handle the page registered its working port under (0 when it did not).
    return Node ? GetHandleRegistry().HandleOf(Node.Get(), THandleKind::Port) : 0;
  } catch (...) {
    return 0;
  }
}

}  // namespace halvern::exports
