#include "platform/foundation/Calendar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/support/ManualClockFixture.h"

namespace foundation {
namespace {

Calendar calendarIn(std::string_view zone) { return Calendar(*TimeZone::named(zone)); }

DateComponents fields(int year, int month, int day, int hour, int minute, int second, int weekday, int dayOfYear) {
  DateComponents c;
  c.year = year;
  c.month = month;
  c.day = day;
  c.hour = hour;
  c.minute = minute;
  c.second = second;
  c.weekday = weekday;
  c.dayOfYear = dayOfYear;
  return c;
}

TEST(CalendarTest, ComponentsOfAMomentDependOnTheZone) {
  EXPECT_EQ(calendarIn("UTC").components(Date{1700000000}), fields(2023, 11, 14, 22, 13, 20, 3, 318));
  EXPECT_EQ(calendarIn("Asia/Shanghai").components(Date{1700000000}), fields(2023, 11, 15, 6, 13, 20, 4, 319));
  EXPECT_EQ(calendarIn("America/New_York").components(Date{1700000000}), fields(2023, 11, 14, 17, 13, 20, 3, 318));
}

TEST(CalendarTest, MomentsBefore1970AndFractions) {
  Calendar utc(TimeZone::utc());
  EXPECT_EQ(utc.components(Date{-1}), fields(1969, 12, 31, 23, 59, 59, 4, 365));
  EXPECT_EQ(utc.components(Date{-62135596800}), fields(1, 1, 1, 0, 0, 0, 2, 1));
  EXPECT_EQ(utc.components(Date{253402300799}), fields(9999, 12, 31, 23, 59, 59, 6, 365));
  DateComponents fraction = utc.components(Date{-0.75});
  EXPECT_EQ(fraction.second, 59);
  EXPECT_EQ(fraction.nanosecond, 250'000'000);
  EXPECT_EQ(utc.components(Date{std::nan("")}), utc.components(Date{0}));
  EXPECT_EQ(utc.components(Date{std::numeric_limits<double>::infinity()}).year, utc.components(Date{1e16}).year);
}

TEST(CalendarTest, DatesFromComponentsRefuseImpossibleFields) {
  Calendar utc(TimeZone::utc());
  EXPECT_EQ(utc.date(fields(2024, 2, 29, 0, 0, 0, 0, 0)), Date{1709164800});
  EXPECT_EQ(utc.date(fields(2023, 2, 29, 0, 0, 0, 0, 0)), std::nullopt);
  EXPECT_EQ(utc.date(fields(1900, 2, 29, 0, 0, 0, 0, 0)), std::nullopt);
  EXPECT_NE(utc.date(fields(2000, 2, 29, 0, 0, 0, 0, 0)), std::nullopt);
  EXPECT_EQ(utc.date(fields(2024, 4, 31, 0, 0, 0, 0, 0)), std::nullopt);
  EXPECT_EQ(utc.date(fields(2024, 13, 1, 0, 0, 0, 0, 0)), std::nullopt);
  EXPECT_EQ(utc.date(fields(2024, 1, 1, 24, 0, 0, 0, 0)), std::nullopt);
  EXPECT_EQ(utc.date(fields(2024, 1, 1, 0, 60, 0, 0, 0)), std::nullopt);
  EXPECT_EQ(utc.date(fields(2024, 1, 0, 0, 0, 0, 0, 0)), std::nullopt);
  EXPECT_EQ(calendarIn("Asia/Shanghai").date(fields(2023, 11, 15, 6, 13, 20, 0, 0)), Date{1700000000});
}

TEST(CalendarTest, ComponentsAndDatesAreInverseAcrossCenturiesAndSummerTime) {
  Calendar newYork = calendarIn("America/New_York");
  for (double when = -2e10; when < 2e10; when += 7777777.7) {
    double whole = std::floor(when);
    DateComponents c = newYork.components(Date{whole});
    auto back = newYork.date(c);
    ASSERT_TRUE(back.has_value()) << when;
    // A repeated autumn hour maps back to its first occurrence.
    EXPECT_TRUE(back->secondsSince1970 == whole || back->secondsSince1970 == whole - 3600) << when;
    EXPECT_EQ(Calendar::weekdayFromDays(Calendar::daysFromCivil(c.year, c.month, c.day)), c.weekday);
  }
  for (std::int64_t days = -1'000'000; days < 1'000'000; days += 997) {
    auto civil = Calendar::civilFromDays(days);
    ASSERT_EQ(Calendar::daysFromCivil(civil.year, civil.month, civil.day), days);
  }
}

TEST(CalendarTest, SkippedLocalTimesMoveForward) {
  Calendar newYork = calendarIn("America/New_York");
  auto skipped = newYork.date(fields(2024, 3, 10, 2, 30, 0, 0, 0));
  ASSERT_TRUE(skipped.has_value());
  EXPECT_EQ(newYork.components(*skipped).hour, 3);
  EXPECT_EQ(newYork.components(*skipped).minute, 30);
}

class CurrentDateTest : public testsupport::ManualClockFixture {};

TEST_F(CurrentDateTest, NowComesFromTheProcessClock) {
  Date start = currentDate();
  EXPECT_EQ(start, Date{1'700'000'000});
  clock->advance(Duration(90));
  EXPECT_EQ(currentDate().secondsSince1970, start.secondsSince1970 + 90);
}

}  // namespace
}  // namespace foundation
