#include "platform/foundation/TimeZone.h"

#include <gtest/gtest.h>

#include "platform/foundation/FileManager.h"
#include "tests/platform/foundation/TemporaryHome.h"

namespace foundation {
namespace {

using testing::ScopedEnvironment;

TimeZone zone(std::string_view name) {
  auto found = TimeZone::named(name);
  EXPECT_TRUE(found.ok()) << name;
  return found ? *found : TimeZone::utc();
}

TEST(TimeZoneTest, FixedZoneWithoutSummerTime) {
  TimeZone shanghai = zone("Asia/Shanghai");
  EXPECT_EQ(shanghai.name(), "Asia/Shanghai");
  for (double when : {1705320000.0, 1719835200.0, 4118126400.0}) {
    EXPECT_EQ(shanghai.secondsFromGMT(Date{when}), 8 * 3600);
    EXPECT_EQ(shanghai.abbreviation(Date{when}), "CST");
    EXPECT_FALSE(shanghai.isDaylightSavingTime(Date{when}));
  }
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
  EXPECT_EQ(TimeZone::utc().utcSecondsForLocal(12345), 12345);
}

TEST(TimeZoneTest, PosixRulesStandAlone) {
  auto china = TimeZone::fromPosixRule("CST-8");
  ASSERT_TRUE(china.ok());
  EXPECT_EQ(china->secondsFromGMT(Date{0}), 8 * 3600);
  auto eastern = TimeZone::fromPosixRule("EST5EDT,M3.2.0,M11.1.0");
  ASSERT_TRUE(eastern.ok());
  TimeZone newYork = zone("America/New_York");
  for (double when = 1893456000; when < 1893456000 + 366 * 86400; when += 3 * 3600) {  // all of 2030
    ASSERT_EQ(eastern->secondsFromGMT(Date{when}), newYork.secondsFromGMT(Date{when})) << when;
  }
  auto quoted = TimeZone::fromPosixRule("<+0330>-3:30");
  ASSERT_TRUE(quoted.ok());
  EXPECT_EQ(quoted->secondsFromGMT(Date{0}), 3 * 3600 + 1800);
  EXPECT_EQ(quoted->abbreviation(Date{0}), "+0330");
  auto julian = TimeZone::fromPosixRule("XST3XDT,J60/0,J300/0");  // 1 March to 27 October
  ASSERT_TRUE(julian.ok());
  EXPECT_EQ(julian->secondsFromGMT(Date{1709251200 + 3 * 3600 + 1}), -2 * 3600) << "2024-03-01, a leap year";
  EXPECT_EQ(julian->secondsFromGMT(Date{1709251200 + 3 * 3600 - 86400}), -3 * 3600);

  for (std::string_view bad : {"", "EST", "E5", "EST5EDT,M13.1.0,M11.1.0", "EST5EDT,M3.2.0", "EST5EDT,M3.2.7,M11.1.0",
                               "<+03-3", "EST5EDT,M3.2.0,M11.1.0x", "EST99"}) {
    EXPECT_FALSE(TimeZone::fromPosixRule(bad).ok()) << bad;
  }
}

TEST(TimeZoneTest, UnknownAndHostileNamesAreRefused) {
  for (std::string_view bad :
       {"Mars/Olympus", "../../etc/passwd", "/etc/passwd", "Asia/../Asia/Shanghai", "", "Asia//Shanghai", "Asia"}) {
    auto found = TimeZone::named(bad);
    ASSERT_FALSE(found.ok()) << bad;
    EXPECT_EQ(found.error()->domain(), kTimeZoneErrorDomain) << bad;
  }
  EXPECT_TRUE(TimeZone::named("Mars/Olympus").error()->is(kTimeZoneErrorDomain, kUnknownTimeZoneError));
}

TEST(TimeZoneTest, DamagedZoneFilesGiveErrorsNeverWrongZones) {
  auto data = FileManager::readFile("/usr/share/zoneinfo/Asia/Shanghai");
  ASSERT_TRUE(data.ok());
  ASSERT_TRUE(TimeZone::fromZoneFile("whole", *data).ok());
  for (std::size_t length = 0; length < data->size(); ++length) {
    auto cut = TimeZone::fromZoneFile("cut", std::span(*data).first(length));
    if (cut) {
      // Only the optional rule at the end may be missing.
      EXPECT_GE(length, data->size() - 8) << length;
      EXPECT_EQ(cut->secondsFromGMT(Date{1705320000}), 8 * 3600) << length;
    } else {
      EXPECT_TRUE(cut.error()->is(kTimeZoneErrorDomain, kCorruptTimeZoneError)) << length;
    }
  }
  for (std::size_t at = 0; at < data->size(); ++at) {
    Bytes damaged = *data;
    damaged[at] ^= 0xA5;
    auto zone = TimeZone::fromZoneFile("damaged", damaged);
    if (zone) (void)zone->abbreviation(Date{1705320000});  // must not read out of bounds
  }
  EXPECT_FALSE(TimeZone::fromZoneFile("text", Bytes{'h', 'e', 'l', 'l', 'o'}).ok());
}

TEST(TimeZoneTest, WithoutADatabaseOnlyUtcRemains) {
  std::string empty = Paths::useFreshHomeForTesting();
  {
    ScopedEnvironment database("TZDIR", empty);
    EXPECT_EQ(zone("UTC").secondsFromGMT(Date{0}), 0);
    EXPECT_EQ(zone("GMT").abbreviation(Date{0}), "GMT");
    EXPECT_TRUE(TimeZone::named("Asia/Shanghai").error()->is(kTimeZoneErrorDomain, kUnknownTimeZoneError));
  }
  Paths::setHomeForTesting("");
  EXPECT_TRUE(FileManager::removeItem(empty).ok());
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
}

}  // namespace
}  // namespace foundation
