// The configuration exports: showing a port's page in a host window, walking and validating it, and
// reaching the working port it edits.
#include "engine/ExportGuard.h"
#include "engine/HandleRegistry.h"
#include "halvern.h"

using namespace halvern;

namespace {

void HidePageOf(IInterface* Obj) {
  if (TComPtr<IConfigPageEx> P = TComPtr<IInterface>(Obj).Query<IConfigPageEx>()) P->HidePage();
}

// Shows NewPage in ParentWindow; should that fail, takes down whatever the page managed to set up (its
// working port's handle, its window) before the error goes on to the guard.
void ShowOrUndo(IConfigPageEx& NewPage, void* ParentWindow, int32_t Flag) {
  try {
    NewPage.ShowPage(ParentWindow, static_cast<uint8_t>(Flag & 0xFF));
  } catch (...) {
    try {
      NewPage.HidePage();
    } catch (...) {
    }
    throw;
  }
}

}  // namespace

int32_t HV_STDCALL ConfigInit(uint32_t Handle, void* ParentWindow, int32_t Flag, uint32_t* Page) {
  // A dead handle answers ENGINE_ERR_HANDLE, an error inside the engine ENGINE_ERR_CREATE.
  return GuardPort(
      {ENGINE_ERR_HANDLE, HV_NEUTRAL_ConfigInit}, Handle, &TPortView::Node,
      [&](const TPortView& Port) -> int32_t {
        const int32_t Kind = Port.Node->GetKind();
        if (Kind != ENGINE_PORT_IMPORT && Kind != ENGINE_PORT_EXPORT) return ENGINE_ERR_TYPE;
        // Without a place for the handle the page could never be ended: make none.
        if (!Page) return ENGINE_ERR_CREATE;
        TComPtr<IConfigPageEx> NewPage;
        Port.Node->CreateConfigPage(NewPage.Put());
        if (!NewPage) return ENGINE_ERR_CREATE;
        ShowOrUndo(*NewPage, ParentWindow, Flag);
        *Page = GetHandleRegistry().Add(NewPage.Get(), THandleKind::Page);
        return ENGINE_OK;
      },
      Handle, ParentWindow, Flag, Page);
}

void HV_STDCALL ConfigFina(uint32_t Page) {
  Guard(
      kNoAnswer,
      [&] {
        // The handle goes first, whatever hiding the page then does: the host ends the page here.
        GetHandleRegistry().Remove(Page, THandleKind::Page, &HidePageOf);
      },
      Page);
}

int32_t HV_STDCALL ConfigIsBOF(uint32_t Page) {
  return GuardPage(
      HV_NEUTRAL_ConfigIsBOF, Page, [](IConfigPageEx& P) -> int32_t { return P.IsBOF() ? -1 : 0; }, Page);
}

int32_t HV_STDCALL ConfigIsEOF(uint32_t Page) {
  return GuardPage(
      HV_NEUTRAL_ConfigIsEOF, Page, [](IConfigPageEx& P) -> int32_t { return P.IsEOF() ? -1 : 0; }, Page);
}

int32_t HV_STDCALL ConfigCheckSucceed(uint32_t Page) {
  // An error while checking answers as a dead handle does: not valid, and not "entries invalid"
  // either, which only a completed check may say.
  return GuardPage(
      HV_NEUTRAL_ConfigCheckSucceed, Page,
      [](IConfigPageEx& P) -> int32_t {
        // 0 means valid here, the opposite of the other truth values.
        return P.CheckSucceed() ? 0 : -1;
      },
      Page);
}

void HV_STDCALL ConfigNext(uint32_t Page) {
  GuardPage(
      kNoAnswer, Page, [](IConfigPageEx& P) { P.Next(); }, Page);
}

void HV_STDCALL ConfigPrevious(uint32_t Page) {
  GuardPage(
      kNoAnswer, Page, [](IConfigPageEx& P) { P.Previous(); }, Page);
}

void HV_STDCALL ConfigFirst(uint32_t Page) {
  GuardPage(
      kNoAnswer, Page, [](IConfigPageEx& P) { P.First(); }, Page);
}

void HV_STDCALL ConfigLast(uint32_t Page) {
  GuardPage(
      kNoAnswer, Page, [](IConfigPageEx& P) { P.Last(); }, Page);
}

void HV_STDCALL ConfigUpdate(uint32_t Page) {
  GuardPage(
      kNoAnswer, Page, [](IConfigPageEx& P) { P.UpdatePort(); }, Page);
}

uint32_t HV_STDCALL ConfigPort(uint32_t Page) {
  return GuardPage(
      static_cast<uint32_t>(HV_NEUTRAL_ConfigPort), Page,
      [](IConfigPageEx& P) -> uint32_t {
        TComPtr<ITransPort> WorkPort;
        P.GetWorkPort(WorkPort.Put());
        TComPtr<ITransNode> Node = WorkPort.Query<ITransNode>();
        // The handle the page registered its working port under (0 when it did not).
        return Node ? GetHandleRegistry().HandleOf(Node.Get(), THandleKind::Port)
                    : static_cast<uint32_t>(HV_NEUTRAL_ConfigPort);
      },
      Page);
}
