// Engine identity, port lifetime, options, record walking and the event export.
#include "engine/LibEnginePort.h"

#include "engine/CallGate.h"
#include "engine/EngineState.h"
#include "engine/ExportGuard.h"
#include "engine/HandleRegistry.h"
#include "engine/LibTransLogAdapter.h"
#include "engine/TextOut.h"

namespace halvern {

namespace {

template <class T>
TCall<T> ResolveAs(uint32_t Handle, THandleKind Kind) {
  TCountedCall Call = GetHandleRegistry().ResolveCall(Handle, Kind);
  if (!Call) return {};
  TComPtr<T> Obj = TComPtr<IInterface>(Call.Get()).Query<T>();
  return TCall<T>(std::move(Call), std::move(Obj));
}

void ClosePort(IInterface* Obj) {
  if (TComPtr<ITransNode> Port = TComPtr<IInterface>(Obj).Query<ITransNode>()) Port->Close();
}

}  // namespace

TCall<ITransNode> ResolvePort(uint32_t Handle) {
  return ResolveAs<ITransNode>(Handle, THandleKind::Port);
}

TCall<IConfigPageEx> ResolvePage(uint32_t Handle) {
  return ResolveAs<IConfigPageEx>(Handle, THandleKind::Page);
}

TCall<ITransPort> ResolveTransPort(uint32_t Handle) {
  TCall<ITransNode> Node = ResolvePort(Handle);
  TComPtr<ITransPort> Port;
  if (Node) Node->GetPort(Port.Put());
  return std::move(Node).With(std::move(Port));
}

namespace exports {

using trace::TText;

int32_t EngineInit(int32_t PortType, uint32_t* Handle) noexcept {
  return Guard(
      "EngineInit", HV_NEUTRAL_EngineInit,
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
        TComPtr<ITransNode> Port = Factory();
        if (!Port) return ENGINE_ERR_CREATE;
        Port->SetEvents(TLibTransLogAdapter::Create().Get());
        *Handle = GetHandleRegistry().Add(Port.Get(), THandleKind::Port);
        return ENGINE_OK;
      },
      PortType, Handle);
}

void EngineFina(uint32_t Handle) noexcept {
  GuardVoid(
      "EngineFina",
      [&] {
        // The handle goes first, whatever Close then does: the host treats it as finished.
        TComPtr<IInterface> Port = GetHandleRegistry().Take(Handle, THandleKind::Port);
        if (Port) FinishWhenIdle(std::move(Port), &ClosePort);
      },
      Handle);
}

int32_t EngineGetType() noexcept {
  return Guard("EngineGetType", ENGINE_TYPE_CE_TEXT, [] { return EngineIdentity().TypeNumber; });
}

int32_t EngineGetName(char* Buffer, int32_t* Size) noexcept {
  return Guard(
      "EngineGetName", HV_NEUTRAL_EngineGetName, [&] { return TextOut(EngineIdentity().Name, Buffer, Size); },
      static_cast<void*>(Buffer), Size);
}

int32_t EngineDiscription(char* Buffer, int32_t* Size) noexcept {
  return Guard(
      "EngineDiscription", HV_NEUTRAL_EngineDiscription,
      [&] { return TextOut(EngineIdentity().Description, Buffer, Size); }, static_cast<void*>(Buffer), Size);
}

void EngineSetEvent(uint32_t Handle, void* UserData, int32_t EventKind, HV_PROC Callback) noexcept {
  GuardVoid(
      "EngineSetEvent",
      [&] {
        // The port answers for ITransEvents with the sink it stores; only the engine's own adapter is
        // changed, never a sink of another kind.
        const TCall<ITransEvents> Events = ResolvePort(Handle).Query<ITransEvents>();
        TComPtr<ITransObject> Obj = Events.Ptr().Query<ITransObject>();
        if (!Obj) return;
        if (auto* Adapter = dynamic_cast<TLibTransLogAdapter*>(Obj->GetObject()))
          Adapter->SetCallback(UserData, EventKind, Callback);
      },
      Handle, UserData, EventKind, Callback);
}

int32_t EngineGetOptions(uint32_t Handle, char* Buffer, int32_t* Size) noexcept {
  return Guard(
      "EngineGetOptions", HV_NEUTRAL_EngineGetOptions,
      [&]() -> int32_t {
        const TCall<ITransNode> Port = ResolvePort(Handle);
        if (!Port || !Size) return HV_NEUTRAL_EngineGetOptions;
        return TextOut(Port->GetOptions(), Buffer, Size);
      },
      Handle, static_cast<void*>(Buffer), Size);
}

int32_t EngineSetOptions(uint32_t Handle, const char* Options) noexcept {
  return Guard(
      "EngineSetOptions", HV_NEUTRAL_EngineSetOptions,
      [&]() -> int32_t {
        const TCall<ITransNode> Port = ResolvePort(Handle);
        if (!Port) return HV_NEUTRAL_EngineSetOptions;
        return Port->SetOptions(Options ? std::string(Options) : std::string());
      },
      Handle, TText{Options});
}

void MoveFirst(uint32_t Handle) noexcept {
  GuardVoid(
      "MoveFirst",
      [&] {
        const TResolvedPort Port = ResolvePortView(Handle);
        if (Port.View.Reader) Port.View.Reader->MoveFirst();
      },
      Handle);
}

void MoveNext(uint32_t Handle) noexcept {
  GuardVoid(
      "MoveNext",
      [&] {
        WithPortView(Handle, [](const TPortView& View) {
          if (View.Reader) View.Reader->MoveNext();
        });
      },
      Handle);
}

int32_t IsEof(uint32_t Handle) noexcept {
  return Guard(
      "IsEof", HV_NEUTRAL_IsEof,
      [&] {
        return WithPortView(Handle, [](const TPortView& View) -> int32_t {
          if (!View.Reader) return HV_NEUTRAL_IsEof;
          return View.Reader->IsEof() ? 1 : 0;
        });
      },
      Handle);
}

int32_t DataCount(uint32_t Handle) noexcept {
  return Guard(
      "DataCount", HV_NEUTRAL_DataCount,
      [&] {
        const TCall<IDataReader> Reader = ResolvePortAs<IDataReader>(Handle);
        return Reader ? Reader->GetRecordCount() : HV_NEUTRAL_DataCount;
      },
      Handle);
}

void Append(uint32_t Handle) noexcept {
  GuardVoid(
      "Append",
      [&] {
        WithPortView(Handle, [](const TPortView& View) {
          if (View.Writer) View.Writer->Append();
        });
      },
      Handle);
}

void Post(uint32_t Handle) noexcept {
  GuardVoid(
      "Post",
      [&] {
        WithPortView(Handle, [](const TPortView& View) {
          if (View.Writer) View.Writer->Post();
        });
      },
      Handle);
}

}  // namespace exports
}  // namespace halvern
