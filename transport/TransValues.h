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

// A small tagged value. Scalars live in the union (or behind Ref with varByRef); texts in Str / WStr.
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
