#include "platform/foundation/Calendar.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/Clock.h"

namespace foundation {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
// Moments beyond about ±300 million years are taken at that bound (see TimeZone).
constexpr double kSecondsLimit = 1e16;

std::int64_t floorDivide(std::int64_t value, std::int64_t divisor) {
  std::int64_t quotient = value / divisor;
  return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? quotient - 1 : quotient;
}

}  // namespace

Date currentDate() { return Clock::current().wallNow(); }

Calendar::Calendar(TimeZone zone) : zone_(std::move(zone)) {}

Calendar Calendar::current() { return Calendar(TimeZone::current()); }

bool Calendar::isLeapYear(std::int64_t year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int Calendar::daysInMonth(std::int64_t year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// Counts in 400-year eras of 146097 days, with years starting on 1 March so that the leap day
// ends the year.
std::int64_t Calendar::daysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  std::int64_t era = floorDivide(year, 400);
  std::int64_t yearOfEra = year - era * 400;
  std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

Calendar::CivilDay Calendar::civilFromDays(std::int64_t days) {
  days += 719468;
  std::int64_t era = floorDivide(days, 146097);
  std::int64_t dayOfEra = days - era * 146097;
  std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
  int day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  int month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

int Calendar::weekdayFromDays(std::int64_t days) {
  // 1970-01-01 was a Thursday.
  return static_cast<int>(((days + 4) % 7 + 7) % 7) + 1;
}

DateComponents Calendar::components(Date date) const {
  double seconds =
      std::isnan(date.secondsSince1970) ? 0 : std::clamp(date.secondsSince1970, -kSecondsLimit, kSecondsLimit);
  double whole = std::floor(seconds);
  std::int64_t utc = static_cast<std::int64_t>(whole);
  std::int64_t local = utc + zone_.secondsFromGMTAt(utc);
  std::int64_t days = floorDivide(local, kSecondsPerDay);
  std::int64_t secondOfDay = local - days * kSecondsPerDay;
  CivilDay civil = civilFromDays(days);

  DateComponents components;
  components.year = static_cast<int>(civil.year);
  components.month = civil.month;
  components.day = civil.day;
  components.hour = static_cast<int>(secondOfDay / 3600);
  components.minute = static_cast<int>(secondOfDay / 60 % 60);
  components.second = static_cast<int>(secondOfDay % 60);
  components.nanosecond = std::min(static_cast<int>((seconds - whole) * 1e9), 999'999'999);
  components.weekday = weekdayFromDays(days);
  components.dayOfYear = static_cast<int>(days - daysFromCivil(civil.year, 1, 1)) + 1;
  return components;
}

std::optional<Date> Calendar::date(const DateComponents& c) const {
  if (c.month < 1 || c.month > 12 || c.day < 1 || c.day > daysInMonth(c.year, c.month) || c.hour < 0 || c.hour > 23 ||
      c.minute < 0 || c.minute > 59 || c.second < 0 || c.second > 59 || c.nanosecond < 0 ||
      c.nanosecond > 999'999'999) {
    return std::nullopt;
  }
  std::int64_t local =
      daysFromCivil(c.year, c.month, c.day) * kSecondsPerDay + c.hour * 3600 + c.minute * 60 + c.second;
  std::int64_t utc = zone_.utcSecondsForLocal(local);
  return Date{static_cast<double>(utc) + c.nanosecond / 1e9};
}

}  // namespace foundation
