#include "platform/foundation/DateFormatter.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "tests/support/ManualClockFixture.h"

namespace foundation {
namespace {

constexpr Date kMoment{1700000000.25};  // 2023-11-14 22:13:20.25 UTC, 2023-11-15 06:13:20.25 in Shanghai

TimeZone namedZone(std::string_view name) { return *TimeZone::named(name); }

std::string format(std::string_view pattern, std::string_view locale = "zh_CN", std::string_view in = "Asia/Shanghai",
                   Date date = kMoment) {
  return DateFormatter(pattern, Locale(locale), namedZone(in)).stringFromDate(date);
}

std::optional<double> parse(std::string_view pattern, std::string_view text, std::string_view in = "Asia/Shanghai",
                            std::string_view locale = "en_US_POSIX") {
  auto date = DateFormatter(pattern, Locale(locale), namedZone(in)).dateFromString(text);
  return date ? std::optional<double>(date->secondsSince1970) : std::nullopt;
}

TEST(DateFormatterTest, NumericPatterns) {
  EXPECT_EQ(format("yyyy-MM-dd HH:mm:ss"), "2023-11-15 06:13:20");
  EXPECT_EQ(format("yyyy-MM-dd"), "2023-11-15");
  EXPECT_EQ(format("MM-dd HH:mm"), "11-15 06:13");
  EXPECT_EQ(format("HH:mm"), "06:13");
  EXPECT_EQ(format("yyyy-MM-dd HH:mm:ss", "en_US_POSIX"), "2023-11-15 06:13:20");
  EXPECT_EQ(format("yyyy-MM-dd HH:mm:ss", "zh_CN", "America/New_York"), "2023-11-14 17:13:20");
  EXPECT_EQ(format("y/M/d H:m:s"), "2023/11/15 6:13:20");
  EXPECT_EQ(format("yy D ss.SSS S"), "23 319 20.250 2");
  EXPECT_EQ(format("h:mm K k", "zh_CN", "UTC"), "10:13 10 22");
  EXPECT_EQ(format("h K k H", "zh_CN", "UTC", Date{0}), "12 0 24 0");
  EXPECT_EQ(format("yyyy-MM-dd", "zh_CN", "UTC", Date{-12219292800}), "1582-10-15");
  EXPECT_EQ(format("yyyy-MM-dd", "zh_CN", "UTC", Date{-12219292801}), "1582-10-14") << "Gregorian before 1582 too";
}

TEST(DateFormatterTest, NamesFollowTheLocale) {
  EXPECT_EQ(format("EEEE"), "星期三");
  EXPECT_EQ(format("EEE"), "周三");
  EXPECT_EQ(format("EEEEE"), "三");
  EXPECT_EQ(format("cccc"), "星期三");
  EXPECT_EQ(format("MMM MMMM LLLL"), "11月 十一月 十一月");
  EXPECT_EQ(format("a h:mm"), "上午 6:13");
  EXPECT_EQ(format("EEEE", "en_US_POSIX"), "Wednesday");
  EXPECT_EQ(format("c", "en_US_POSIX"), "4") << "weeks start on Sunday there";
  EXPECT_EQ(format("EEE, dd MMM yyyy", "en_US_POSIX"), "Wed, 15 Nov 2023");
  EXPECT_EQ(format("a h:mm", "en_US_POSIX", "UTC"), "PM 10:13");
  EXPECT_EQ(format("G yyyy", "en_US_POSIX", "UTC", Date{-62167219200}), "BC 0001");  // the year 0
  EXPECT_EQ(format("G", "zh_CN"), "公元");
  EXPECT_EQ(format("EEEE", "zh-CN"), "星期三");
}

TEST(DateFormatterTest, ZonesAndOffsets) {
  EXPECT_EQ(format("z Z ZZZZ ZZZZZ"), "GMT+8 +0800 GMT+08:00 +08:00");
  EXPECT_EQ(format("z", "en_US_POSIX", "America/New_York"), "EST");
  EXPECT_EQ(format("z", "en_US_POSIX", "America/New_York", Date{1719835200}), "EDT");
  EXPECT_EQ(format("Z", "en_US_POSIX", "America/New_York"), "-0500");
  EXPECT_EQ(format("z ZZZZZ", "en_US_POSIX", "GMT"), "GMT Z");
  EXPECT_EQ(format("z", "en_US_POSIX", "Asia/Kathmandu"), "GMT+5:45");
  EXPECT_EQ(DateFormatter("HH:mm Z", Locale("en_US_POSIX"), TimeZone::fixed(-3 * 3600)).stringFromDate(kMoment),
            "19:13 -0300");
  EXPECT_EQ(DateFormatter("HH:mm", Locale("en_US_POSIX"), *TimeZone::fromPosixRule("CST-8")).stringFromDate(kMoment),
            "06:13");
}

TEST(DateFormatterTest, QuotedTextIsLiteralAndMeaninglessLettersWriteNothing) {
  EXPECT_EQ(format("yyyy'年'M'月'd'日'"), "2023年11月15日");
  EXPECT_EQ(format("HH 'o''clock' ''"), "06 o'clock '");
  EXPECT_EQ(format("'yyyy' yyyy"), "yyyy 2023");
  EXPECT_EQ(format("HH:mm 'unterminated"), "06:13 unterminated");
  EXPECT_EQ(format(""), "");
  EXPECT_EQ(format("HH:mm j"), "");
  EXPECT_EQ(parse("HH:mm j", "06:13 j"), std::nullopt);
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
  EXPECT_EQ(parse("yyyy-MM-dd HH:mm", "2024-11-03 01:30", "America/New_York"), 1730611800) << "the first 01:30";
  EXPECT_EQ(parse("dd MMM yyyy HH:mm:ss z", "06 nov 1994 16:49:37 gmt+08:00"), 784111777) << "names in any case";
  EXPECT_EQ(parse("dd MMM yyyy HH:mm:ss z", "06 Nov 1994 08:49:37 XYZ"), std::nullopt);
}

TEST(DateFormatterTest, RefusesTextThatIsNotADate) {
  const char* pattern = "yyyy-MM-dd HH:mm:ss";
  for (std::string_view bad :
       {"", "2023-11-15", "2023-11-15 06:13:20 ", "2023-13-01 00:00:00", "2023-02-29 00:00:00", "2023-04-31 00:00:00",
        "2023-11-15 24:00:00", "2023-11-15 06:60:00", "2023/11/15 06:13:20", "x023-11-15 06:13:20",
        "99999999999-01-01 00:00:00", "2023-11-15 06:13:20\xff"}) {
    EXPECT_EQ(parse(pattern, bad), std::nullopt) << bad;
  }
  EXPECT_EQ(parse(pattern, std::string_view("2023-11-15 06:13:20\0", 20)), std::nullopt);
  EXPECT_EQ(parse("a h:mm", "PM 13:00"), std::nullopt);
  EXPECT_EQ(parse("MMM", "Nox"), std::nullopt);
  EXPECT_EQ(parse("yyyy-MM-dd HH:mm", "2024-03-10 02:30", "America/New_York"), std::nullopt)
      << "New York skips from 02:00 to 03:00 that night";
}

TEST(DateFormatterTest, WhatIsWrittenReadsBackAcrossSummerTime) {
  DateFormatter formatter("yyyy-MM-dd HH:mm:ss z", Locale("en_US_POSIX"), namedZone("America/New_York"));
  for (double when = 1704067200; when < 1704067200 + 366 * 86400; when += 1800) {  // 2024, each half hour
    auto back = formatter.dateFromString(formatter.stringFromDate(Date{when}));
    ASSERT_TRUE(back.has_value()) << formatter.stringFromDate(Date{when});
    ASSERT_EQ(back->secondsSince1970, when) << formatter.stringFromDate(Date{when});
  }
}

class TwoDigitYearTest : public testsupport::ManualClockFixture {};

TEST_F(TwoDigitYearTest, LieWithinEightyYearsBeforeAndTwentyAfterNow) {
  // The manual clock starts on 2023-11-14, so the window runs from 1943-11-14 to 2043-11-14.
  EXPECT_EQ(parse("yy-MM-dd", "23-11-15", "UTC"), parse("yyyy-MM-dd", "2023-11-15", "UTC"));
  EXPECT_EQ(parse("yy-MM-dd", "43-12-01", "UTC"), parse("yyyy-MM-dd", "1943-12-01", "UTC"));
  EXPECT_EQ(parse("yy-MM-dd", "43-01-01", "UTC"), parse("yyyy-MM-dd", "2043-01-01", "UTC"));
  EXPECT_EQ(parse("yy-MM-dd", "44-01-01", "UTC"), parse("yyyy-MM-dd", "1944-01-01", "UTC"));
  EXPECT_EQ(parse("yy-MM-dd", "2023-11-15", "UTC"), parse("yyyy-MM-dd", "2023-11-15", "UTC"));
  clock->advance(Duration(366 * 86400.0));
  EXPECT_EQ(parse("yy-MM-dd", "44-01-01", "UTC"), parse("yyyy-MM-dd", "2044-01-01", "UTC")) << "a year later";
}

TEST(DateFormatterTest, DefaultsToTheCurrentLocaleAndZoneAndSettersApplyToThisFormatterOnly) {
  Locale::setCurrentForTesting(Locale("zh_CN"));
  TimeZone::setCurrentForTesting(namedZone("Asia/Shanghai"));
  DateFormatter formatter("EEEE HH:mm");
  Locale::setCurrentForTesting(std::nullopt);
  TimeZone::setCurrentForTesting(std::nullopt);
  EXPECT_EQ(formatter.locale().identifier(), "zh_CN");
  EXPECT_EQ(formatter.stringFromDate(kMoment), "星期三 06:13");
  DateFormatter copy = formatter;
  formatter.setLocale(Locale("en_US_POSIX"));
  EXPECT_EQ(formatter.stringFromDate(kMoment), "Wednesday 06:13");
  formatter.setTimeZone(namedZone("UTC"));
  EXPECT_EQ(formatter.stringFromDate(kMoment), "Tuesday 22:13");
  formatter.setDateFormat("yyyy");
  EXPECT_EQ(formatter.dateFormat(), "yyyy");
  EXPECT_EQ(formatter.stringFromDate(Date{-1}), "1969");
  EXPECT_EQ(copy.stringFromDate(kMoment), "星期三 06:13");
  EXPECT_EQ(copy.dateFormat(), "EEEE HH:mm");
}

TEST(DateFormatterTest, OneFormatterServesManyThreads) {
  const DateFormatter formatter("yyyy-MM-dd HH:mm:ss", Locale("en_US_POSIX"), namedZone("Asia/Shanghai"));
  std::vector<std::thread> threads;
  std::vector<int> mismatches(4, 0);
  for (std::size_t t = 0; t < mismatches.size(); ++t) {
    threads.emplace_back([&formatter, &mismatches, t] {
      for (int i = 0; i < 300; ++i) {
        Date when{1704067200 + static_cast<double>(t) * 1e7 + i * 3671};
        auto back = formatter.dateFromString(formatter.stringFromDate(when));
        if (!back || back->secondsSince1970 != when.secondsSince1970) ++mismatches[t];
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}

}  // namespace
}  // namespace foundation
