// Text forms of field values: the fixed date and number format record the field value conversions share,
// the general float format, and the strict readers of numeric, Boolean, GUID and date-time texts.
//
// Everything here is a pure function over its arguments (the locale's decimal separator is read per
// call); safe to call from any thread. Readers answer false (or an empty optional) and never throw.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "transport/TransDefine.h"

namespace halvern {

// The one constant format record of the field value conversions. Separators of numbers are "none"
// (byte 0): numeric texts are read with "." as their only decimal point, and milliseconds cannot be read
// back from a time text.
struct TFormatSettings {
  char DateSeparator;
  char TimeSeparator;
  const char* ShortDateFormat;
  const char* LongDateFormat;
  const char* ShortTimeFormat;
  const char* LongTimeFormat;
  char DecimalSeparator;
  char ThousandSeparator;
  char ListSeparator;
  int32_t TwoDigitYearCenturyWindow;
};

inline constexpr TFormatSettings TransFormatSettings{
    '-', ':', "yyyy-mm-dd", "yyyy-mm-dd", "hh:nn:ss", "hh:nn:ss:zzz", '\0', '\0', '\0', 0};

// The process locale's decimal separator (one byte; "." when the locale names none).
char LocaleDecimalSeparator();

// General number format: Precision significant digits, trailing zeros dropped; plain notation while the
// value has at most Precision digits before the point and is not below 0.00001 in magnitude, otherwise
// scientific with "E" and the shortest exponent (1E20, 1.5E-7).
std::string FormatFloatGeneral(TExtended Value, int Precision, char DecimalSeparator);

// The fixed texts of TransFormatSettings: yyyy-mm-dd, hh:nn:ss:zzz, and the date followed by a blank and
// the time unless hour, minute and second are all 0.
std::string DateToText(TDateTime Value);
std::string TimeToText(TDateTime Value);
std::string DateTimeToText(TDateTime Value);

// Reads a date-time text with TransFormatSettings: an optional year-month-day date, then an optional
// 24-hour time of hours and minutes and optional seconds. Text after a time that follows a date is
// ignored; a text without a date must be a time and nothing else.
std::optional<TDateTime> TextToDateTime(std::string_view Text);

// Integer text: optional blanks, an optional sign, decimal digits, optionally a "." fraction that rounds
// half to even, optional blanks. Fails on anything else and outside the 64-bit range.
std::optional<int64_t> TextToInt64(std::string_view Text);
// Float text: optional blanks, sign, digits with an optional "." fraction and an optional exponent,
// blanks. Read in the C convention whatever the process locale; fails on overflow.
std::optional<TExtended> TextToExtended(std::string_view Text);
// "True" / "False" in any letter case, or a number (0 is false).
std::optional<bool> TextToBoolean(std::string_view Text);
// {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx} with hexadecimal digits in either case.
std::optional<TGuid> TextToGuid(std::string_view Text);

}  // namespace halvern
