// Date-time values: days since 1899-12-30 00:00 as a double, the fraction being the time of day.
//
// Dates before 1899-12-30 have a negative day count and are combined with their time of day by
// subtraction, so 1899-12-29 12:00 is -1.5 (the value a host's own date routines produce). Decoding
// rounds to whole milliseconds first, so a value a hair below midnight reads as the next day at 00:00.
// Years run from 1 to 9999. Pure functions of their arguments: safe from any thread.
#pragma once

#include <cstdint>

#include "transport/TransDefine.h"

namespace halvern {

// The broken-down form of a date-time value; field names follow the Windows SYSTEMTIME record.
struct TDateTimeParts {
  uint16_t Year = 0;
  uint16_t Month = 0;
  uint16_t DayOfWeek = 0;  // 0 = Sunday
  uint16_t Day = 0;
  uint16_t Hour = 0;
  uint16_t Minute = 0;
  uint16_t Second = 0;
  uint16_t MilliSecond = 0;
};

constexpr int32_t HoursPerDay = 24;
constexpr int32_t MinsPerDay = HoursPerDay * 60;
constexpr int32_t SecsPerDay = MinsPerDay * 60;
constexpr int32_t MSecsPerDay = SecsPerDay * 1000;

bool IsLeapYear(int32_t Year) noexcept;
// 0 for a month outside 1 to 12.
int32_t DaysInMonth(int32_t Year, int32_t Month) noexcept;

// The day count of a calendar date (no fraction); false when the date does not exist or the year is
// outside 1 to 9999.
bool TryEncodeDate(int32_t Year, int32_t Month, int32_t Day, TDateTime& Date) noexcept;
// The fraction of a day; false unless Hour < 24, Min < 60, Sec < 60 and MSec < 1000.
bool TryEncodeTime(int32_t Hour, int32_t Min, int32_t Sec, int32_t MSec, TDateTime& Time) noexcept;
// Date + Time for a day count of 0 or more, Date - Time for an earlier date.
TDateTime ComposeDateTime(TDateTime Date, TDateTime Time) noexcept;
bool TryEncodeDateTime(int32_t Year, int32_t Month, int32_t Day, int32_t Hour, int32_t Min, int32_t Sec,
                       int32_t MSec, TDateTime& Value) noexcept;

// As the Try forms, raising EConvertError ("Invalid argument to date encode" / "... time encode").
TDateTime EncodeDate(int32_t Year, int32_t Month, int32_t Day);
TDateTime EncodeTime(int32_t Hour, int32_t Min, int32_t Sec, int32_t MSec);
TDateTime EncodeDateTime(int32_t Year, int32_t Month, int32_t Day, int32_t Hour, int32_t Min, int32_t Sec,
                         int32_t MSec);

// Breaks Value into calendar date, day of week and time of day. False (and every part 0) when Value is
// not a finite number or names a day outside the years 1 to 9999.
bool TryDecodeDateTime(TDateTime Value, TDateTimeParts& Parts) noexcept;
// As TryDecodeDateTime, ignoring the result.
void DecodeDate(TDateTime Value, uint16_t& Year, uint16_t& Month, uint16_t& Day) noexcept;
void DecodeTime(TDateTime Value, uint16_t& Hour, uint16_t& Min, uint16_t& Sec, uint16_t& MSec) noexcept;
void DecodeDateTime(TDateTime Value, uint16_t& Year, uint16_t& Month, uint16_t& Day, uint16_t& Hour,
                    uint16_t& Min, uint16_t& Sec, uint16_t& MSec) noexcept;

// The date-time value of Parts (the day of week is not read); false when they name no valid moment.
bool TryPartsToDateTime(const TDateTimeParts& Parts, TDateTime& Value) noexcept;

}  // namespace halvern
