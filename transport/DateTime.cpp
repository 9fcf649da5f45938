#include "transport/DateTime.h"

#include <cmath>

#include "rtl/Exceptions.h"

namespace halvern {
namespace {

// The ordinal of 1899-12-30 when 0001-01-01 is day 1.
constexpr int64_t DateDelta = 693594;
// The day counts of 0001-01-01 and 9999-12-31 relative to 1899-12-30.
constexpr int64_t MinDay = 1 - DateDelta;
constexpr int64_t MaxDay = 2958465;

constexpr const char* SDateEncodeError = "Invalid argument to date encode";
constexpr const char* STimeEncodeError = "Invalid argument to time encode";

// The ordinal of a valid date, 0001-01-01 being day 1.
int64_t DaysFromCivil(int32_t Year, int32_t Month, int32_t Day) {
  static constexpr int32_t Before[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  const int64_t Y = Year - 1;
  int64_t Days = Y * 365 + Y / 4 - Y / 100 + Y / 400 + Before[Month - 1] + Day;
  if (Month > 2 && IsLeapYear(Year)) ++Days;
  return Days;
}

// The calendar date of an ordinal (1 or more, 0001-01-01 being day 1).
void CivilFromDays(int64_t Ordinal, int32_t& Year, int32_t& Month, int32_t& Day) {
  int64_t Days = Ordinal - 1;
  constexpr int64_t D1 = 365, D4 = D1 * 4 + 1, D100 = D4 * 25 - 1, D400 = D100 * 4 + 1;
  int64_t Y = 1;
  Y += (Days / D400) * 400;
  Days %= D400;
  int64_t I = Days / D100;
  if (I == 4) I = 3;  // the last day of a 400-year cycle
  Y += I * 100;
  Days -= I * D100;
  Y += (Days / D4) * 4;
  Days %= D4;
  I = Days / D1;
  if (I == 4) I = 3;  // the last day of a leap cycle
  Y += I;
  Days -= I * D1;
  Year = static_cast<int32_t>(Y);
  Month = 1;
  for (;;) {
    const int32_t InMonth = DaysInMonth(Year, Month);
    if (Days < InMonth) break;
    Days -= InMonth;
    ++Month;
  }
  Day = static_cast<int32_t>(Days) + 1;
}

}  // namespace

bool IsLeapYear(int32_t Year) noexcept {
  return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0);
}

int32_t DaysInMonth(int32_t Year, int32_t Month) noexcept {
  static constexpr int32_t Days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (Month < 1 || Month > 12) return 0;
  return Month == 2 && IsLeapYear(Year) ? 29 : Days[Month - 1];
}

bool TryEncodeDate(int32_t Year, int32_t Month, int32_t Day, TDateTime& Date) noexcept {
  if (Year < 1 || Year > 9999 || Day < 1 || Day > DaysInMonth(Year, Month)) return false;
  Date = static_cast<TDateTime>(DaysFromCivil(Year, Month, Day) - DateDelta);
  return true;
}

bool TryEncodeTime(int32_t Hour, int32_t Min, int32_t Sec, int32_t MSec, TDateTime& Time) noexcept {
  if (Hour < 0 || Hour >= HoursPerDay || Min < 0 || Min >= 60 || Sec < 0 || Sec >= 60 || MSec < 0 ||
      MSec >= 1000)
    return false;
  const int64_t Ms = ((int64_t{Hour} * 60 + Min) * 60 + Sec) * 1000 + MSec;
  Time = static_cast<TDateTime>(Ms) / MSecsPerDay;
  return true;
}

TDateTime ComposeDateTime(TDateTime Date, TDateTime Time) noexcept {
  return Date >= 0 ? Date + Time : Date - Time;
}

bool TryEncodeDateTime(int32_t Year, int32_t Month, int32_t Day, int32_t Hour, int32_t Min, int32_t Sec,
                       int32_t MSec, TDateTime& Value) noexcept {
  TDateTime Date, Time;
  if (!TryEncodeDate(Year, Month, Day, Date) || !TryEncodeTime(Hour, Min, Sec, MSec, Time)) return false;
  Value = ComposeDateTime(Date, Time);
  return true;
}

TDateTime EncodeDate(int32_t Year, int32_t Month, int32_t Day) {
  TDateTime Date;
  if (!TryEncodeDate(Year, Month, Day, Date)) throw EConvertError(SDateEncodeError);
  return Date;
}

TDateTime EncodeTime(int32_t Hour, int32_t Min, int32_t Sec, int32_t MSec) {
  TDateTime Time;
  if (!TryEncodeTime(Hour, Min, Sec, MSec, Time)) throw EConvertError(STimeEncodeError);
  return Time;
}

TDateTime EncodeDateTime(int32_t Year, int32_t Month, int32_t Day, int32_t Hour, int32_t Min, int32_t Sec,
                         int32_t MSec) {
  return ComposeDateTime(EncodeDate(Year, Month, Day), EncodeTime(Hour, Min, Sec, MSec));
}

bool TryDecodeDateTime(TDateTime Value, TDateTimeParts& Parts) noexcept {
  Parts = TDateTimeParts{};
  if (!std::isfinite(Value)) return false;
  // Whole milliseconds first, so that the day and the time of day agree after rounding. The day count
  // truncates towards zero and the time is the magnitude of the rest: -1.5 is the day before
  // 1899-12-30 at 12:00.
  const double Scaled = std::round(Value * MSecsPerDay);
  if (Scaled < static_cast<double>(MinDay - 1) * MSecsPerDay ||
      Scaled > static_cast<double>(MaxDay + 1) * MSecsPerDay)
    return false;
  const int64_t Ms = static_cast<int64_t>(Scaled);
  const int64_t Day = Ms / MSecsPerDay;
  if (Day < MinDay || Day > MaxDay) return false;
  int64_t Time = Ms % MSecsPerDay;
  if (Time < 0) Time = -Time;

  const int64_t Ordinal = Day + DateDelta;
  int32_t Y, M, D;
  CivilFromDays(Ordinal, Y, M, D);
  Parts.Year = static_cast<uint16_t>(Y);
  Parts.Month = static_cast<uint16_t>(M);
  Parts.Day = static_cast<uint16_t>(D);
  Parts.DayOfWeek = static_cast<uint16_t>(Ordinal % 7);  // day 1, 0001-01-01, was a Monday
  Parts.Hour = static_cast<uint16_t>(Time / 3600000);
  Parts.Minute = static_cast<uint16_t>(Time / 60000 % 60);
  Parts.Second = static_cast<uint16_t>(Time / 1000 % 60);
  Parts.MilliSecond = static_cast<uint16_t>(Time % 1000);
  return true;
}

void DecodeDate(TDateTime Value, uint16_t& Year, uint16_t& Month, uint16_t& Day) noexcept {
  TDateTimeParts P;
  TryDecodeDateTime(Value, P);
  Year = P.Year;
  Month = P.Month;
  Day = P.Day;
}

void DecodeTime(TDateTime Value, uint16_t& Hour, uint16_t& Min, uint16_t& Sec, uint16_t& MSec) noexcept {
  TDateTimeParts P;
  TryDecodeDateTime(Value, P);
  Hour = P.Hour;
  Min = P.Minute;
  Sec = P.Second;
  MSec = P.MilliSecond;
}

void DecodeDateTime(TDateTime Value, uint16_t& Year, uint16_t& Month, uint16_t& Day, uint16_t& Hour,
                    uint16_t& Min, uint16_t& Sec, uint16_t& MSec) noexcept {
  TDateTimeParts P;
  TryDecodeDateTime(Value, P);
  Year = P.Year;
  Month = P.Month;
  Day = P.Day;
  Hour = P.Hour;
  Min = P.Minute;
  Sec = P.Second;
  MSec = P.MilliSecond;
}

bool TryPartsToDateTime(const TDateTimeParts& Parts, TDateTime& Value) noexcept {
  return TryEncodeDateTime(Parts.Year, Parts.Month, Parts.Day, Parts.Hour, Parts.Minute, Parts.Second,
                           Parts.MilliSecond, Value);
}

}  // namespace halvern
