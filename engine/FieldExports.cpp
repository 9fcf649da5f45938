// The column exports: count, names, types, lookup by name, emptiness, and FieldGetProc.
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

int32_t FieldGetCount(uint32_t Handle) noexcept {
  try {
    const TCall<ITransPort> Port = ResolveTransPort(Handle);
    return Port ? Port->GetFieldCount() : 0;
  } catch (...) {
    return 0;
  }
}

int32_t FieldSetCount(uint32_t Handle, int32_t Count) noexcept {
  try {
    const TCall<IDataWriter> Writer = ResolvePortAs<IDataWriter>(Handle);
    if (!Writer) return ENGINE_ERR_HANDLE;
    Writer->SetFieldCount(Count);
    return ENGINE_OK;
  } catch (...) {
    return ENGINE_ERR_HANDLE;
  }
}

int32_t FieldGetName(uint32_t Handle, int32_t Index, char* Buffer, int32_t* Size) noexcept {
  try {
    const TCall<ITransField> Field = ResolveField(Handle, Index);
    if (!Field || !Size) return 0;
    return TextOut(Field->GetName(), Buffer, Size);
  } catch (...) {
    return 0;
  }
}

void FieldSetName(uint32_t Handle, int32_t Index, const char* Text, int32_t Length) noexcept {
  try {
    if (!Text) return;
    if (const TCall<ITransField> Field = ResolveField(Handle, Index))
      Field->SetName(Length > 0 ? std::string(Text, static_cast<size_t>(Length)) : std::string());
  } catch (...) {
  }
}

int32_t FieldGetType(uint32_t Handle, int32_t Index) noexcept {
  try {
    const TCall<ITransField> Field = ResolveField(Handle, Index);
    return Field ? Field->GetFieldType() : ftUnknown;
  } catch (...) {
    return ftUnknown;
  }
}

void FieldSetType(uint32_t Handle, int32_t Index, int32_t FieldType) noexcept {
  try {
    if (const TCall<IDataWriter> Writer = ResolvePortAs<IDataWriter>(Handle))
      Writer->SetFieldType(Index, FieldType);
  } catch (...) {
  }
}

HV_PROC FieldGetProc(int32_t Direction, int32_t FieldType) noexcept {
  return FieldValueProc(Direction, FieldType);
}

int32_t FieldFindbyName(uint32_t Handle, const char* Name) noexcept {
  try {
    if (!Name) return -1;
    const TCall<ITransPort> Port = ResolveTransPort(Handle);
    if (!Port) return -1;
    TComPtr<ITransField> Field;
    Port->FindField(Name, Field.Put());
    return Field ? Field->GetIndex() : -1;
  } catch (...) {
    return -1;
  }
}

int32_t FieldIsEmpty(uint32_t Handle, int32_t Index) noexcept {
  try {
    TComPtr<ITransField> Field;
    if (const TCall<IDataReader> Reader = ResolvePortAs<IDataReader>(Handle))
      Reader->GetField(Index, Field.Put());
    TComPtr<IFieldReader> Value = Field.Query<IFieldReader>();
    return !Value || Value->IsNull() ? -1 : 0;
  } catch (...) {
    return -1;
  }
}

}  // namespace halvern::exports
