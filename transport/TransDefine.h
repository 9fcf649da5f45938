// The engine-level interfaces of a port and its columns, and the field type codes through which host and
// engine agree on how a value is passed. Each interface is identified by its GUID; one interface becomes
// another only through QueryInterface.
#pragma once

#include <string>

#include "halvern.h"
#include "transport/Transport.h"

namespace halvern {

class TStream;
struct IConfigPageEx;

// Field type codes: the engine's names for the HV_FT_* codes hosts pass, taken from the public header so
// that the two cannot drift. Codes outside this list are not field types; every dispatch on a code
// ignores them.
enum TFieldTypeCode : int32_t {
  ftUnknown = HV_FT_UNKNOWN,  // handled exactly like ftString
  ftByte = HV_FT_BYTE,
  ftWord = HV_FT_WORD,
  ftLongWord = HV_FT_LONGWORD,
  ftShortInt = HV_FT_SHORTINT,
  ftSmallInt = HV_FT_SMALLINT,
  ftInteger = HV_FT_INTEGER,
  ftInt64 = HV_FT_INT64,
  ftBoolean = HV_FT_BOOLEAN,
  ftSingle = HV_FT_SINGLE,
  ftDouble = HV_FT_DOUBLE,
  ftExtended = HV_FT_EXTENDED,  // 80-bit x87 float
  ftGuid = HV_FT_GUID,
  ftTime = HV_FT_TIME,
  ftDate = HV_FT_DATE,
  ftDateTime = HV_FT_DATETIME,
  ftString = HV_FT_STRING,  // GBK bytes
  ftWideString = HV_FT_WIDESTRING,
  ftBlob = HV_FT_BLOB,
};

// 80-bit x87 extended float on both targets (x86 and x86-64 GCC).
using TExtended = long double;
// Days since 1899-12-30 00:00; the fraction is the time of day.
using TDateTime = double;

struct ITransObject : IInterface {
  static constexpr TGuid IID{0x0B0A555D, 0xA31C, 0x497A, {0x9D, 0xE1, 0xB2, 0x86, 0xCB, 0xF1, 0x97, 0x7B}};

  // The implementing object itself, so that a caller can test its class.
  virtual TObject* HV_STDCALL GetObject() = 0;

 protected:
  ~ITransObject() = default;
};

// The engine-level view of a port; the handle EngineInit returns names this interface.
struct ITransNode : IInterface {
  static constexpr TGuid IID{0xE2632ECB, 0x4D51, 0x4CE7, {0x8D, 0x4C, 0x6D, 0xAE, 0x35, 0x09, 0x4F, 0x1A}};

  virtual std::string HV_STDCALL GetName() = 0;
  virtual int32_t HV_STDCALL GetKind() = 0;  // 0 before Initialize, then ENGINE_PORT_IMPORT or _EXPORT
  virtual void HV_STDCALL GetPort(ITransPort** Port) = 0;
  virtual void HV_STDCALL SetEvents(ITransEvents* Events) = 0;
  virtual bool HV_STDCALL Initialize(int32_t Kind) = 0;
  virtual bool HV_STDCALL IsReady() = 0;
  virtual void HV_STDCALL Close() = 0;
  virtual bool HV_STDCALL CreateConfigPage(IConfigPageEx** Page) = 0;
  virtual std::string HV_STDCALL GetOptions() = 0;
  virtual int32_t HV_STDCALL SetOptions(const std::string& Text) = 0;
  virtual bool HV_STDCALL HasConfigPage() = 0;

 protected:
  ~ITransNode() = default;
};

// Record source; answered by import ports only.
struct IDataReader : ITransPort {
  static constexpr TGuid IID{0xB8A171CE, 0x9F75, 0x466E, {0x90, 0x34, 0x82, 0x1E, 0x0F, 0x03, 0x33, 0x30}};

  virtual int32_t HV_STDCALL GetRecordCount() = 0;
  virtual void HV_STDCALL MoveFirst() = 0;
  virtual void HV_STDCALL MoveNext() = 0;
  virtual bool HV_STDCALL IsEof() = 0;

 protected:
  ~IDataReader() = default;
};

// Record sink; answered by export ports only.
struct IDataWriter : ITransPort {
  static constexpr TGuid IID{0x353CB17E, 0xE7DE, 0x46F6, {0xB4, 0x4D, 0xEC, 0xD5, 0x38, 0xF1, 0x0A, 0x1B}};

  virtual void HV_STDCALL SetFieldCount(int32_t Count) = 0;
  virtual void HV_STDCALL SetFieldType(int32_t Index, int32_t FieldType) = 0;
  virtual void HV_STDCALL Append() = 0;
  virtual void HV_STDCALL Post() = 0;

 protected:
  ~IDataWriter() = default;
};

struct ITransField : IInterface {
  static constexpr TGuid IID{0x9B1124A9, 0x27DB, 0x4E7C, {0xA9, 0x90, 0x53, 0x8D, 0x0A, 0xAF, 0xA9, 0x62}};

  virtual std::string HV_STDCALL GetName() = 0;
  virtual void HV_STDCALL SetName(const std::string& Name) = 0;
  virtual int32_t HV_STDCALL GetFieldType() = 0;
  virtual int32_t HV_STDCALL GetIndex() = 0;

 protected:
  ~ITransField() = default;
};

struct IFieldReader : ITransField {
  static constexpr TGuid IID{0x73D8B777, 0xF1C7, 0x4DAF, {0x9D, 0x91, 0x89, 0x67, 0x35, 0xE2, 0x7D, 0xC2}};

  virtual bool HV_STDCALL IsNull() = 0;
  virtual bool HV_STDCALL GetAsBoolean() = 0;
  virtual uint8_t HV_STDCALL GetAsByte() = 0;
  virtual uint16_t HV_STDCALL GetAsWord() = 0;
  virtual uint32_t HV_STDCALL GetAsLongWord() = 0;
  virtual int8_t HV_STDCALL GetAsShortInt() = 0;
  virtual int16_t HV_STDCALL GetAsSmallInt() = 0;
  virtual int32_t HV_STDCALL GetAsInteger() = 0;
  virtual int64_t HV_STDCALL GetAsInt64() = 0;
  virtual float HV_STDCALL GetAsSingle() = 0;
  virtual double HV_STDCALL GetAsDouble() = 0;
  virtual TExtended HV_STDCALL GetAsExtended() = 0;
  virtual void HV_STDCALL GetAsGuid(TGuid& Value) = 0;
  virtual TDateTime HV_STDCALL GetAsDateTime() = 0;
  virtual std::string HV_STDCALL GetAsString() = 0;
  virtual std::u16string HV_STDCALL GetAsWideString() = 0;
  // Blob values are not offered by this engine; the base answers null.
  virtual TStream* HV_STDCALL GetAsBlob() = 0;

 protected:
  ~IFieldReader() = default;
};

struct IFieldWriter : ITransField {
  static constexpr TGuid IID{0x19C448AA, 0xEAFC, 0x4204, {0x93, 0xF0, 0x60, 0x2F, 0xCA, 0xF2, 0x1D, 0x3D}};

  virtual void HV_STDCALL SetAsBoolean(bool Value) = 0;
  virtual void HV_STDCALL SetAsByte(uint8_t Value) = 0;
  virtual void HV_STDCALL SetAsWord(uint16_t Value) = 0;
  virtual void HV_STDCALL SetAsLongWord(uint32_t Value) = 0;
  virtual void HV_STDCALL SetAsShortInt(int8_t Value) = 0;
  virtual void HV_STDCALL SetAsSmallInt(int16_t Value) = 0;
  virtual void HV_STDCALL SetAsInteger(int32_t Value) = 0;
  virtual void HV_STDCALL SetAsInt64(int64_t Value) = 0;
  virtual void HV_STDCALL SetAsSingle(float Value) = 0;
  virtual void HV_STDCALL SetAsDouble(double Value) = 0;
  virtual void HV_STDCALL SetAsExtended(TExtended Value) = 0;
  virtual void HV_STDCALL SetAsGuid(const TGuid& Value) = 0;
  virtual void HV_STDCALL SetAsDateTime(TDateTime Value) = 0;
  virtual void HV_STDCALL SetAsString(const std::string& Value) = 0;
  virtual void HV_STDCALL SetAsWideString(const std::u16string& Value) = 0;
  // Value is positioned at its start; the caller owns it and frees it after the call.
  virtual void HV_STDCALL SetAsBlob(TStream* Value) = 0;

 protected:
  ~IFieldWriter() = default;
};

}  // namespace halvern
