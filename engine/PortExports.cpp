// The exports for the engine's identity, a port's life, its options, record walking and the event
// procedure. Like every export they know only the transport interfaces, never a port class.
#include <exception>

#include "engine/EngineState.h"
#include "engine/ExportGuard.h"
#include "engine/HandleRegistry.h"
#include "engine/LibTransLogAdapter.h"
#include "engine/TextOut.h"
#include "halvern.h"
#include "platform/SysError.h"
#include "rtl/Exceptions.h"
#include "transport/OutOfMemory.h"

using namespace halvern;

namespace {

// Not run for a port that failed (ExportGuard.h). Memory running out in Close itself is told as in any
// other call on the port; the handle is gone by then, so there is nothing left to refuse.
void ClosePort(IInterface* Obj) {
  TComPtr<ITransNode> Port = TComPtr<IInterface>(Obj).Query<ITransNode>();
  if (!Port) return;
  try {
    Port->Close();
  } catch (const std::exception& E) {
    if (IsOutOfMemory(E)) ReportOutOfMemory(*Port);
    throw;
  }
}

}  // namespace

int32_t HV_STDCALL EngineInit(int32_t PortType, uint32_t* Handle) {
  return Guard(
      HV_NEUTRAL_EngineInit,
      [&]() -> int32_t {
        const TEngineIdentity& Id = EngineIdentity();
        TPortFactory Factory = nullptr;
        switch (PortType) {
          case ENGINE_PORT_IMPORT: Factory = Id.ImportPortFactory; break;
          case ENGINE_PORT_EXPORT: Factory = Id.ExportPortFactory; break;
          default: return ENGINE_ERR_TYPE;
        }
        // Without a place for the handle the port could never be reached: make none.
        if (!Factory || !Handle) return ENGINE_ERR_CREATE;
        // Made before the first port, so that no port needs memory to say that memory ran out.
        platform::OutOfMemoryText();
        TComPtr<ITransNode> Port = Factory();
        if (!Port) return ENGINE_ERR_CREATE;
        Port->SetEvents(TLibTransLogAdapter::Create().Get());
        *Handle = GetHandleRegistry().Add(Port.Get(), THandleKind::Port);
        return ENGINE_OK;
      },
      PortType, Handle);
}

void HV_STDCALL EngineFina(uint32_t Handle) {
  Guard(
      kNoAnswer,
      [&] {
        // The handle goes first, whatever Close then does: the host treats it as finished.
        GetHandleRegistry().Remove(Handle, THandleKind::Port, &ClosePort);
      },
      Handle);
}

int32_t HV_STDCALL EngineGetType(void) {
  return Guard(ENGINE_TYPE_CE_TEXT, [] { return EngineIdentity().TypeNumber; });
}

int32_t HV_STDCALL EngineGetName(char* Buffer, int32_t* Size) {
  return Guard(
      HV_NEUTRAL_EngineGetName, [&] { return TextOut(EngineIdentity().Name, Buffer, Size); }, Buffer, Size);
}

int32_t HV_STDCALL EngineDiscription(char* Buffer, int32_t* Size) {
  return Guard(
      HV_NEUTRAL_EngineDiscription, [&] { return TextOut(EngineIdentity().Description, Buffer, Size); },
      Buffer, Size);
}

void HV_STDCALL EngineSetEvent(uint32_t Handle, void* UserData, int32_t EventKind, HV_PROC Callback) {
  GuardPort(
      kNoAnswer, Handle, &TPortView::Node,
      [&](const TPortView& Port) {
        // The port answers for ITransEvents with the sink it stores; only the engine's own adapter is
        // changed, never a sink of another kind.
        TComPtr<ITransObject> Obj =
            TComPtr<ITransNode>(Port.Node).Query<ITransEvents>().Query<ITransObject>();
        if (!Obj) return;
        if (auto* Adapter = dynamic_cast<TLibTransLogAdapter*>(Obj->GetObject()))
          Adapter->SetCallback(UserData, EventKind, Callback);
      },
      Handle, UserData, EventKind, Callback);
}

int32_t HV_STDCALL EngineGetOptions(uint32_t Handle, char* Buffer, int32_t* Size) {
  return GuardPort(
      HV_NEUTRAL_EngineGetOptions, Handle, &TPortView::Node,
      [&](const TPortView& Port) -> int32_t {
        if (!Size) return HV_NEUTRAL_EngineGetOptions;
        return TextOut(Port.Node->GetOptions(), Buffer, Size);
      },
      Handle, Buffer, Size);
}

int32_t HV_STDCALL EngineSetOptions(uint32_t Handle, const char* Options) {
  return GuardPort(
      HV_NEUTRAL_EngineSetOptions, Handle, &TPortView::Node,
      [&](const TPortView& Port) -> int32_t {
        return Port.Node->SetOptions(Options ? std::string(Options) : std::string());
      },
      Handle, Options);
}

void HV_STDCALL MoveFirst(uint32_t Handle) {
  GuardPort(
      kNoAnswer, Handle, &TPortView::Reader, [](const TPortView& Port) { Port.Reader->MoveFirst(); }, Handle);
}

void HV_STDCALL MoveNext(uint32_t Handle) {
  GuardPort(
      kNoAnswer, Handle, &TPortView::Reader, [](const TPortView& Port) { Port.Reader->MoveNext(); }, Handle);
}

int32_t HV_STDCALL IsEof(uint32_t Handle) {
  return GuardPort(
      {HV_NEUTRAL_IsEof, 1}, Handle, &TPortView::Reader,
      [](const TPortView& Port) -> int32_t { return Port.Reader->IsEof() ? 1 : 0; }, Handle);
}

int32_t HV_STDCALL DataCount(uint32_t Handle) {
  return GuardPort(
      HV_NEUTRAL_DataCount, Handle, &TPortView::Reader,
      [](const TPortView& Port) { return Port.Reader->GetRecordCount(); }, Handle);
}

void HV_STDCALL Append(uint32_t Handle) {
  GuardPort(
      kNoAnswer, Handle, &TPortView::Writer, [](const TPortView& Port) { Port.Writer->Append(); }, Handle);
}

void HV_STDCALL Post(uint32_t Handle) {
  GuardPort(
      kNoAnswer, Handle, &TPortView::Writer, [](const TPortView& Port) { Port.Writer->Post(); }, Handle);
}
