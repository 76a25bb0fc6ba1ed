#include "src/framework/categories/DateAdditions.h"

#include <array>
#include <cmath>
#include <cstdint>

#include "platform/foundation/Calendar.h"
#include "platform/foundation/DateFormatter.h"

namespace framework::date_additions {
namespace {

constexpr std::int64_t kMinute = 60;
constexpr std::int64_t kHour = 3600;
constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kWeek = 7 * kDay;
constexpr std::int64_t kFourWeeks = 4 * kWeek;

// Whole seconds from the moment to now, truncated toward zero; wildly distant moments are held
// to a range the integer arithmetic below can take.
std::int64_t secondsAgo(double secondsSince1970) {
  constexpr double kLimit = 1e15;
  double elapsed = foundation::currentDate().secondsSince1970 - secondsSince1970;
  if (std::isnan(elapsed)) return 0;
  return static_cast<std::int64_t>(std::trunc(std::fmax(-kLimit, std::fmin(kLimit, elapsed))));
}

std::string countText(std::int64_t count, const char* unit) { return std::to_string(count) + unit; }

// The separator as literal pattern text, so that letters in it are never read as fields.
std::string quoted(const std::string& text) {
  std::string literal = "'";
  for (char c : text) literal += c == '\'' ? std::string("''") : std::string(1, c);
  return literal + "'";
}

}  // namespace

std::string timeStringWithInterval(double secondsSince1970) {
  std::int64_t d = secondsAgo(secondsSince1970);
  if (d < 1) return "刚刚";
  if (d < kMinute) return countText(d, "秒前");
  if (d < kHour) return countText(d / kMinute, "分钟前");
  if (d < kDay) return countText(d / kHour, "小时前");
  if (d < kWeek) return countText(d / kDay, "天前");
  if (d < kFourWeeks) return countText(d / kWeek, "周前");
  return stringWithFormat(foundation::Date{secondsSince1970}, "yyyy-MM-dd");
}

std::string stringWithSeperator(foundation::Date date, const std::optional<std::string>& separator, bool includeYear) {
  std::string between = quoted(separator.value_or("-"));
  std::string pattern = "MM" + between + "dd";
  if (includeYear) pattern = "yyyy" + between + pattern;
  return stringWithFormat(date, pattern);
}

std::string stringWithFormat(foundation::Date date, std::string_view pattern) {
  return foundation::DateFormatter(pattern).stringFromDate(date);
}

std::optional<foundation::Date> dateWithString(std::string_view text, std::string_view pattern) {
  return foundation::DateFormatter(pattern).dateFromString(text);
}

foundation::Date relativedDateWithInterval(int days) {
  return relativedDateWithInterval(foundation::currentDate(), days);
}

foundation::Date relativedDateWithInterval(foundation::Date date, int days) {
  return foundation::Date{date.secondsSince1970 + static_cast<double>(days) * static_cast<double>(kDay)};
}

std::string weekday(foundation::Date date) {
  static constexpr std::array<const char*, 7> kNames = {"星期日", "星期一", "星期二", "星期三",
                                                        "星期四", "星期五", "星期六"};
  int day = foundation::Calendar::current().components(date).weekday;  // 1 = Sunday
  return kNames[static_cast<std::size_t>(day - 1)];
}

}  // namespace framework::date_additions
