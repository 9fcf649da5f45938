// Conversion of field values between text and the typed columns: rendering a float or date-time column
// as text, and storing a tagged value (in practice the host's text) through a column's typed setter.
#pragma once

#include <cstdint>
#include <string>

#include "transport/TransDefine.h"

namespace halvern {

// Type tags of a tagged value: the OLE variant numbering, plus 256 for an ANSI byte string.
enum TVarType : uint16_t {
  varEmpty = 0,
  varNull = 1,
  varSmallint = 2,
  varInteger = 3,
  varSingle = 4,
  varDouble = 5,
  varCurrency = 6,
  varDate = 7,
  varOleStr = 8,
  varBoolean = 11,
  varShortInt = 16,
  varByte = 17,
  varWord = 18,
  varLongWord = 19,
  varInt64 = 20,
  varString = 256,
  varByRef = 0x4000,
};

// A small tagged value. Scalars live in the union; texts in Str (varString) and WStr (varOleStr). With
// varByRef added to a tag, VRef points at the caller's data instead: the scalar itself for the numeric,
// date and Boolean tags, a std::u16string for varOleStr (a referenced varString is not supported and
// converts to nothing). The referenced data must outlive the value.
struct TVariant {
  uint16_t VType = varEmpty;
  union {
    int16_t VSmallInt;
    int32_t VInteger;
    float VSingle;
    double VDouble;
    int64_t VCurrency;  // fixed point, 4 decimals
    double VDate;
    int16_t VBoolean;  // 0 or -1
    int8_t VShortInt;
    uint8_t VByte;
    uint16_t VWord;
    uint32_t VLongWord;
    int64_t VInt64;
    const void* VRef;
  };
  std::string Str;      // varString
  std::u16string WStr;  // varOleStr

  TVariant() : VInt64(0) {}
  static TVariant FromString(std::string S) {
    TVariant V;
    V.VType = varString;
    V.Str = std::move(S);
    return V;
  }
  static TVariant FromWide(std::u16string S) {
    TVariant V;
    V.VType = varOleStr;
    V.WStr = std::move(S);
    return V;
  }
  static TVariant FromInteger(int32_t I) {
    TVariant V;
    V.VType = varInteger;
    V.VInteger = I;
    return V;
  }
  static TVariant FromInt64(int64_t I) {
    TVariant V;
    V.VType = varInt64;
    V.VInt64 = I;
    return V;
  }
  static TVariant FromDouble(double D) {
    TVariant V;
    V.VType = varDouble;
    V.VDouble = D;
    return V;
  }
  static TVariant FromDate(double D) {
    TVariant V;
    V.VType = varDate;
    V.VDate = D;
    return V;
  }
  static TVariant FromBoolean(bool B) {
    TVariant V;
    V.VType = varBoolean;
    V.VBoolean = B ? -1 : 0;
    return V;
  }
  // Type is the tag of the referenced data, without varByRef.
  static TVariant ByRef(uint16_t Type, const void* Data) {
    TVariant V;
    V.VType = static_cast<uint16_t>(Type | varByRef);
    V.VRef = Data;
    return V;
  }
};

// The text of a float or date-time column in the fixed formats; the empty text for a null column or any
// other type.
std::string FieldValueToText(IFieldReader* Reader);

// A copy of Value with every "," removed when it is an ANSI text; otherwise a plain copy.
TVariant StripThousands(const TVariant& Value);

// Converts Value to the column's own type and stores it through the matching setter, or stores nothing
// when it does not convert. A GUID text in the wrong form raises EConvertError, which leaves the call.
void AssignFieldValue(IFieldWriter* Writer, const TVariant& Value);

}  // namespace halvern
