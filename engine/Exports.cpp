// The library's 34 exports, nothing else: each gives a body of engine/LibEnginePort.h its C name and
// calling convention. The bodies catch every error, so nothing unwinds into the host.
#include "engine/LibEnginePort.h"
#include "halvern.h"

namespace x = halvern::exports;

// Engine and ports
int32_t HV_STDCALL EngineInit(int32_t PortType, uint32_t* Handle) {
  return x::EngineInit(PortType, Handle);
}
void HV_STDCALL EngineFina(uint32_t Handle) {
  x::EngineFina(Handle);
}
int32_t HV_STDCALL EngineGetType(void) {
  return x::EngineGetType();
}
int32_t HV_STDCALL EngineGetName(char* Buffer, int32_t* Size) {
  return x::EngineGetName(Buffer, Size);
}
int32_t HV_STDCALL EngineDiscription(char* Buffer, int32_t* Size) {
  return x::EngineDiscription(Buffer, Size);
}
void HV_STDCALL EngineSetEvent(uint32_t Handle, void* UserData, int32_t EventKind, HV_PROC Callback) {
  x::EngineSetEvent(Handle, UserData, EventKind, Callback);
}
int32_t HV_STDCALL EngineGetOptions(uint32_t Handle, char* Buffer, int32_t* Size) {
  return x::EngineGetOptions(Handle, Buffer, Size);
}
int32_t HV_STDCALL EngineSetOptions(uint32_t Handle, const char* Options) {
  return x::EngineSetOptions(Handle, Options);
}

// Records
void HV_STDCALL MoveFirst(uint32_t Handle) {
  x::MoveFirst(Handle);
}
void HV_STDCALL MoveNext(uint32_t Handle) {
  x::MoveNext(Handle);
}
int32_t HV_STDCALL IsEof(uint32_t Handle) {
  return x::IsEof(Handle);
}
int32_t HV_STDCALL DataCount(uint32_t Handle) {
  return x::DataCount(Handle);
}
void HV_STDCALL Append(uint32_t Handle) {
  x::Append(Handle);
}
void HV_STDCALL Post(uint32_t Handle) {
  x::Post(Handle);
}

// Configuration page
int32_t HV_STDCALL ConfigInit(uint32_t Handle, void* ParentWindow, int32_t Flag, uint32_t* Page) {
  return x::ConfigInit(Handle, ParentWindow, Flag, Page);
}
void HV_STDCALL ConfigFina(uint32_t Page) {
  x::ConfigFina(Page);
}
int32_t HV_STDCALL ConfigIsBOF(uint32_t Page) {
  return x::ConfigIsBOF(Page);
}
int32_t HV_STDCALL ConfigIsEOF(uint32_t Page) {
  return x::ConfigIsEOF(Page);
}
int32_t HV_STDCALL ConfigCheckSucceed(uint32_t Page) {
  return x::ConfigCheckSucceed(Page);
}
void HV_STDCALL ConfigNext(uint32_t Page) {
  x::ConfigNext(Page);
}
void HV_STDCALL ConfigPrevious(uint32_t Page) {
  x::ConfigPrevious(Page);
}
void HV_STDCALL ConfigFirst(uint32_t Page) {
  x::ConfigFirst(Page);
}
void HV_STDCALL ConfigLast(uint32_t Page) {
  x::ConfigLast(Page);
}
void HV_STDCALL ConfigUpdate(uint32_t Page) {
  x::ConfigUpdate(Page);
}
uint32_t HV_STDCALL ConfigPort(uint32_t Page) {
  return x::ConfigPort(Page);
}

// Columns and values
int32_t HV_STDCALL FieldGetCount(uint32_t Handle) {
  return x::FieldGetCount(Handle);
}
int32_t HV_STDCALL FieldSetCount(uint32_t Handle, int32_t Count) {
  return x::FieldSetCount(Handle, Count);
}
int32_t HV_STDCALL FieldGetName(uint32_t Handle, int32_t Index, char* Buffer, int32_t* Size) {
  return x::FieldGetName(Handle, Index, Buffer, Size);
}
void HV_STDCALL FieldSetName(uint32_t Handle, int32_t Index, const char* Text, int32_t Length) {
  x::FieldSetName(Handle, Index, Text, Length);
}
int32_t HV_STDCALL FieldGetType(uint32_t Handle, int32_t Index) {
  return x::FieldGetType(Handle, Index);
}
void HV_STDCALL FieldSetType(uint32_t Handle, int32_t Index, int32_t FieldType) {
  x::FieldSetType(Handle, Index, FieldType);
}
HV_PROC HV_STDCALL FieldGetProc(int32_t Direction, int32_t FieldType) {
  return x::FieldGetProc(Direction, FieldType);
}
int32_t HV_STDCALL FieldFindbyName(uint32_t Handle, const char* Name) {
  return x::FieldFindbyName(Handle, Name);
}
int32_t HV_STDCALL FieldIsEmpty(uint32_t Handle, int32_t Index) {
  return x::FieldIsEmpty(Handle, Index);
}
