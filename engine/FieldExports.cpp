// The column exports: count, names, types, lookup by name, emptiness, and FieldGetProc.
#include "engine/ExportGuard.h"
#include "engine/FieldProcs.h"
#include "engine/TextOut.h"
#include "halvern.h"

using namespace halvern;
using trace::TText;

namespace {

// The column at Index of a port of either direction, or empty.
TComPtr<ITransField> FieldAt(const TPortView& Port, int32_t Index) {
  TComPtr<ITransField> Field;
  if (Port.Port) Port.Port->GetField(Index, Field.Put());
  return Field;
}

}  // namespace

int32_t HV_STDCALL FieldGetCount(uint32_t Handle) {
  return GuardPort(
      "FieldGetCount", HV_NEUTRAL_FieldGetCount, Handle,
      [](const TPortView& Port) -> int32_t {
        return Port.Port ? Port.Port->GetFieldCount() : HV_NEUTRAL_FieldGetCount;
      },
      Handle);
}

int32_t HV_STDCALL FieldSetCount(uint32_t Handle, int32_t Count) {
  return GuardPort(
      "FieldSetCount", HV_NEUTRAL_FieldSetCount, Handle,
      [&](const TPortView& Port) -> int32_t {
        if (!Port.Writer) return HV_NEUTRAL_FieldSetCount;
        Port.Writer->SetFieldCount(Count);
        return ENGINE_OK;
      },
      Handle, Count);
}

int32_t HV_STDCALL FieldGetName(uint32_t Handle, int32_t Index, char* Buffer, int32_t* Size) {
  return GuardPort(
      "FieldGetName", HV_NEUTRAL_FieldGetName, Handle,
      [&](const TPortView& Port) -> int32_t {
        const TComPtr<ITransField> Field = FieldAt(Port, Index);
        if (!Field || !Size) return HV_NEUTRAL_FieldGetName;
        return TextOut(Field->GetName(), Buffer, Size);
      },
      Handle, Index, static_cast<void*>(Buffer), Size);
}

void HV_STDCALL FieldSetName(uint32_t Handle, int32_t Index, const char* Text, int32_t Length) {
  GuardPort(
      "FieldSetName", kNoAnswer, Handle,
      [&](const TPortView& Port) {
        if (!Text) return;
        if (const TComPtr<ITransField> Field = FieldAt(Port, Index))
          Field->SetName(Length > 0 ? std::string(Text, static_cast<size_t>(Length)) : std::string());
      },
      Handle, Index, TText{Text, Length > 0 ? Length : 0}, Length);
}

int32_t HV_STDCALL FieldGetType(uint32_t Handle, int32_t Index) {
  return GuardPort(
      "FieldGetType", HV_NEUTRAL_FieldGetType, Handle,
      [&](const TPortView& Port) -> int32_t {
        const TComPtr<ITransField> Field = FieldAt(Port, Index);
        return Field ? Field->GetFieldType() : HV_NEUTRAL_FieldGetType;
      },
      Handle, Index);
}

void HV_STDCALL FieldSetType(uint32_t Handle, int32_t Index, int32_t FieldType) {
  GuardPort(
      "FieldSetType", kNoAnswer, Handle,
      [&](const TPortView& Port) {
        if (Port.Writer) Port.Writer->SetFieldType(Index, FieldType);
      },
      Handle, Index, FieldType);
}

HV_PROC HV_STDCALL FieldGetProc(int32_t Direction, int32_t FieldType) {
  return Guard(
      "FieldGetProc", static_cast<HV_PROC>(HV_NEUTRAL_FieldGetProc),
      [&] { return FieldValueProc(Direction, FieldType); }, Direction, FieldType);
}

int32_t HV_STDCALL FieldFindbyName(uint32_t Handle, const char* Name) {
  return GuardPort(
      "FieldFindbyName", HV_NEUTRAL_FieldFindbyName, Handle,
      [&](const TPortView& Port) -> int32_t {
        if (!Name || !Port.Port) return HV_NEUTRAL_FieldFindbyName;
        TComPtr<ITransField> Field;
        Port.Port->FindField(Name, Field.Put());
        return Field ? Field->GetIndex() : HV_NEUTRAL_FieldFindbyName;
      },
      Handle, TText{Name});
}

int32_t HV_STDCALL FieldIsEmpty(uint32_t Handle, int32_t Index) {
  return GuardPort(
      "FieldIsEmpty", HV_NEUTRAL_FieldIsEmpty, Handle,
      [&](const TPortView& Port) -> int32_t {
        TComPtr<ITransField> Field;
        if (Port.Reader) Port.Reader->GetField(Index, Field.Put());
        TComPtr<IFieldReader> Value = Field.Query<IFieldReader>();
        // No value to read counts as empty (halvern.h).
        return !Value || Value->IsNull() ? -1 : 0;
      },
      Handle, Index);
}
