// Field value conversions: float and date-time texts, and storing tagged values through typed setters.
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>

#include "rtl/Exceptions.h"
#include "rtl/Stream.h"
#include "transport/DateTime.h"
#include "transport/TransFields.h"
#include "transport/TransValues.h"
#include "transport/ValueText.h"

namespace halvern {
namespace {

// What a column received.
struct TRecord {
  int Calls = 0;
  std::string Setter;
  int64_t I = 0;
  TExtended F = 0;
  std::string Str;
  std::u16string WStr;
  TGuid Guid{};
  int64_t BlobPosition = -1;
};

// A column of a chosen type that records every setter call.
class TRecordingWriter : public TCustomFiledWriter {
 public:
  explicit TRecordingWriter(int32_t Type) : TCustomFiledWriter(nullptr), FType(Type) {}
  int32_t HV_STDCALL GetFieldType() override { return FType; }

  void HV_STDCALL SetAsBoolean(bool V) override { Int(V ? 1 : 0, "Boolean"); }
  void HV_STDCALL SetAsByte(uint8_t V) override { Int(V, "Byte"); }
  void HV_STDCALL SetAsWord(uint16_t V) override { Int(V, "Word"); }
  void HV_STDCALL SetAsLongWord(uint32_t V) override { Int(V, "LongWord"); }
  void HV_STDCALL SetAsShortInt(int8_t V) override { Int(V, "ShortInt"); }
  void HV_STDCALL SetAsSmallInt(int16_t V) override { Int(V, "SmallInt"); }
  void HV_STDCALL SetAsInteger(int32_t V) override { Int(V, "Integer"); }
  void HV_STDCALL SetAsInt64(int64_t V) override { Int(V, "Int64"); }
  void HV_STDCALL SetAsSingle(float V) override { Float(V, "Single"); }
  void HV_STDCALL SetAsDouble(double V) override { Float(V, "Double"); }
  void HV_STDCALL SetAsExtended(TExtended V) override { Float(V, "Extended"); }
  void HV_STDCALL SetAsDateTime(TDateTime V) override { Float(V, "DateTime"); }
  void HV_STDCALL SetAsGuid(const TGuid& V) override {
    R.Guid = V;
    Called("Guid");
  }
  void HV_STDCALL SetAsString(const std::string& V) override {
    R.Str = V;
    Called("String");
  }
  void HV_STDCALL SetAsWideString(const std::u16string& V) override {
    R.WStr = V;
    Called("WideString");
  }
  void HV_STDCALL SetAsBlob(TStream* V) override {
    R.BlobPosition = V->GetPosition();
    R.Str.assign(static_cast<size_t>(V->GetSize()), '\0');
    V->ReadBuffer(R.Str.data(), static_cast<int32_t>(R.Str.size()));
    Called("Blob");
  }

  TRecord R;

 private:
  void Called(const char* Name) {
    ++R.Calls;
    R.Setter = Name;
  }
  void Int(int64_t V, const char* Name) {
    R.I = V;
    Called(Name);
  }
  void Float(TExtended V, const char* Name) {
    R.F = V;
    Called(Name);
  }
  int32_t FType;
};

// A read-only column with a fixed type and value.
class TFixedReader : public TCustomFieldReader {
 public:
  TFixedReader(int32_t Type, TExtended Value, bool Null = false)
      : TCustomFieldReader(nullptr), FType(Type), FValue(Value), FNull(Null) {}
  int32_t HV_STDCALL GetFieldType() override { return FType; }
  bool HV_STDCALL IsNull() override { return FNull; }
  TExtended HV_STDCALL GetAsExtended() override { return FValue; }
  TDateTime HV_STDCALL GetAsDateTime() override { return static_cast<TDateTime>(FValue); }

 private:
  int32_t FType;
  TExtended FValue;
  bool FNull;
};

TRecord Assign(int32_t Type, const TVariant& V) {
  TRecordingWriter W(Type);
  AssignFieldValue(&W, V);
  return W.R;
}

TRecord AssignText(int32_t Type, const std::string& Text) {
  return Assign(Type, TVariant::FromString(Text));
}

std::string Text(int32_t Type, TExtended V) {
  TFixedReader R(Type, V);
  return FieldValueToText(&R);
}

TEST(FloatText, GeneralFormatWithFifteenDigits) {
  EXPECT_EQ(FormatFloatGeneral(1234.5L, 15, '.'), "1234.5");
  EXPECT_EQ(FormatFloatGeneral(1234.5L, 15, ','), "1234,5");
  EXPECT_EQ(FormatFloatGeneral(0, 15, '.'), "0");
  EXPECT_EQ(FormatFloatGeneral(100, 15, '.'), "100");
  EXPECT_EQ(FormatFloatGeneral(-0.5L, 15, '.'), "-0.5");
  EXPECT_EQ(FormatFloatGeneral(1.0L / 3, 15, '.'), "0.333333333333333");
  EXPECT_EQ(FormatFloatGeneral(2.0L / 3, 15, '.'), "0.666666666666667");
  // Plain while at most 15 digits stand before the point and the value is not below 0.00001.
  EXPECT_EQ(FormatFloatGeneral(999999999999999.0L, 15, '.'), "999999999999999");
  EXPECT_EQ(FormatFloatGeneral(1e15L, 15, '.'), "1E15");
  EXPECT_EQ(FormatFloatGeneral(1234567890123456.0L, 15, '.'), "1.23456789012346E15");
  EXPECT_EQ(FormatFloatGeneral(1e20L, 15, '.'), "1E20");
  EXPECT_EQ(FormatFloatGeneral(0.00001L, 15, '.'), "0.00001");
  EXPECT_EQ(FormatFloatGeneral(0.000015L, 15, '.'), "0.000015");
  EXPECT_EQ(FormatFloatGeneral(0.000001L, 15, '.'), "1E-6");
  EXPECT_EQ(FormatFloatGeneral(1.5e-7L, 15, ','), "1,5E-7");
  EXPECT_EQ(FormatFloatGeneral(-2.5e300L, 15, '.'), "-2.5E300");
  // Rounding to 15 digits can carry into a new leading digit.
  EXPECT_EQ(FormatFloatGeneral(9.9999999999999999L, 15, '.'), "10");
}

TEST(FieldValueToText, FloatsUseTheProcessDecimalSeparator) {
  const std::string Expected = std::string("1234") + LocaleDecimalSeparator() + "5";
  EXPECT_EQ(Text(ftExtended, 1234.5L), Expected);
  TFixedReader Null(ftExtended, 1234.5L, true);
  EXPECT_EQ(FieldValueToText(&Null), "");
  EXPECT_EQ(Text(ftString, 1234.5L), "");
  EXPECT_EQ(Text(ftDouble, 1234.5L), "");
  EXPECT_EQ(FieldValueToText(nullptr), "");
}

TEST(FieldValueToText, DatesAndTimesUseTheFixedFormats) {
  const TDateTime Day = EncodeDate(2024, 3, 5);
  EXPECT_EQ(Text(ftDate, Day + EncodeTime(13, 45, 7, 250)), "2024-03-05");
  EXPECT_EQ(Text(ftTime, Day + EncodeTime(13, 45, 7, 250)), "13:45:07:250");
  EXPECT_EQ(Text(ftDateTime, Day + EncodeTime(13, 45, 7, 250)), "2024-03-05 13:45:07:250");
  // Milliseconds alone do not bring the time out.
  EXPECT_EQ(Text(ftDateTime, Day + EncodeTime(0, 0, 0, 250)), "2024-03-05");
  EXPECT_EQ(Text(ftDateTime, Day), "2024-03-05");
  // Before 1899-12-30 the day count is negative and the time is subtracted.
  EXPECT_EQ(Text(ftDateTime, -1.5), "1899-12-29 12:00:00:000");
  EXPECT_EQ(Text(ftDateTime, 0.25), "1899-12-30 06:00:00:000");
  EXPECT_EQ(Text(ftDate, EncodeDate(1, 1, 1)), "0001-01-01");
  EXPECT_EQ(Text(ftTime, 0), "00:00:00:000");
}

TEST(AssignFieldValue, IntegersNarrowToTheLowBits) {
  auto W = AssignText(ftByte, "300");
  EXPECT_EQ(W.Setter, "Byte");
  EXPECT_EQ(W.I, 44);
  EXPECT_EQ(AssignText(ftLongWord, "-1").I, 4294967295);
  EXPECT_EQ(AssignText(ftWord, "65537").I, 1);
  EXPECT_EQ(AssignText(ftShortInt, "200").I, -56);
  EXPECT_EQ(AssignText(ftSmallInt, "-32769").I, 32767);
  EXPECT_EQ(AssignText(ftInteger, " -42 ").I, -42);
  EXPECT_EQ(AssignText(ftInteger, "+7").I, 7);
  EXPECT_EQ(AssignText(ftInt64, "-9223372036854775808").I, INT64_MIN);
  EXPECT_EQ(AssignText(ftInt64, "9223372036854775807").I, INT64_MAX);
  EXPECT_EQ(AssignText(ftLongWord, "4294967296").I, 0);
}

TEST(AssignFieldValue, NumericTextLosesItsThousandsSeparators) {
  EXPECT_EQ(AssignText(ftInteger, "1,234").I, 1234);
  EXPECT_EQ(AssignText(ftString, "1,234").Str, "1,234");
  auto D = AssignText(ftDouble, "1,5");
  EXPECT_EQ(D.Setter, "Double");
  EXPECT_EQ(D.F, 15);
}

TEST(AssignFieldValue, FractionsRoundHalfToEvenForIntegerColumns) {
  EXPECT_EQ(AssignText(ftInteger, "1.5").I, 2);
  EXPECT_EQ(AssignText(ftInteger, "2.5").I, 2);
  EXPECT_EQ(AssignText(ftInteger, "2.51").I, 3);
  EXPECT_EQ(AssignText(ftInteger, "-2.5").I, -2);
  EXPECT_EQ(AssignText(ftInteger, "-3.5").I, -4);
  EXPECT_EQ(AssignText(ftInteger, ".4").I, 0);
  EXPECT_EQ(Assign(ftInteger, TVariant::FromDouble(2.5)).I, 2);
  EXPECT_EQ(Assign(ftInteger, TVariant::FromDouble(3.5)).I, 4);
}

TEST(AssignFieldValue, TextThatIsNoNumberStoresNothing) {
  for (const char* Bad :
       {"abc", "", "  ", "1e3", "12abc", "--1", "0x10", "2147483648", "-2147483649", "1 2"}) {
    auto W = AssignText(ftInteger, Bad);
    EXPECT_EQ(W.Calls, 0) << Bad;
  }
  EXPECT_EQ(AssignText(ftInt64, "9223372036854775808").Calls, 0);
  EXPECT_EQ(AssignText(ftByte, "").Calls, 0);
  EXPECT_EQ(AssignText(ftDouble, "").Calls, 0);
  EXPECT_EQ(AssignText(ftDouble, "inf").Calls, 0);
  EXPECT_EQ(AssignText(ftDouble, "nan").Calls, 0);
  EXPECT_EQ(AssignText(ftDouble, "1e").Calls, 0);
  EXPECT_EQ(AssignText(ftSingle, "1e39").Calls, 0);
  EXPECT_EQ(AssignText(ftDouble, "1e309").Calls, 0);
  EXPECT_EQ(Assign(ftInteger, TVariant::FromDouble(3e9)).Calls, 0);
  TVariant Null;
  Null.VType = varNull;
  EXPECT_EQ(Assign(ftInteger, Null).Calls, 0);
}

TEST(AssignFieldValue, FloatsReadWithAPointWhateverTheLocale) {
  EXPECT_EQ(AssignText(ftExtended, "1.25").F, 1.25L);
  EXPECT_EQ(AssignText(ftExtended, " -1.5e3 ").F, -1500.0L);
  EXPECT_EQ(AssignText(ftSingle, "0.5").F, 0.5L);
  EXPECT_EQ(AssignText(ftDouble, "7").F, 7.0L);
  EXPECT_EQ(AssignText(ftDouble, "5.").F, 5.0L);
  EXPECT_EQ(AssignText(ftExtended, "0.1").F, 0.1L);
}

TEST(AssignFieldValue, BooleansTakeWordsAndNumbers) {
  EXPECT_EQ(AssignText(ftBoolean, "True").I, 1);
  EXPECT_EQ(AssignText(ftBoolean, "fAlSe").I, 0);
  EXPECT_EQ(AssignText(ftBoolean, "FALSE").Setter, "Boolean");
  EXPECT_EQ(AssignText(ftBoolean, "0").I, 0);
  EXPECT_EQ(AssignText(ftBoolean, "-3.5").I, 1);
  EXPECT_EQ(AssignText(ftBoolean, "yes").Calls, 0);
  EXPECT_EQ(AssignText(ftBoolean, "").Calls, 0);
  EXPECT_EQ(Assign(ftBoolean, TVariant::FromBoolean(true)).I, 1);
  EXPECT_EQ(Assign(ftBoolean, TVariant::FromInteger(0)).I, 0);
}

TEST(AssignFieldValue, GuidTextMustHaveTheBracedForm) {
  auto W = AssignText(ftGuid, "{0B0A555D-A31C-497a-9DE1-B286CBF1977B}");
  ASSERT_EQ(W.Setter, "Guid");
  EXPECT_EQ(W.Guid, ITransObject::IID);
  // An empty text sets nothing and raises nothing.
  EXPECT_EQ(AssignText(ftGuid, "").Calls, 0);
  for (const char* Bad :
       {"0B0A555D-A31C-497A-9DE1-B286CBF1977B", "{0B0A555D-A31C-497A-9DE1-B286CBF1977G}",
        "{0B0A555D-A31C-497A-9DE1B286CBF1977B}", "{0B0A555D-A31C-497A-9DE1-B286CBF1977B} ", "{x}", "1,2"}) {
    TRecordingWriter G(ftGuid);
    try {
      AssignFieldValue(&G, TVariant::FromString(Bad));
      ADD_FAILURE() << "no error for " << Bad;
    } catch (const EConvertError& E) {
      EXPECT_EQ(std::string(E.what()), std::string("'") + Bad + "' is not a valid GUID value");
    }
    EXPECT_EQ(G.R.Calls, 0) << Bad;
  }
}

TEST(AssignFieldValue, DateTimeTextsReadWithTheFixedFormat) {
  const TDateTime Day = EncodeDate(2024, 3, 5);
  auto W = AssignText(ftDate, "2024-03-05");
  EXPECT_EQ(W.Setter, "DateTime");
  EXPECT_EQ(W.F, Day);
  EXPECT_EQ(AssignText(ftDate, "2024-13-05").Calls, 0);
  EXPECT_EQ(AssignText(ftDateTime, "2024-02-30").Calls, 0);
  EXPECT_DOUBLE_EQ(static_cast<double>(AssignText(ftDateTime, "2024-03-05 13:45").F),
                   Day + EncodeTime(13, 45, 0, 0));
  // Text after the time of a date is ignored; a bare time must stand alone.
  EXPECT_DOUBLE_EQ(static_cast<double>(AssignText(ftDateTime, "2024-03-05 13:45:07:250").F),
                   Day + EncodeTime(13, 45, 7, 0));
  EXPECT_DOUBLE_EQ(static_cast<double>(AssignText(ftTime, "13:45:07").F), EncodeTime(13, 45, 7, 0));
  EXPECT_EQ(AssignText(ftTime, "13:45:07:250").Calls, 0);
  EXPECT_EQ(AssignText(ftTime, "13").Calls, 0);
  EXPECT_EQ(AssignText(ftTime, "24:00").Calls, 0);
  EXPECT_EQ(AssignText(ftDate, "2024-03-05 x").Calls, 0);
  EXPECT_EQ(AssignText(ftDate, "2024-03-05 13").Calls, 0);
  EXPECT_EQ(AssignText(ftDate, "").Calls, 0);
  EXPECT_EQ(AssignText(ftDate, " 2024 - 03 - 05 ").F, Day);
  // Before 1899-12-30 the time counts away from zero.
  EXPECT_DOUBLE_EQ(static_cast<double>(AssignText(ftDateTime, "1899-12-29 12:00").F), -1.5);
  EXPECT_DOUBLE_EQ(static_cast<double>(AssignText(ftDateTime, "1899-12-30 06:00").F), 0.25);
  // Other tags convert to a day count.
  EXPECT_EQ(Assign(ftDateTime, TVariant::FromDouble(2.5)).F, 2.5L);
  EXPECT_EQ(Assign(ftDateTime, TVariant::FromDate(-3.25)).F, -3.25L);
}

TEST(AssignFieldValue, TextColumnsTakeTheTextAsItIs) {
  EXPECT_EQ(AssignText(ftString, "").Setter, "String");
  EXPECT_EQ(AssignText(ftString, "").Str, "");
  EXPECT_EQ(AssignText(ftUnknown, "a|b").Str, "a|b");
  auto W = AssignText(ftWideString, "\xB1\xE0\xBA\xC5");  // 编号
  EXPECT_EQ(W.Setter, "WideString");
  EXPECT_EQ(W.WStr, u"\u7F16\u53F7");
  EXPECT_EQ(AssignText(ftWideString, "").WStr, u"");
  EXPECT_EQ(AssignText(ftWideString, "").Calls, 1);
  EXPECT_EQ(Assign(ftString, TVariant::FromWide(u"\u7F16\u53F7")).Str, "\xB1\xE0\xBA\xC5");
  EXPECT_EQ(Assign(ftString, TVariant::FromInteger(-12)).Str, "-12");
  EXPECT_EQ(Assign(ftString, TVariant::FromBoolean(true)).Str, "True");
}

TEST(AssignFieldValue, DateValuesBecomeFixedTextsInTextColumns) {
  EXPECT_EQ(Assign(ftString, TVariant::FromDate(EncodeTime(8, 30, 0, 0))).Str, "08:30:00:000");
  const TDateTime Day = EncodeDate(2024, 3, 5);
  EXPECT_EQ(Assign(ftString, TVariant::FromDate(Day)).Str, "2024-03-05");
  EXPECT_EQ(Assign(ftString, TVariant::FromDate(Day + EncodeTime(13, 45, 7, 250))).Str,
            "2024-03-05 13:45:07:250");
}

TEST(AssignFieldValue, BlobsReceiveTheRawBytesAtPositionZero) {
  auto W = AssignText(ftBlob, "ab\xB1\xE0");
  EXPECT_EQ(W.Setter, "Blob");
  EXPECT_EQ(W.BlobPosition, 0);
  EXPECT_EQ(W.Str, "ab\xB1\xE0");
  EXPECT_EQ(AssignText(ftBlob, "").Calls, 1);
  EXPECT_EQ(AssignText(ftBlob, "").Str, "");
  // No thousands stripping for blobs.
  EXPECT_EQ(AssignText(ftBlob, "1,2").Str, "1,2");

  EXPECT_EQ(Assign(ftBlob, TVariant::FromInteger(0x01020304)).Str, std::string("\x04\x03\x02\x01", 4));
  EXPECT_EQ(Assign(ftBlob, TVariant::FromBoolean(true)).Str, std::string("\xFF\xFF", 2));
  EXPECT_EQ(Assign(ftBlob, TVariant::FromDouble(1.0)).Str.size(), 8u);
  EXPECT_EQ(Assign(ftBlob, TVariant::FromWide(u"ab")).Str, "ab");
  TVariant B;
  B.VType = varByte;
  B.VByte = 7;
  EXPECT_EQ(Assign(ftBlob, B).Str, "\x07");

  const int16_t Small = 0x0102;
  EXPECT_EQ(Assign(ftBlob, TVariant::ByRef(varSmallint, &Small)).Str, std::string("\x02\x01", 2));
  const std::u16string Wide = u"xy";
  EXPECT_EQ(Assign(ftBlob, TVariant::ByRef(varOleStr, &Wide)).Str, "xy");

  // Empty, null and a referenced ANSI text give no bytes: no setter is called.
  EXPECT_EQ(Assign(ftBlob, TVariant()).Calls, 0);
  TVariant Null;
  Null.VType = varNull;
  EXPECT_EQ(Assign(ftBlob, Null).Calls, 0);
  const std::string Ansi = "z";
  EXPECT_EQ(Assign(ftBlob, TVariant::ByRef(varString, &Ansi)).Calls, 0);
}

TEST(AssignFieldValue, ReferencedScalarsConvertLikeTheirValues) {
  const int32_t I = 300;
  EXPECT_EQ(Assign(ftByte, TVariant::ByRef(varInteger, &I)).I, 44);
  const double D = 2.5;
  EXPECT_EQ(Assign(ftDouble, TVariant::ByRef(varDouble, &D)).F, 2.5L);
  EXPECT_EQ(Assign(ftInteger, TVariant::ByRef(varInteger, nullptr)).Calls, 0);
}

TEST(AssignFieldValue, NonTypesAndNullWritersDoNothing) {
  EXPECT_EQ(AssignText(9, "1").Calls, 0);
  EXPECT_EQ(AssignText(-1, "1").Calls, 0);
  EXPECT_EQ(AssignText(68, "1").Calls, 0);
  AssignFieldValue(nullptr, TVariant::FromString("1"));
}

TEST(StripThousands, RemovesCommasOnlyFromAnsiText) {
  EXPECT_EQ(StripThousands(TVariant::FromString("1,234,567")).Str, "1234567");
  EXPECT_EQ(StripThousands(TVariant::FromString("")).Str, "");
  const TVariant W = StripThousands(TVariant::FromWide(u"1,2"));
  EXPECT_EQ(W.VType, varOleStr);
  EXPECT_EQ(W.WStr, u"1,2");
  EXPECT_EQ(StripThousands(TVariant::FromInteger(5)).VInteger, 5);
}

TEST(TextToDateTime, TwoNumberDatesAndShortYearsFollowTheCalendarReader) {
  // Nothing relies on these forms; they must at least not misread as something else.
  EXPECT_FALSE(TextToDateTime("2024").has_value());
  EXPECT_FALSE(TextToDateTime("-").has_value());
  EXPECT_FALSE(TextToDateTime("20245-01-01").has_value());
  EXPECT_TRUE(TextToDateTime("3-5").has_value());
  auto Short = TextToDateTime("24-03-05");
  ASSERT_TRUE(Short.has_value());
  TDateTimeParts P;
  ASSERT_TRUE(TryDecodeDateTime(*Short, P));
  EXPECT_EQ(P.Year % 100, 24);
}

TEST(AssignFieldValue, ReadingIgnoresACommaDecimalLocale) {
  const std::string Saved = std::setlocale(LC_NUMERIC, nullptr);
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "de_DE"))
    GTEST_SKIP() << "no locale with a comma decimal point";
  const auto Read = AssignText(ftDouble, "2.5");
  const std::string Shown = Text(ftExtended, 2.5L);
  std::setlocale(LC_NUMERIC, Saved.c_str());
  EXPECT_EQ(Read.F, 2.5L);
#ifdef _WIN32
  // Windows shows numbers with the user's settings, which the C runtime's locale does not change.
  EXPECT_EQ(Shown, std::string("2") + LocaleDecimalSeparator() + "5");
#else
  EXPECT_EQ(Shown, "2,5");
#endif
}

}  // namespace
}  // namespace halvern
