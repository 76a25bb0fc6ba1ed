#include "platform/foundation/Calendar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>
#include <vector>

#include "tests/support/ManualClockFixture.h"

namespace foundation {
namespace {

Calendar calendarIn(std::string_view zone) { return Calendar(*TimeZone::named(zone)); }

DateComponents fields(int year, int month, int day, int hour, int minute, int second, int weekday = 0,
                      int dayOfYear = 0) {
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
  EXPECT_EQ(Calendar(*TimeZone::fromPosixRule("CST-8")).components(Date{1700000000}).hour, 6);
}

TEST(CalendarTest, GregorianBefore1970AndBefore1582) {
  Calendar utc(TimeZone::utc());
  EXPECT_EQ(utc.components(Date{-1}), fields(1969, 12, 31, 23, 59, 59, 4, 365));
  EXPECT_EQ(utc.components(Date{-12219292800}), fields(1582, 10, 15, 0, 0, 0, 6, 288)) << "no Julian dates";
  EXPECT_EQ(utc.components(Date{-12219292801}), fields(1582, 10, 14, 23, 59, 59, 5, 287));
  EXPECT_EQ(utc.components(Date{-62135596800}), fields(1, 1, 1, 0, 0, 0, 2, 1));
  EXPECT_EQ(utc.components(Date{-62135596801}), fields(0, 12, 31, 23, 59, 59, 1, 366)) << "1 BC, a leap year";
  EXPECT_EQ(utc.components(Date{253402300799}), fields(9999, 12, 31, 23, 59, 59, 6, 365));
  EXPECT_EQ(utc.date(fields(0, 2, 29, 0, 0, 0)), Date{-62162121600});
}

TEST(CalendarTest, FractionsNaNAndFarMoments) {
  Calendar utc(TimeZone::utc());
  DateComponents fraction = utc.components(Date{-0.75});
  EXPECT_EQ(fraction.second, 59);
  EXPECT_EQ(fraction.nanosecond, 250'000'000);
  EXPECT_EQ(utc.components(Date{std::nan("")}), utc.components(Date{0}));
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  EXPECT_GT(utc.components(Date{kInfinity}).year, 5'000'000);
  EXPECT_EQ(utc.components(Date{kInfinity}), utc.components(Date{1e300}));
  EXPECT_LT(utc.components(Date{-kInfinity}).year, -5'000'000);
  auto back = utc.date(fields(2024, 5, 6, 7, 8, 9));
  ASSERT_TRUE(back);
  DateComponents withNanoseconds = utc.components(Date{back->secondsSince1970 + 0.5});
  EXPECT_EQ(withNanoseconds.nanosecond, 500'000'000);
  EXPECT_EQ(utc.date(withNanoseconds), Date{back->secondsSince1970 + 0.5});
}

TEST(CalendarTest, DatesFromComponentsRefuseImpossibleFields) {
  Calendar utc(TimeZone::utc());
  EXPECT_EQ(utc.date(fields(2024, 2, 29, 0, 0, 0)), Date{1709164800});
  EXPECT_EQ(utc.date(fields(2023, 2, 29, 0, 0, 0)), std::nullopt);
  EXPECT_EQ(utc.date(fields(1900, 2, 29, 0, 0, 0)), std::nullopt);
  EXPECT_NE(utc.date(fields(2000, 2, 29, 0, 0, 0)), std::nullopt);
  EXPECT_EQ(utc.date(fields(2024, 4, 31, 0, 0, 0)), std::nullopt);
  EXPECT_EQ(utc.date(fields(2024, 13, 1, 0, 0, 0)), std::nullopt);
  EXPECT_EQ(utc.date(fields(2024, 0, 1, 0, 0, 0)), std::nullopt);
  EXPECT_EQ(utc.date(fields(2024, 1, 1, 24, 0, 0)), std::nullopt);
  EXPECT_EQ(utc.date(fields(2024, 1, 1, 0, 60, 0)), std::nullopt);
  EXPECT_EQ(utc.date(fields(2024, 1, 1, 0, 0, -1)), std::nullopt);
  EXPECT_EQ(utc.date(fields(2024, 1, 0, 0, 0, 0)), std::nullopt);
  EXPECT_EQ(utc.date(fields(2'000'000'000, 1, 1, 0, 0, 0)), std::nullopt);
  EXPECT_EQ(utc.date(fields(-2'000'000'000, 1, 1, 0, 0, 0)), std::nullopt);
  DateComponents badNanoseconds = fields(2024, 1, 1, 0, 0, 0);
  badNanoseconds.nanosecond = 1'000'000'000;
  EXPECT_EQ(utc.date(badNanoseconds), std::nullopt);
  EXPECT_EQ(calendarIn("Asia/Shanghai").date(fields(2023, 11, 15, 6, 13, 20)), Date{1700000000});
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
    // 1970-01-01 was a Thursday (5); the weekday steps through the local days from there.
    auto localDays =
        static_cast<long long>(std::floor((whole + newYork.timeZone().secondsFromGMT(Date{whole})) / 86400));
    EXPECT_EQ(c.weekday, static_cast<int>(((localDays + 4) % 7 + 7) % 7) + 1) << when;
  }
}

TEST(CalendarTest, SkippedLocalTimesMoveForwardAndRepeatedOnesTakeTheEarlier) {
  Calendar newYork = calendarIn("America/New_York");
  auto skipped = newYork.date(fields(2024, 3, 10, 2, 30, 0));
  ASSERT_TRUE(skipped.has_value());
  EXPECT_EQ(skipped->secondsSince1970, 1710055800);
  EXPECT_EQ(newYork.components(*skipped).hour, 3);
  EXPECT_EQ(newYork.components(*skipped).minute, 30);
  EXPECT_EQ(newYork.date(fields(2024, 11, 3, 1, 30, 0)), Date{1730611800}) << "01:30 EDT, not EST";
}

TEST(CalendarTest, OneCalendarServesManyThreads) {
  const Calendar newYork = calendarIn("America/New_York");
  std::vector<std::thread> threads;
  std::vector<int> mismatches(4, 0);
  for (std::size_t t = 0; t < mismatches.size(); ++t) {
    threads.emplace_back([&newYork, &mismatches, t] {
      for (int i = 0; i < 500; ++i) {
        double when = 1704067200 + static_cast<double>(t) * 1e7 + i * 3671;
        DateComponents c = newYork.components(Date{when});
        if (c.second != static_cast<int>(std::fmod(when, 60)) || !newYork.date(c)) ++mismatches[t];
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(mismatches, std::vector<int>(4, 0));
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
