// The column exports: count, names, types, lookup by name, emptiness, and FieldGetProc.
#include "engine/ExportGuard.h"
#include "engine/FieldProcs.h"
#include "engine/TextOut.h"
#include "halvern.h"

using namespace halvern;

namespace {

// The column at Index of a port of either direction, or empty.
TComPtr<ITransField> FieldAt(const TPortView& Port, int32_t Index) {
  TComPtr<ITransField> Field;
  Port.Port->GetField(Index, Field.Put());
  return Field;
}

}  // namespace

int32_t HV_STDCALL FieldGetCount(uint32_t Handle) {
  return GuardPort(
      HV_NEUTRAL_FieldGetCount, Handle, &TPortView::Port,
      [](const TPortView& Port) { return Port.Port->GetFieldCount(); }, Handle);
}

int32_t HV_STDCALL FieldSetCount(uint32_t Handle, int32_t Count) {
  return GuardPort(
      HV_NEUTRAL_FieldSetCount, Handle, &TPortView::Writer,
      [&](const TPortView& Port) -> int32_t {
        Port.Writer->SetFieldCount(Count);
        return ENGINE_OK;
      },
      Handle, Count);
}

int32_t HV_STDCALL FieldGetName(uint32_t Handle, int32_t Index, char* Buffer, int32_t* Size) {
  return GuardPort(
      HV_NEUTRAL_FieldGetName, Handle, &TPortView::Port,
      [&](const TPortView& Port) -> int32_t {
        const TComPtr<ITransField> Field = FieldAt(Port, Index);
        if (!Field || !Size) return HV_NEUTRAL_FieldGetName;
        return TextOut(Field->GetName(), Buffer, Size);
      },
      Handle, Index, Buffer, Size);
}

void HV_STDCALL FieldSetName(uint32_t Handle, int32_t Index, const char* Text, int32_t Length) {
  GuardPort(
      kNoAnswer, Handle, &TPortView::Port,
      [&](const TPortView& Port) {
        if (!Text) return;
        if (const TComPtr<ITransField> Field = FieldAt(Port, Index))
          Field->SetName(Length > 0 ? std::string(Text, static_cast<size_t>(Length)) : std::string());
      },
      Handle, Index, Text, Length);
}

int32_t HV_STDCALL FieldGetType(uint32_t Handle, int32_t Index) {
  return GuardPort(
      HV_NEUTRAL_FieldGetType, Handle, &TPortView::Port,
      [&](const TPortView& Port) -> int32_t {
        const TComPtr<ITransField> Field = FieldAt(Port, Index);
        return Field ? Field->GetFieldType() : HV_NEUTRAL_FieldGetType;
      },
      Handle, Index);
}

void HV_STDCALL FieldSetType(uint32_t Handle, int32_t Index, int32_t FieldType) {
  GuardPort(
      kNoAnswer, Handle, &TPortView::Writer,
      [&](const TPortView& Port) { Port.Writer->SetFieldType(Index, FieldType); }, Handle, Index, FieldType);
}

HV_PROC HV_STDCALL FieldGetProc(int32_t Direction, int32_t FieldType) {
  return Guard(
      static_cast<HV_PROC>(HV_NEUTRAL_FieldGetProc), [&] { return FieldValueProc(Direction, FieldType); },
      Direction, FieldType);
}

int32_t HV_STDCALL FieldFindbyName(uint32_t Handle, const char* Name) {
  return GuardPort(
      HV_NEUTRAL_FieldFindbyName, Handle, &TPortView::Port,
      [&](const TPortView& Port) -> int32_t {
        if (!Name) return HV_NEUTRAL_FieldFindbyName;
        TComPtr<ITransField> Field;
        Port.Port->FindField(Name, Field.Put());
        return Field ? Field->GetIndex() : HV_NEUTRAL_FieldFindbyName;
      },
      Handle, Name);
}

int32_t HV_STDCALL FieldIsEmpty(uint32_t Handle, int32_t Index) {
  return GuardPort(
      HV_NEUTRAL_FieldIsEmpty, Handle, &TPortView::Reader,
      [&](const TPortView& Port) -> int32_t {
        TComPtr<ITransField> Field;
        Port.Reader->GetField(Index, Field.Put());
        TComPtr<IFieldReader> Value = Field.Query<IFieldReader>();
        // No value to read counts as empty (halvern.h).
        return !Value || Value->IsNull() ? HV_NEUTRAL_FieldIsEmpty : 0;
      },
      Handle, Index);
}
