#include "platform/foundation/TimeZone.h"

#include <gtest/gtest.h>

#include "tests/platform/foundation/TemporaryHome.h"

namespace foundation {
namespace {

using testing::ScopedEnvironment;

TimeZone zone(std::string_view name) {
  auto found = TimeZone::named(name);
  EXPECT_TRUE(found.ok()) << name;
  return found ? *found : TimeZone::utc();
}

TEST(TimeZoneTest, ZoneWithoutSummerTime) {
  TimeZone shanghai = zone("Asia/Shanghai");
  EXPECT_EQ(shanghai.name(), "Asia/Shanghai");
  for (double when : {1705320000.0, 1719835200.0, 4118126400.0}) {
    EXPECT_EQ(shanghai.secondsFromGMT(Date{when}), 8 * 3600);
    EXPECT_EQ(shanghai.abbreviation(Date{when}), "GMT+8") << "no English short name: the offset";
    EXPECT_FALSE(shanghai.isDaylightSavingTime(Date{when}));
  }
  EXPECT_EQ(shanghai.secondsFromGMT(Date{-2.2e9}), 8 * 3600 + 343) << "1900: local mean time, +8:05:43";
}

TEST(TimeZoneTest, SummerTimeChangesAtTheRecordedMoments) {
  TimeZone newYork = zone("America/New_York");
  EXPECT_EQ(newYork.secondsFromGMT(Date{1705320000}), -5 * 3600);
  EXPECT_EQ(newYork.abbreviation(Date{1705320000}), "EST");
  EXPECT_EQ(newYork.secondsFromGMT(Date{1719835200}), -4 * 3600);
  EXPECT_EQ(newYork.abbreviation(Date{1719835200}), "EDT");
  EXPECT_TRUE(newYork.isDaylightSavingTime(Date{1719835200}));
  // 2024-03-10 07:00:00 UTC, when 02:00 EST became 03:00 EDT.
  EXPECT_EQ(newYork.secondsFromGMT(Date{1710054000 - 0.5}), -5 * 3600);
  EXPECT_EQ(newYork.secondsFromGMT(Date{1710054000}), -4 * 3600);
  EXPECT_EQ(newYork.secondsFromGMTAt(1710054000 - 1), -5 * 3600);
  EXPECT_EQ(newYork.secondsFromGMTAt(1710054000), -4 * 3600);
}

TEST(TimeZoneTest, TheYearlyRuleCarriesOnPastTheLastRecordedChange) {
  TimeZone newYork = zone("America/New_York");
  EXPECT_EQ(newYork.abbreviation(Date{4118126400}), "EDT");                      // 2100-07-01
  EXPECT_EQ(newYork.secondsFromGMT(Date{4118126400 - 170 * 86400}), -5 * 3600);  // mid-January 2100
  TimeZone sydney = zone("Australia/Sydney");
  EXPECT_EQ(sydney.secondsFromGMT(Date{4102488000}), 11 * 3600) << "southern summer, 2100-01-01";
  EXPECT_EQ(sydney.secondsFromGMT(Date{4118126400}), 10 * 3600) << "southern winter, 2100-07-01";
}

TEST(TimeZoneTest, LocalTimesInGapsMoveForwardAndRepeatedOnesTakeTheEarlier) {
  TimeZone newYork = zone("America/New_York");
  std::int64_t day = 1710028800;  // 2024-03-10 00:00 as if UTC
  EXPECT_EQ(newYork.utcSecondsForLocal(day + 1 * 3600 + 1800), 1710052200) << "01:30 EST";
  EXPECT_EQ(newYork.utcSecondsForLocal(day + 2 * 3600 + 1800), 1710055800) << "02:30 does not exist: 03:30 EDT";
  EXPECT_EQ(newYork.utcSecondsForLocal(day + 3 * 3600 + 1800), 1710055800) << "03:30 EDT";
  std::int64_t autumn = 1730592000;  // 2024-11-03 00:00 as if UTC
  EXPECT_EQ(newYork.utcSecondsForLocal(autumn + 1 * 3600 + 1800), 1730611800) << "the first 01:30, EDT";
  EXPECT_EQ(newYork.utcSecondsForLocal(autumn + 2 * 3600 + 1800), 1730619000) << "02:30 EST";
  EXPECT_EQ(TimeZone::utc().utcSecondsForLocal(12345), 12345);
}

TEST(TimeZoneTest, PosixRulesStandAlone) {
  auto china = TimeZone::fromPosixRule("CST-8");
  ASSERT_TRUE(china.ok());
  EXPECT_EQ(china->secondsFromGMT(Date{0}), 8 * 3600);
  EXPECT_EQ(china->abbreviation(Date{0}), "CST");
  EXPECT_EQ(china->name(), "CST-8");

  TimeZone newYork = zone("America/New_York");
  for (std::string_view rule : {"EST5EDT,M3.2.0,M11.1.0", "EST+5EDT4,M3.2.0/2:00:00,M11.1.0/02", "XST5XDT"}) {
    auto eastern = TimeZone::fromPosixRule(rule);
    ASSERT_TRUE(eastern.ok()) << rule;
    for (double when = 1893456000; when < 1893456000 + 366 * 86400; when += 1800) {  // all of 2030
      ASSERT_EQ(eastern->secondsFromGMT(Date{when}), newYork.secondsFromGMT(Date{when})) << rule << " " << when;
    }
  }
  auto eastern = TimeZone::fromPosixRule("EST5EDT,M3.2.0,M11.1.0");
  EXPECT_EQ(eastern->abbreviation(Date{1719835200}), "EDT");
  EXPECT_TRUE(eastern->isDaylightSavingTime(Date{1719835200}));
  EXPECT_EQ(eastern->abbreviation(Date{1705320000}), "EST");

  auto quoted = TimeZone::fromPosixRule("<+0330>-3:30");
  ASSERT_TRUE(quoted.ok());
  EXPECT_EQ(quoted->secondsFromGMT(Date{0}), 3 * 3600 + 1800);
  EXPECT_EQ(quoted->abbreviation(Date{0}), "+0330");
}

TEST(TimeZoneTest, PosixRuleDaysAndTimesOfChange) {
  auto julian = TimeZone::fromPosixRule("XST3XDT,J60/0,J300/0");  // 1 March to 27 October
  ASSERT_TRUE(julian.ok());
  double march2024 = 1709251200 + 3 * 3600;  // 2024-03-01 00:00 XST, a leap year
  EXPECT_EQ(julian->secondsFromGMT(Date{march2024}), -2 * 3600);
  EXPECT_EQ(julian->secondsFromGMT(Date{march2024 - 1}), -3 * 3600) << "29 February is not day 60";
  double october27 = 1698364800 + 2 * 3600;  // 2023-10-27 00:00 XDT
  EXPECT_EQ(julian->secondsFromGMT(Date{october27 - 1}), -2 * 3600);
  EXPECT_EQ(julian->secondsFromGMT(Date{october27}), -3 * 3600);

  // Summer time from 23:00 on the Saturday before the last Sunday of March (2030-03-31).
  auto early = TimeZone::fromPosixRule("<-03>3<-02>,M3.5.0/-1,M10.5.0/0");
  ASSERT_TRUE(early.ok());
  double saturdayEleven = 1901145600 - 3600 + 3 * 3600;  // 2030-03-30 23:00 at -03
  EXPECT_EQ(early->secondsFromGMT(Date{saturdayEleven - 1}), -3 * 3600);
  EXPECT_EQ(early->secondsFromGMT(Date{saturdayEleven}), -2 * 3600);
  EXPECT_EQ(early->abbreviation(Date{saturdayEleven}), "-02");
}

TEST(TimeZoneTest, TextsThatAreNotPosixRulesAreRefused) {
  for (std::string_view bad : {"", "EST", "E5", "EST5EDT,M13.1.0,M11.1.0", "EST5EDT,M3.2.0", "EST5EDT,M3.2.7,M11.1.0",
                               "<+03-3", "EST5EDT,M3.2.0,M11.1.0x", "EST99", "EST5EDT,59,304", "EST5EDT,J0,J300",
                               "EST5EDT5,M3.2.0,M11.1.0", "EST5EDT,M3.2.0/168,M11.1.0", "<ab>5"}) {
    auto zone = TimeZone::fromPosixRule(bad);
    ASSERT_FALSE(zone.ok()) << bad;
    EXPECT_TRUE(zone.error()->is(kTimeZoneErrorDomain, kCorruptTimeZoneError)) << bad;
  }
}

TEST(TimeZoneTest, UnknownAndHostileNamesAreRefused) {
  for (std::string_view bad : std::initializer_list<std::string_view>{
           "Mars/Olympus", "../../etc/passwd", "/etc/passwd", "/usr/share/zoneinfo/Asia/Shanghai",
           "Asia/../Asia/Shanghai", "", "Asia//Shanghai", "Asia", "GMT+8", "CST-8",
           std::string_view("Asia/Shanghai\0", 14), "Asia/Shanghai\xff"}) {
    auto found = TimeZone::named(bad);
    ASSERT_FALSE(found.ok()) << bad;
    EXPECT_TRUE(found.error()->is(kTimeZoneErrorDomain, kUnknownTimeZoneError)) << bad;
  }
  EXPECT_FALSE(TimeZone::named(std::string(100'000, 'A')).ok());
  EXPECT_EQ(zone("UTC").secondsFromGMT(Date{0}), 0);
  EXPECT_EQ(zone("GMT").abbreviation(Date{0}), "GMT");
  EXPECT_EQ(zone("US/Eastern").secondsFromGMT(Date{1705320000}), -5 * 3600) << "old names stay";
}

TEST(TimeZoneTest, FixedOffsets) {
  TimeZone east = TimeZone::fixed(8 * 3600);
  EXPECT_EQ(east.name(), "GMT+0800");
  EXPECT_EQ(east.secondsFromGMT(Date{1719835200}), 8 * 3600);
  EXPECT_EQ(east.abbreviation(Date{0}), "GMT+8");
  EXPECT_EQ(TimeZone::fixed(-(9 * 3600 + 30 * 60)).name(), "GMT-0930");
  EXPECT_EQ(TimeZone::fixed(0).name(), "GMT");
  EXPECT_EQ(TimeZone::fixed(1'000'000).secondsFromGMT(Date{0}), 24 * 3600 - 1) << "held within a day";
  EXPECT_EQ(TimeZone::fixed(3600).utcSecondsForLocal(7200), 3600);
}

TEST(TimeZoneTest, CurrentZoneComesFromTheOverrideThenTz) {
  {
    ScopedEnvironment tz("TZ", "Asia/Tokyo");
    EXPECT_EQ(TimeZone::current().name(), "Asia/Tokyo");
    TimeZone::setCurrentForTesting(zone("Europe/Paris"));
    EXPECT_EQ(TimeZone::current().name(), "Europe/Paris");
    TimeZone::setCurrentForTesting(std::nullopt);
  }
  {
    ScopedEnvironment tz("TZ", ":Europe/Paris");
    EXPECT_EQ(TimeZone::current().name(), "Europe/Paris");
  }
  {
    ScopedEnvironment tz("TZ", "");
    EXPECT_EQ(TimeZone::current().secondsFromGMT(Date{0}), 0);
  }
  {
    ScopedEnvironment tz("TZ", "CST-8");
    EXPECT_EQ(TimeZone::current().secondsFromGMT(Date{0}), 8 * 3600);
  }
  {
    ScopedEnvironment tz("TZ", "/usr/share/zoneinfo/Asia/Tokyo");
    EXPECT_EQ(TimeZone::current().name(), "Asia/Tokyo");
  }
  std::string system;
  {
    ScopedEnvironment tz("TZ", std::nullopt);
    system = TimeZone::current().name();
  }
  for (const char* unusable : {"Mars/Olympus", "/etc/passwd", "../../etc/passwd"}) {
    ScopedEnvironment tz("TZ", unusable);
    EXPECT_EQ(TimeZone::current().name(), system) << unusable << ": the system's own setting";
  }
}

}  // namespace
}  // namespace foundation
