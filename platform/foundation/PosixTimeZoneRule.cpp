#include "platform/foundation/PosixTimeZoneRule.h"

#include <cctype>

#include "platform/foundation/Calendar.h"

namespace foundation {
namespace {

constexpr int kHour = 3600;

bool isAlpha(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

std::optional<int> parseNumber(std::string_view& text, int maxDigits, int maxValue) {
  int value = 0;
  int digits = 0;
  while (digits < maxDigits && !text.empty() && isDigit(text.front())) {
    value = value * 10 + (text.front() - '0');
    text.remove_prefix(1);
    ++digits;
  }
  if (digits == 0 || value > maxValue) return std::nullopt;
  return value;
}

// "EST" (three or more letters) or "<+08>" (quoted, letters, digits and signs).
std::optional<std::string> parseName(std::string_view& text) {
  std::size_t length = 0;
  if (!text.empty() && text.front() == '<') {
    std::size_t close = text.find('>');
    if (close == std::string_view::npos || close < 4) return std::nullopt;
    for (char c : text.substr(1, close - 1)) {
      if (!isAlpha(c) && !isDigit(c) && c != '+' && c != '-') return std::nullopt;
    }
    std::string name(text.substr(1, close - 1));
    text.remove_prefix(close + 1);
    return name;
  }
  while (length < text.size() && isAlpha(text[length])) ++length;
  if (length < 3) return std::nullopt;
  std::string name(text.substr(0, length));
  text.remove_prefix(length);
  return name;
}

// [+-]h[h][:mm[:ss]] in seconds, with hours up to maxHours.
std::optional<int> parseDuration(std::string_view& text, int maxHours) {
  int sign = 1;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    sign = text.front() == '-' ? -1 : 1;
    text.remove_prefix(1);
  }
  auto hours = parseNumber(text, 3, maxHours);
  if (!hours) return std::nullopt;
  int seconds = *hours * kHour;
  for (int unit : {60, 1}) {
    if (text.empty() || text.front() != ':') break;
    text.remove_prefix(1);
    auto part = parseNumber(text, 2, 59);
    if (!part) return std::nullopt;
    seconds += *part * unit;
  }
  return sign * seconds;
}

std::int64_t floorDivide(std::int64_t value, std::int64_t divisor) {
  std::int64_t quotient = value / divisor;
  return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? quotient - 1 : quotient;
}

}  // namespace

std::optional<PosixTimeZoneRule::Change> PosixTimeZoneRule::parseChange(std::string_view& text) {
  Change change;
  if (!text.empty() && text.front() == 'J') {
    text.remove_prefix(1);
    auto day = parseNumber(text, 3, 365);
    if (!day || *day == 0) return std::nullopt;
    change.kind = Change::Kind::JulianNoLeap;
    change.day = *day;
  } else if (!text.empty() && text.front() == 'M') {
    text.remove_prefix(1);
    auto month = parseNumber(text, 2, 12);
    if (!month || *month == 0 || text.empty() || text.front() != '.') return std::nullopt;
    text.remove_prefix(1);
    auto week = parseNumber(text, 1, 5);
    if (!week || *week == 0 || text.empty() || text.front() != '.') return std::nullopt;
    text.remove_prefix(1);
    auto weekday = parseNumber(text, 1, 6);
    if (!weekday) return std::nullopt;
    change.kind = Change::Kind::MonthWeekDay;
    change.month = *month;
    change.week = *week;
    change.day = *weekday;
  } else {
    auto day = parseNumber(text, 3, 365);
    if (!day) return std::nullopt;
    change.kind = Change::Kind::ZeroBasedDay;
    change.day = *day;
  }
  if (!text.empty() && text.front() == '/') {
    text.remove_prefix(1);
    auto time = parseDuration(text, 167);
    if (!time) return std::nullopt;
    change.secondsIntoDay = *time;
  }
  return change;
}

std::optional<PosixTimeZoneRule> PosixTimeZoneRule::parse(std::string_view text) {
  PosixTimeZoneRule rule;
  auto standardName = parseName(text);
  if (!standardName) return std::nullopt;
  auto standardOffset = parseDuration(text, 24);
  if (!standardOffset) return std::nullopt;
  // POSIX counts hours west of Greenwich; the rest of the system counts east.
  rule.standard_ = {-*standardOffset, false, *standardName};
  if (text.empty()) return rule;

  auto daylightName = parseName(text);
  if (!daylightName) return std::nullopt;
  int daylightOffset = rule.standard_.offsetSeconds + kHour;
  if (!text.empty() && text.front() != ',') {
    auto offset = parseDuration(text, 24);
    if (!offset) return std::nullopt;
    daylightOffset = -*offset;
  }
  rule.daylight_ = ZoneType{daylightOffset, true, *daylightName};
  if (text.empty()) {
    // No dates given: the customary rule of the United States.
    rule.start_ = {Change::Kind::MonthWeekDay, 0, 2, 3, 7200};
    rule.end_ = {Change::Kind::MonthWeekDay, 0, 1, 11, 7200};
    return rule;
  }
  if (text.front() != ',') return std::nullopt;
  text.remove_prefix(1);
  auto start = parseChange(text);
  if (!start || text.empty() || text.front() != ',') return std::nullopt;
  text.remove_prefix(1);
  auto end = parseChange(text);
  if (!end || !text.empty()) return std::nullopt;
  rule.start_ = *start;
  rule.end_ = *end;
  return rule;
}

std::int64_t PosixTimeZoneRule::localMomentIn(std::int64_t year, const Change& change) {
  std::int64_t day = Calendar::daysFromCivil(year, 1, 1);
  switch (change.kind) {
    case Change::Kind::JulianNoLeap:
      day += change.day - 1 + ((Calendar::isLeapYear(year) && change.day >= 60) ? 1 : 0);
      break;
    case Change::Kind::ZeroBasedDay:
      day += change.day;
      break;
    case Change::Kind::MonthWeekDay: {
      std::int64_t first = Calendar::daysFromCivil(year, change.month, 1);
      int firstWeekday = Calendar::weekdayFromDays(first) - 1;  // 0 = Sunday, as the rule counts
      int dayOfMonth = 1 + (change.day - firstWeekday + 7) % 7 + (change.week - 1) * 7;
      if (dayOfMonth > Calendar::daysInMonth(year, change.month)) dayOfMonth -= 7;
      day = first + dayOfMonth - 1;
      break;
    }
  }
  return day * 86400 + change.secondsIntoDay;
}

const ZoneType& PosixTimeZoneRule::typeAt(std::int64_t utcSeconds) const {
  if (!daylight_) return standard_;
  std::int64_t year = Calendar::civilFromDays(floorDivide(utcSeconds + standard_.offsetSeconds, 86400)).year;
  std::int64_t start = localMomentIn(year, start_) - standard_.offsetSeconds;
  std::int64_t end = localMomentIn(year, end_) - daylight_->offsetSeconds;
  bool inDaylight =
      start < end ? (start <= utcSeconds && utcSeconds < end) : !(end <= utcSeconds && utcSeconds < start);
  return inDaylight ? *daylight_ : standard_;
}

}  // namespace foundation
