#include "src/framework/categories/DateAdditions.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/foundation/Calendar.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Locale.h"
#include "platform/foundation/TimeZone.h"

namespace {

namespace dates = framework::date_additions;
using foundation::Date;

// 2014-03-05 12:00:00 in Shanghai (UTC+8), a Wednesday.
constexpr double kNow = 1393992000.0;

class DateAdditionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::Clock::setCurrent(std::make_shared<foundation::ManualClock>(Date{kNow}));
    foundation::TimeZone::setCurrentForTesting(foundation::TimeZone::fixed(8 * 3600));
    foundation::Locale::setCurrentForTesting(foundation::Locale("zh_CN"));
  }
  void TearDown() override {
    foundation::Locale::setCurrentForTesting(std::nullopt);
    foundation::TimeZone::setCurrentForTesting(std::nullopt);
    foundation::Clock::useRealClock();
  }

  static std::string ageOf(double secondsAgo) { return dates::timeStringWithInterval(kNow - secondsAgo); }
};

TEST_F(DateAdditionsTest, AgeTextsChangeUnitAtEachBoundary) {
  EXPECT_EQ(ageOf(0), "刚刚");
  EXPECT_EQ(ageOf(0.9), "刚刚");
  EXPECT_EQ(ageOf(-3600), "刚刚");  // in the future
  EXPECT_EQ(ageOf(1), "1秒前");
  EXPECT_EQ(ageOf(30), "30秒前");
  EXPECT_EQ(ageOf(59.9), "59秒前");
  EXPECT_EQ(ageOf(60), "1分钟前");
  EXPECT_EQ(ageOf(59 * 60), "59分钟前");
  EXPECT_EQ(ageOf(3599), "59分钟前");
  EXPECT_EQ(ageOf(3600), "1小时前");
  EXPECT_EQ(ageOf(86399), "23小时前");
  EXPECT_EQ(ageOf(86400), "1天前");
  EXPECT_EQ(ageOf(604799), "6天前");
  EXPECT_EQ(ageOf(604800), "1周前");
  EXPECT_EQ(ageOf(2419199), "3周前");
  EXPECT_EQ(ageOf(2419200), "2014-02-05");  // exactly four weeks: the date in the local zone
  EXPECT_EQ(ageOf(1e300), dates::stringWithFormat(Date{kNow - 1e300}, "yyyy-MM-dd"));
}

TEST_F(DateAdditionsTest, SeparatedDatesUseTheSeparatorLiterally) {
  Date fifthOfMarch{kNow};
  EXPECT_EQ(dates::stringWithSeperator(fifthOfMarch, std::nullopt, true), "2014-03-05");
  EXPECT_EQ(dates::stringWithSeperator(fifthOfMarch, std::nullopt), "2014-03-05");
  EXPECT_EQ(dates::stringWithSeperator(fifthOfMarch, ".", false), "03.05");
  EXPECT_EQ(dates::stringWithSeperator(fifthOfMarch, "/"), "2014/03/05");
  // Letters in a separator are text, never date fields.
  EXPECT_EQ(dates::stringWithSeperator(fifthOfMarch, "dMy'", false), "03dMy'05");
}

TEST_F(DateAdditionsTest, PatternsWriteAndReadInTheCurrentZone) {
  EXPECT_EQ(dates::stringWithFormat(Date{kNow}, "yyyy-MM-dd HH:mm"), "2014-03-05 12:00");
  std::optional<Date> parsed = dates::dateWithString("2014-03-05 12:00", "yyyy-MM-dd HH:mm");
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->secondsSince1970, kNow);
  EXPECT_FALSE(dates::dateWithString("05/03/2014", "yyyy-MM-dd"));
  EXPECT_FALSE(dates::dateWithString("", "yyyy-MM-dd"));
}

TEST_F(DateAdditionsTest, RelativeDatesMoveByWholeDays) {
  EXPECT_EQ(dates::relativedDateWithInterval(2).secondsSince1970, kNow + 2 * 86400);
  EXPECT_EQ(dates::relativedDateWithInterval(Date{100}, -1).secondsSince1970, 100.0 - 86400);
}

TEST_F(DateAdditionsTest, WeekdaysFollowTheGregorianWeekWhateverTheLocale) {
  EXPECT_EQ(dates::weekday(Date{kNow}), "星期三");
  EXPECT_EQ(dates::weekday(Date{kNow - 3 * 86400}), "星期日");
  EXPECT_EQ(dates::weekday(Date{kNow + 3 * 86400}), "星期六");
  EXPECT_EQ(dates::weekday(Date{kNow - 2 * 86400}), "星期一");
  // Weeks that start on Monday in the locale change nothing.
  foundation::Locale::setCurrentForTesting(foundation::Locale("fr_FR"));
  EXPECT_EQ(dates::weekday(Date{kNow - 3 * 86400}), "星期日");
  // The day is the local one: Sunday 20:00 UTC is Monday in UTC+8.
  Date sundayEveningUtc{kNow - 3 * 86400 + 16 * 3600};
  EXPECT_EQ(dates::weekday(sundayEveningUtc), "星期一");
  foundation::TimeZone::setCurrentForTesting(foundation::TimeZone::utc());
  EXPECT_EQ(dates::weekday(sundayEveningUtc), "星期日");
}

}  // namespace
