#include "transport/TransValues.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include "platform/CodePage.h"
#include "rtl/Exceptions.h"
#include "rtl/Stream.h"
#include "textformat/KtStrProc.h"
#include "transport/ValueText.h"

namespace halvern {
namespace {

[[noreturn]] void CannotConvert() {
  throw EVariantError("Could not convert variant");
}

uint16_t BaseType(const TVariant& V) {
  return static_cast<uint16_t>(V.VType & ~varByRef);
}

// Bytes of the scalar a numeric, date or Boolean tag holds; 0 for every other tag.
size_t ScalarSize(uint16_t Type) {
  switch (Type) {
    case varSmallint:
    case varBoolean:
    case varWord: return 2;
    case varInteger:
    case varSingle:
    case varLongWord: return 4;
    case varDouble:
    case varCurrency:
    case varDate:
    case varInt64: return 8;
    case varShortInt:
    case varByte: return 1;
    default: return 0;
  }
}

// A by-value copy of a referenced value, so the conversions below see only plain tags.
TVariant Deref(const TVariant& V) {
  if (!(V.VType & varByRef)) return V;
  const uint16_t Type = BaseType(V);
  if (V.VRef == nullptr) CannotConvert();
  TVariant R;
  R.VType = Type;
  if (Type == varOleStr) {
    R.WStr = *static_cast<const std::u16string*>(V.VRef);
  } else if (const size_t N = ScalarSize(Type)) {
    std::memcpy(&R.VInt64, V.VRef, N);
  } else {
    CannotConvert();
  }
  return R;
}

// Every numeric reading of a value, exact for the integer tags.
struct TNumber {
  bool IsInteger;
  int64_t Int;
  TExtended Float;
};

TNumber ToNumber(const TVariant& Value, bool IntegerText) {
  const TVariant V = Deref(Value);
  auto FromText = [&](const std::string& Text) -> TNumber {
    if (IntegerText) {
      if (auto I = TextToInt64(Text)) return {true, *I, 0};
    } else if (auto F = TextToExtended(Text)) {
      return {false, 0, *F};
    }
    CannotConvert();
  };
  switch (V.VType) {
    case varEmpty: return {true, 0, 0};
    case varSmallint: return {true, V.VSmallInt, 0};
    case varInteger: return {true, V.VInteger, 0};
    case varShortInt: return {true, V.VShortInt, 0};
    case varByte: return {true, V.VByte, 0};
    case varWord: return {true, V.VWord, 0};
    case varLongWord: return {true, V.VLongWord, 0};
    case varInt64: return {true, V.VInt64, 0};
    case varBoolean: return {true, V.VBoolean != 0 ? -1 : 0, 0};
    case varSingle: return {false, 0, V.VSingle};
    case varDouble: return {false, 0, V.VDouble};
    case varDate: return {false, 0, V.VDate};
    case varCurrency: return {false, 0, static_cast<TExtended>(V.VCurrency) / 10000};
    case varOleStr: return FromText(platform::WideToAnsi(V.WStr));
    case varString: return FromText(V.Str);
    default: CannotConvert();
  }
}

// An integer in [Lo, Hi]; a float rounds half to even, as the runtime's conversions do.
int64_t ToInteger(const TVariant& V, int64_t Lo, int64_t Hi) {
  const TNumber N = ToNumber(V, true);
  if (N.IsInteger) {
    if (N.Int < Lo || N.Int > Hi) CannotConvert();
    return N.Int;
  }
  if (!std::isfinite(N.Float)) CannotConvert();
  const TExtended R = std::nearbyint(N.Float);
  if (R < static_cast<TExtended>(Lo) || R > static_cast<TExtended>(Hi)) CannotConvert();
  return static_cast<int64_t>(R);
}

int32_t ToInt32(const TVariant& V) {
  return static_cast<int32_t>(
      ToInteger(V, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

int64_t ToInt64(const TVariant& V) {
  return ToInteger(V, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max());
}

TExtended ToExtended(const TVariant& V) {
  const TNumber N = ToNumber(V, false);
  return N.IsInteger ? static_cast<TExtended>(N.Int) : N.Float;
}

// A float narrowed to T; a finite value beyond T's range does not convert.
template <class T>
T ToFloat(const TVariant& V) {
  const TExtended X = ToExtended(V);
  if (std::isfinite(X) && std::fabs(X) > static_cast<TExtended>(std::numeric_limits<T>::max()))
    CannotConvert();
  return static_cast<T>(X);
}

bool ToBoolean(const TVariant& Value) {
  const TVariant V = Deref(Value);
  if (V.VType == varString || V.VType == varOleStr) {
    if (auto B = TextToBoolean(V.VType == varString ? V.Str : platform::WideToAnsi(V.WStr))) return *B;
    CannotConvert();
  }
  if (V.VType == varBoolean) return V.VBoolean != 0;
  const TNumber N = ToNumber(V, false);
  return N.IsInteger ? N.Int != 0 : N.Float != 0;
}

// Currency is a fixed-point count of ten-thousandths: its text is exact, up to four decimals.
std::string CurrencyToText(int64_t C) {
  const bool Negative = C < 0;
  const uint64_t Abs = Negative ? 0 - static_cast<uint64_t>(C) : static_cast<uint64_t>(C);
  std::string Out = Negative ? "-" : "";
  Out += std::to_string(Abs / 10000);
  std::string Frac = std::to_string(Abs % 10000 + 10000).substr(1);
  while (!Frac.empty() && Frac.back() == '0') Frac.pop_back();
  if (!Frac.empty()) {
    Out += LocaleDecimalSeparator();
    Out += Frac;
  }
  return Out;
}

// A date-time value as text: the time alone on day 0, otherwise the date and (when not midnight) the time.
std::string DateValueToText(TDateTime D) {
  return std::trunc(D) == 0 ? TimeToText(D) : DateTimeToText(D);
}

std::string ToText(const TVariant& Value) {
  const TVariant V = Deref(Value);
  switch (V.VType) {
    case varEmpty:
    case varNull: return {};
    case varSmallint: return std::to_string(V.VSmallInt);
    case varInteger: return std::to_string(V.VInteger);
    case varShortInt: return std::to_string(V.VShortInt);
    case varByte: return std::to_string(V.VByte);
    case varWord: return std::to_string(V.VWord);
    case varLongWord: return std::to_string(V.VLongWord);
    case varInt64: return std::to_string(V.VInt64);
    case varBoolean: return V.VBoolean != 0 ? "True" : "False";
    case varSingle: return FormatFloatGeneral(V.VSingle, 7, LocaleDecimalSeparator());
    case varDouble: return FormatFloatGeneral(V.VDouble, 15, LocaleDecimalSeparator());
    case varCurrency: return CurrencyToText(V.VCurrency);
    case varDate: return DateValueToText(V.VDate);
    case varOleStr: return platform::WideToAnsi(V.WStr);
    case varString: return V.Str;
    default: CannotConvert();
  }
}

std::u16string ToWideText(const TVariant& Value) {
  const TVariant V = Deref(Value);
  if (V.VType == varOleStr) return V.WStr;
  return platform::AnsiToWide(ToText(V));
}

TDateTime ToDateTime(const TVariant& Value) {
  const TVariant V = Deref(Value);
  if (V.VType == varDate) return V.VDate;
  if (V.VType == varString || V.VType == varOleStr) {
    if (auto D = TextToDateTime(V.VType == varString ? V.Str : platform::WideToAnsi(V.WStr))) return *D;
    CannotConvert();
  }
  const TExtended X = ToExtended(V);
  if (!std::isfinite(X)) CannotConvert();
  return static_cast<TDateTime>(X);
}

// The blob bytes of a value; false when its tag gives none.
bool BlobBytes(const TVariant& V, std::string& Bytes) {
  const uint16_t Type = BaseType(V);
  const bool ByRef = (V.VType & varByRef) != 0;
  if (Type == varString) {
    if (ByRef) return false;
    Bytes = V.Str;
    return true;
  }
  if (Type == varOleStr) {
    if (ByRef && V.VRef == nullptr) return false;
    Bytes = platform::WideToAnsi(ByRef ? *static_cast<const std::u16string*>(V.VRef) : V.WStr);
    return true;
  }
  const size_t N = ScalarSize(Type);
  if (N == 0) return false;
  const void* Data = ByRef ? V.VRef : static_cast<const void*>(&V.VInt64);
  if (Data == nullptr) return false;
  Bytes.assign(static_cast<const char*>(Data), N);
  return true;
}

void AssignBlob(IFieldWriter* Writer, const TVariant& Value) {
  std::string Bytes;
  if (!BlobBytes(Value, Bytes)) return;
  // The stream is ours: the column reads it during the call and must not keep it.
  auto Stream = std::make_unique<TMemoryStream>();
  Stream->WriteString(Bytes);
  Stream->SetPosition(0);
  Writer->SetAsBlob(Stream.get());
}

void AssignGuid(IFieldWriter* Writer, const TVariant& Value) {
  const std::string Text = ToText(Value);
  if (Text.empty()) return;
  const auto Guid = TextToGuid(Text);
  // Not of the variant family: a malformed GUID reaches the caller.
  if (!Guid) throw EConvertError("'" + Text + "' is not a valid GUID value");
  Writer->SetAsGuid(*Guid);
}

void AssignDateTime(IFieldWriter* Writer, const TVariant& Value) {
  if (Value.VType == varString) {
    // A text that does not read is no error: the column keeps what it held.
    if (const auto D = TextToDateTime(Value.Str)) Writer->SetAsDateTime(*D);
    return;
  }
  Writer->SetAsDateTime(ToDateTime(Value));
}

}  // namespace

std::string FieldValueToText(IFieldReader* Reader) {
  if (Reader == nullptr || Reader->IsNull()) return {};
  switch (Reader->GetFieldType()) {
    case ftExtended: return FormatFloatGeneral(Reader->GetAsExtended(), 15, LocaleDecimalSeparator());
    case ftTime: return TimeToText(Reader->GetAsDateTime());
    case ftDate: return DateToText(Reader->GetAsDateTime());
    case ftDateTime: return DateTimeToText(Reader->GetAsDateTime());
    default: return {};
  }
}

TVariant StripThousands(const TVariant& Value) {
  if (Value.VType != varString) return Value;
  return TVariant::FromString(RemoveChar(Value.Str, ','));
}

void AssignFieldValue(IFieldWriter* Writer, const TVariant& Value) {
  if (Writer == nullptr) return;
  try {
    switch (Writer->GetFieldType()) {
      // Narrowing keeps the low bits without a range check: 300 into a byte column arrives as 44.
      case ftByte: Writer->SetAsByte(static_cast<uint8_t>(ToInt32(StripThousands(Value)))); break;
      case ftWord: Writer->SetAsWord(static_cast<uint16_t>(ToInt32(StripThousands(Value)))); break;
      case ftLongWord: Writer->SetAsLongWord(static_cast<uint32_t>(ToInt64(StripThousands(Value)))); break;
      case ftShortInt: Writer->SetAsShortInt(static_cast<int8_t>(ToInt32(StripThousands(Value)))); break;
      case ftSmallInt: Writer->SetAsSmallInt(static_cast<int16_t>(ToInt32(StripThousands(Value)))); break;
      case ftInteger: Writer->SetAsInteger(ToInt32(StripThousands(Value))); break;
      case ftInt64: Writer->SetAsInt64(ToInt64(StripThousands(Value))); break;
      case ftBoolean: Writer->SetAsBoolean(ToBoolean(StripThousands(Value))); break;
      case ftSingle: Writer->SetAsSingle(ToFloat<float>(StripThousands(Value))); break;
      case ftDouble: Writer->SetAsDouble(ToFloat<double>(StripThousands(Value))); break;
      case ftExtended: Writer->SetAsExtended(ToExtended(StripThousands(Value))); break;
      case ftGuid: AssignGuid(Writer, Value); break;
      case ftTime:
      case ftDate:
      case ftDateTime: AssignDateTime(Writer, Value); break;
      case ftUnknown:
      case ftString: Writer->SetAsString(ToText(Value)); break;
      case ftWideString: Writer->SetAsWideString(ToWideText(Value)); break;
      case ftBlob: AssignBlob(Writer, Value); break;
      default: break;  // not a field type
    }
  } catch (const EVariantError&) {
    // The value does not convert to the column's type: nothing is stored.
  }
}

}  // namespace halvern
