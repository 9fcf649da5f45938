#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "rtl/Exceptions.h"
#include "transport/DateTime.h"

namespace halvern {
namespace {

TEST(DateTime, EncodesKnownDays) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDate(2000, 2, 29), 36585.0);
  EXPECT_EQ(EncodeDate(2024, 3, 5), 45356.0);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593.0);
  EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465.0);
  EXPECT_DOUBLE_EQ(EncodeTime(12, 0, 0, 0), 0.5);
  EXPECT_DOUBLE_EQ(EncodeTime(6, 0, 0, 0), 0.25);
}

TEST(DateTime, EarlierDatesSubtractTheirTime) {
  EXPECT_DOUBLE_EQ(EncodeDateTime(1899, 12, 29, 12, 0, 0, 0), -1.5);
  EXPECT_DOUBLE_EQ(EncodeDateTime(1899, 12, 30, 6, 0, 0, 0), 0.25);
  TDateTimeParts P;
  ASSERT_TRUE(TryDecodeDateTime(-1.5, P));
  EXPECT_EQ(P.Year, 1899);
  EXPECT_EQ(P.Month, 12);
  EXPECT_EQ(P.Day, 29);
  EXPECT_EQ(P.Hour, 12);
  ASSERT_TRUE(TryDecodeDateTime(-2.0, P));
  EXPECT_EQ(P.Day, 28);
  EXPECT_EQ(P.Hour, 0);
}

TEST(DateTime, RejectsDatesAndTimesThatDoNotExist) {
  TDateTime V = 123.0;
  EXPECT_FALSE(TryEncodeDate(2023, 2, 29, V));
  EXPECT_FALSE(TryEncodeDate(1900, 2, 29, V));  // not a leap year
  EXPECT_TRUE(TryEncodeDate(2000, 2, 29, V));
  EXPECT_FALSE(TryEncodeDate(2024, 13, 1, V));
  EXPECT_FALSE(TryEncodeDate(2024, 0, 1, V));
  EXPECT_FALSE(TryEncodeDate(0, 1, 1, V));
  EXPECT_FALSE(TryEncodeDate(10000, 1, 1, V));
  EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, V));
  EXPECT_FALSE(TryEncodeTime(0, 60, 0, 0, V));
  EXPECT_FALSE(TryEncodeTime(0, 0, 60, 0, V));
  EXPECT_FALSE(TryEncodeTime(0, 0, 0, 1000, V));
  EXPECT_THROW(EncodeDate(2024, 4, 31), EConvertError);
  EXPECT_THROW(EncodeTime(25, 0, 0, 0), EConvertError);
}

TEST(DateTime, DecodesCalendarFieldsAndDayOfWeek) {
  TDateTimeParts P;
  ASSERT_TRUE(TryDecodeDateTime(EncodeDateTime(2024, 3, 5, 13, 45, 7, 250), P));
  EXPECT_EQ(P.Year, 2024);
  EXPECT_EQ(P.Month, 3);
  EXPECT_EQ(P.Day, 5);
  EXPECT_EQ(P.DayOfWeek, 2);  // a Tuesday
  EXPECT_EQ(P.Hour, 13);
  EXPECT_EQ(P.Minute, 45);
  EXPECT_EQ(P.Second, 7);
  EXPECT_EQ(P.MilliSecond, 250);
  ASSERT_TRUE(TryDecodeDateTime(0.0, P));
  EXPECT_EQ(P.DayOfWeek, 6);  // 1899-12-30 was a Saturday
  // A hair below midnight rounds into the next day rather than reading 23:59:59.1000.
  ASSERT_TRUE(TryDecodeDateTime(EncodeDate(2024, 12, 31) + 0.99999999999, P));
  EXPECT_EQ(P.Year, 2025);
  EXPECT_EQ(P.Month, 1);
  EXPECT_EQ(P.Day, 1);
  EXPECT_EQ(P.Hour, 0);
}

TEST(DateTime, RoundTripsEveryMonthEndAndLeapDay) {
  for (int32_t Y : {1, 4, 100, 400, 1600, 1899, 1900, 2000, 2023, 2024, 2100, 9999}) {
    for (int32_t M = 1; M <= 12; ++M) {
      for (int32_t D : {1, DaysInMonth(Y, M)}) {
        TDateTime V;
        ASSERT_TRUE(TryEncodeDateTime(Y, M, D, 23, 59, 59, 999, V)) << Y << "-" << M << "-" << D;
        TDateTimeParts P;
        ASSERT_TRUE(TryDecodeDateTime(V, P));
        EXPECT_EQ(P.Year, Y);
        EXPECT_EQ(P.Month, M);
        EXPECT_EQ(P.Day, D);
        EXPECT_EQ(P.Hour, 23);
        EXPECT_EQ(P.Second, 59);
        EXPECT_EQ(P.MilliSecond, 999);
        TDateTime Back;
        ASSERT_TRUE(TryPartsToDateTime(P, Back));
        EXPECT_DOUBLE_EQ(Back, V);
      }
    }
  }
}

TEST(DateTime, NonNumbersAndFarDaysDecodeToZeros) {
  TDateTimeParts P;
  EXPECT_FALSE(TryDecodeDateTime(std::numeric_limits<double>::quiet_NaN(), P));
  EXPECT_EQ(P.Year, 0);
  EXPECT_FALSE(TryDecodeDateTime(std::numeric_limits<double>::infinity(), P));
  EXPECT_FALSE(TryDecodeDateTime(3e6, P));
  EXPECT_FALSE(TryDecodeDateTime(-7e5, P));
  EXPECT_FALSE(TryDecodeDateTime(1e300, P));
  EXPECT_EQ(P.Month, 0);
  EXPECT_EQ(P.Day, 0);
}

}  // namespace
}  // namespace halvern
