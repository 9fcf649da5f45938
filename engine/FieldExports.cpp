// The column exports: count, names, types, lookup by name, emptiness, and FieldGetProc.
#include "engine/ExportGuard.h"
#include "engine/FieldProcs.h"
#include "engine/LibEnginePort.h"
#include "engine/TextOut.h"

namespace halvern::exports {
namespace {

// The column at Index of a port of either direction, or empty.
TCall<ITransField> ResolveField(uint32_t Handle, int32_t Index) {
  TCall<ITransPort> Port = ResolveTransPort(Handle);
  TComPtr<ITransField> Field;
  if (Port) Port->GetField(Index, Field.Put());
  return std::move(Port).With(std::move(Field));
}

}  // namespace

using trace::TText;

int32_t FieldGetCount(uint32_t Handle) noexcept {
  return Guard(
      "FieldGetCount", HV_NEUTRAL_FieldGetCount,
      [&] {
        const TCall<ITransPort> Port = ResolveTransPort(Handle);
        return Port ? Port->GetFieldCount() : HV_NEUTRAL_FieldGetCount;
      },
      Handle);
}

int32_t FieldSetCount(uint32_t Handle, int32_t Count) noexcept {
  return Guard(
      "FieldSetCount", HV_NEUTRAL_FieldSetCount,
      [&]() -> int32_t {
        const TCall<IDataWriter> Writer = ResolvePortAs<IDataWriter>(Handle);
        if (!Writer) return HV_NEUTRAL_FieldSetCount;
        Writer->SetFieldCount(Count);
        return ENGINE_OK;
      },
      Handle, Count);
}

int32_t FieldGetName(uint32_t Handle, int32_t Index, char* Buffer, int32_t* Size) noexcept {
  return Guard(
      "FieldGetName", HV_NEUTRAL_FieldGetName,
      [&]() -> int32_t {
        const TCall<ITransField> Field = ResolveField(Handle, Index);
        if (!Field || !Size) return HV_NEUTRAL_FieldGetName;
        return TextOut(Field->GetName(), Buffer, Size);
      },
      Handle, Index, static_cast<void*>(Buffer), Size);
}

void FieldSetName(uint32_t Handle, int32_t Index, const char* Text, int32_t Length) noexcept {
  GuardVoid(
      "FieldSetName",
      [&] {
        if (!Text) return;
        if (const TCall<ITransField> Field = ResolveField(Handle, Index))
          Field->SetName(Length > 0 ? std::string(Text, static_cast<size_t>(Length)) : std::string());
      },
      Handle, Index, TText{Text, Length > 0 ? Length : 0}, Length);
}

int32_t FieldGetType(uint32_t Handle, int32_t Index) noexcept {
  return Guard(
      "FieldGetType", HV_NEUTRAL_FieldGetType,
      [&] {
        const TCall<ITransField> Field = ResolveField(Handle, Index);
        return Field ? Field->GetFieldType() : HV_NEUTRAL_FieldGetType;
      },
      Handle, Index);
}

void FieldSetType(uint32_t Handle, int32_t Index, int32_t FieldType) noexcept {
  GuardVoid(
      "FieldSetType",
      [&] {
        if (const TCall<IDataWriter> Writer = ResolvePortAs<IDataWriter>(Handle))
          Writer->SetFieldType(Index, FieldType);
      },
      Handle, Index, FieldType);
}

HV_PROC FieldGetProc(int32_t Direction, int32_t FieldType) noexcept {
  return Guard(
      "FieldGetProc", static_cast<HV_PROC>(HV_NEUTRAL_FieldGetProc),
      [&] { return FieldValueProc(Direction, FieldType); }, Direction, FieldType);
}

int32_t FieldFindbyName(uint32_t Handle, const char* Name) noexcept {
  return Guard(
      "FieldFindbyName", HV_NEUTRAL_FieldFindbyName,
      [&]() -> int32_t {
        if (!Name) return HV_NEUTRAL_FieldFindbyName;
        const TCall<ITransPort> Port = ResolveTransPort(Handle);
        if (!Port) return HV_NEUTRAL_FieldFindbyName;
        TComPtr<ITransField> Field;
        Port->FindField(Name, Field.Put());
        return Field ? Field->GetIndex() : HV_NEUTRAL_FieldFindbyName;
      },
      Handle, TText{Name});
}

int32_t FieldIsEmpty(uint32_t Handle, int32_t Index) noexcept {
  return Guard(
      "FieldIsEmpty", HV_NEUTRAL_FieldIsEmpty,
      [&]() -> int32_t {
        TComPtr<ITransField> Field;
        if (const TCall<IDataReader> Reader = ResolvePortAs<IDataReader>(Handle))
          Reader->GetField(Index, Field.Put());
        TComPtr<IFieldReader> Value = Field.Query<IFieldReader>();
        // No value to read counts as empty (halvern.h).
        return !Value || Value->IsNull() ? -1 : 0;
      },
      Handle, Index);
}

}  // namespace halvern::exports
