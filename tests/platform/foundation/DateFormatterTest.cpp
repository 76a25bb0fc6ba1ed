#include "platform/foundation/DateFormatter.h"

#include <gtest/gtest.h>

#include "tests/support/ManualClockFixture.h"

namespace foundation {
namespace {

constexpr Date kMoment{1700000000.25};  // 2023-11-14 22:13:20.25 UTC, 2023-11-15 06:13:20.25 in Shanghai

TimeZone zone(std::string_view name) { return *TimeZone::named(name); }

std::string format(std::string_view pattern, std::string_view locale = "zh_CN", std::string_view in = "Asia/Shanghai",
                   Date date = kMoment) {
  return DateFormatter(pattern, Locale(locale), zone(in)).stringFromDate(date);
}

std::optional<double> parse(std::string_view pattern, std::string_view text, std::string_view in = "Asia/Shanghai",
                            std::string_view locale = "en_US_POSIX") {
  auto date = DateFormatter(pattern, Locale(locale), zone(in)).dateFromString(text);
  return date ? std::optional<double>(date->secondsSince1970) : std::nullopt;
}

TEST(DateFormatterTest, NumericPatterns) {
  EXPECT_EQ(format("yyyy-MM-dd HH:mm:ss"), "2023-11-15 06:13:20");
  EXPECT_EQ(format("yyyy-MM-dd"), "2023-11-15");
  EXPECT_EQ(format("MM-dd HH:mm"), "11-15 06:13");
  EXPECT_EQ(format("HH:mm"), "06:13");
  EXPECT_EQ(format("yyyy-MM-dd HH:mm:ss", "zh_CN", "America/New_York"), "2023-11-14 17:13:20");
  EXPECT_EQ(format("y/M/d H:m:s"), "2023/11/15 6:13:20");
  EXPECT_EQ(format("yy D ss.SSS S"), "23 319 20.250 2");
  EXPECT_EQ(format("h:mm K k", "zh_CN", "UTC"), "10:13 10 22");
  EXPECT_EQ(format("h K k H", "zh_CN", "UTC", Date{0}), "12 0 24 0");
}

TEST(DateFormatterTest, NamesFollowTheLocale) {
  EXPECT_EQ(format("EEEE"), "星期三");
  EXPECT_EQ(format("EEE"), "周三");
  EXPECT_EQ(format("EEEEE"), "三");
  EXPECT_EQ(format("c"), "4");
  EXPECT_EQ(format("cccc"), "星期三");
  EXPECT_EQ(format("MMM MMMM LLLL"), "11月 十一月 十一月");
  EXPECT_EQ(format("a h:mm"), "上午 6:13");
  EXPECT_EQ(format("EEEE", "en_US_POSIX"), "Wednesday");
  EXPECT_EQ(format("EEE, dd MMM yyyy", "en_US_POSIX"), "Wed, 15 Nov 2023");
  EXPECT_EQ(format("a h:mm", "en_US_POSIX", "UTC"), "PM 10:13");
  EXPECT_EQ(format("G yyyy", "en_US_POSIX", "UTC", Date{-62167219200}), "BC 0001");  // the year 0
  EXPECT_EQ(format("G", "zh_CN"), "公元");
}

TEST(DateFormatterTest, ZonesAndOffsets) {
  EXPECT_EQ(format("z Z ZZZZ ZZZZZ"), "CST +0800 GMT+08:00 +08:00");
  EXPECT_EQ(format("z", "en_US_POSIX", "America/New_York"), "EST");
  EXPECT_EQ(format("Z", "en_US_POSIX", "America/New_York"), "-0500");
  EXPECT_EQ(format("z ZZZZZ", "en_US_POSIX", "GMT"), "GMT Z");
  EXPECT_EQ(format("z", "en_US_POSIX", "Asia/Dubai"), "GMT+4") << "a zone whose abbreviation is a number";
  EXPECT_EQ(format("z zzzz", "en_US_POSIX", "Asia/Kathmandu"), "GMT+5:45 GMT+05:45");
}

TEST(DateFormatterTest, QuotedTextIsLiteral) {
  EXPECT_EQ(format("yyyy'年'M'月'd'日'"), "2023年11月15日");
  EXPECT_EQ(format("HH 'o''clock' ''"), "06 o'clock '");
  EXPECT_EQ(format("'yyyy' yyyy"), "yyyy 2023");
  EXPECT_EQ(format("HH:mm 'unterminated"), "06:13 unterminated");
  EXPECT_EQ(format(""), "");
  EXPECT_EQ(format("QQ ww"), "QQ ww") << "letters without a meaning here are written as they are";
}

TEST(DateFormatterTest, ReadsHttpDatesInEveryForm) {
  const char* rfc1123 = "EEE, dd MMM yyyy HH:mm:ss z";
  EXPECT_EQ(parse(rfc1123, "Sun, 06 Nov 1994 08:49:37 GMT"), 784111777);
  EXPECT_EQ(parse(rfc1123, "sun, 06 nov 1994 08:49:37 gmt"), 784111777);
  EXPECT_EQ(parse(rfc1123, "Sun, 06 Nov 1994 03:49:37 EST"), 784111777);
  EXPECT_EQ(parse(rfc1123, "Sun, 06 Nov 1994 16:49:37 +0800"), 784111777);
  EXPECT_EQ(parse(rfc1123, "Sun, 06 Nov 1994 16:49:37 GMT+08:00"), 784111777);
  EXPECT_EQ(parse("dd MMM yyyy HH:mm z", "06 Nov 1994 08:49 GMT"), 784111740);
  EXPECT_EQ(parse(rfc1123, "Sun, 06 Nov 1994 08:49:37 XYZ"), std::nullopt);
  EXPECT_EQ(parse(rfc1123, "Sun, 06 Nov 1994 08:49:37"), std::nullopt);
}

TEST(DateFormatterTest, ReadsLocalTimesInTheFormattersZone) {
  EXPECT_EQ(parse("yyyy-MM-dd HH:mm:ss", "2023-11-15 06:13:20"), 1700000000);
  EXPECT_EQ(parse("yyyy-MM-dd HH:mm:ss", "2023-11-14 17:13:20", "America/New_York"), 1700000000);
  EXPECT_EQ(parse("yyyyMMddHHmmss", "20231115061320"), 1700000000);
  EXPECT_EQ(parse("yyyy-MM-dd HH:mm:ss.SSS", "2023-11-15 06:13:20.250"), 1700000000.25);
  EXPECT_EQ(parse("yyyy-MM-dd a h:mm:ss", "2023-11-15 PM 6:13:20"), 1700000000 + 12 * 3600);
  EXPECT_EQ(parse("yyyy-MM-dd a hh:mm:ss", "2023-11-15 下午 12:13:20", "Asia/Shanghai", "zh_CN"),
            1700000000 + 6 * 3600);
  EXPECT_EQ(parse("yyyy-MM-dd  HH:mm", "2023-11-15 \t 06:13"), 1699999980) << "white space runs match";
  EXPECT_EQ(parse("yyyy D", "2024 60"), parse("yyyy-MM-dd", "2024-02-29"));
  EXPECT_EQ(parse("HH:mm", "06:13", "UTC"), 6 * 3600 + 13 * 60) << "missing fields are 1970-01-01";
  EXPECT_EQ(parse("EEEE yyyy-MM-dd", "星期三 2023-11-15", "Asia/Shanghai", "zh_CN"), 1699977600);
  EXPECT_EQ(parse("G yyyy-MM-dd", "公元前 0001-01-01", "UTC", "zh_CN"), -62167219200);
}

TEST(DateFormatterTest, RefusesTextThatIsNotADate) {
  const char* pattern = "yyyy-MM-dd HH:mm:ss";
  for (std::string_view bad :
       {"", "2023-11-15", "2023-11-15 06:13:20 ", "2023-13-01 00:00:00", "2023-02-29 00:00:00", "2023-11-15 24:00:00",
        "2023-11-15 06:60:00", "2023/11/15 06:13:20", "x023-11-15 06:13:20", "99999999999-01-01 00:00:00"}) {
    EXPECT_EQ(parse(pattern, bad), std::nullopt) << bad;
  }
  EXPECT_EQ(parse("a h:mm", "PM 13:00"), std::nullopt);
  EXPECT_EQ(parse("MMM", "Nox"), std::nullopt);
}

TEST(DateFormatterTest, WhatIsWrittenReadsBackAcrossSummerTime) {
  DateFormatter formatter("yyyy-MM-dd HH:mm:ss z", Locale("en_US_POSIX"), zone("America/New_York"));
  for (double when = 1704067200; when < 1704067200 + 366 * 86400; when += 1800) {  // 2024, each half hour
    auto back = formatter.dateFromString(formatter.stringFromDate(Date{when}));
    ASSERT_TRUE(back.has_value()) << formatter.stringFromDate(Date{when});
    ASSERT_EQ(back->secondsSince1970, when) << formatter.stringFromDate(Date{when});
  }
}

class TwoDigitYearTest : public testsupport::ManualClockFixture {};

TEST_F(TwoDigitYearTest, LieWithinEightyYearsBeforeAndTwentyAfterNow) {
  // The manual clock starts in November 2023.
  EXPECT_EQ(parse("yy-MM-dd", "23-11-15", "UTC"), parse("yyyy-MM-dd", "2023-11-15", "UTC"));
  EXPECT_EQ(parse("yy-MM-dd", "42-01-01", "UTC"), parse("yyyy-MM-dd", "2042-01-01", "UTC"));
  EXPECT_EQ(parse("yy-MM-dd", "43-01-01", "UTC"), parse("yyyy-MM-dd", "1943-01-01", "UTC"));
  EXPECT_EQ(parse("yy-MM-dd", "2023-11-15", "UTC"), parse("yyyy-MM-dd", "2023-11-15", "UTC"));
}

TEST(DateFormatterTest, DefaultsToTheCurrentLocaleAndZone) {
  Locale::setCurrentForTesting(Locale("zh_CN"));
  TimeZone::setCurrentForTesting(zone("Asia/Shanghai"));
  DateFormatter formatter("EEEE HH:mm");
  Locale::setCurrentForTesting(std::nullopt);
  TimeZone::setCurrentForTesting(std::nullopt);
  EXPECT_EQ(formatter.locale().identifier(), "zh_CN");
  EXPECT_EQ(formatter.stringFromDate(kMoment), "星期三 06:13");
  formatter.setDateFormat("yyyy");
  formatter.setTimeZone(zone("UTC"));
  EXPECT_EQ(formatter.dateFormat(), "yyyy");
  EXPECT_EQ(formatter.stringFromDate(Date{-1}), "1969");
}

}  // namespace
}  // namespace foundation
