#include "platform/foundation/PosixTimeZoneRule.h"

#include <array>
#include <cctype>

namespace foundation {
namespace {

constexpr int kHour = 3600;

bool isAlpha(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

bool consume(std::string_view& text, char expected) {
  if (text.empty() || text.front() != expected) return false;
  text.remove_prefix(1);
  return true;
}

std::optional<int> parseNumber(std::string_view& text, int maxDigits, int minValue, int maxValue) {
  int value = 0;
  int digits = 0;
  while (digits < maxDigits && !text.empty() && isDigit(text.front())) {
    value = value * 10 + (text.front() - '0');
    text.remove_prefix(1);
    ++digits;
  }
  if (digits == 0 || value < minValue || value > maxValue) return std::nullopt;
  return value;
}

// "EST" (three or more letters) or "<+08>" (quoted: letters, digits and signs).
std::optional<std::string> parseName(std::string_view& text) {
  if (consume(text, '<')) {
    std::size_t close = text.find('>');
    if (close == std::string_view::npos || close < 3) return std::nullopt;
    for (char c : text.substr(0, close)) {
      if (!isAlpha(c) && !isDigit(c) && c != '+' && c != '-') return std::nullopt;
    }
    std::string name(text.substr(0, close));
    text.remove_prefix(close + 1);
    return name;
  }
  std::size_t length = 0;
  while (length < text.size() && isAlpha(text[length])) ++length;
  if (length < 3) return std::nullopt;
  std::string name(text.substr(0, length));
  text.remove_prefix(length);
  return name;
}

// [+-]h[h][:mm[:ss]] in seconds, with hours up to maxHours.
std::optional<int> parseDuration(std::string_view& text, int maxHours) {
  int sign = consume(text, '-') ? -1 : 1;
  if (sign > 0) consume(text, '+');
  auto hours = parseNumber(text, 3, 0, maxHours);
  if (!hours) return std::nullopt;
  int seconds = *hours * kHour;
  for (int unit : {60, 1}) {
    if (!consume(text, ':')) break;
    auto part = parseNumber(text, 2, 0, 59);
    if (!part) return std::nullopt;
    seconds += *part * unit;
  }
  return sign * seconds;
}

// "Jn": day n (1-365) of a year without 29 February, so the same month and day every year.
PosixTimeZoneRule::Change julianDay(int day) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  std::size_t month = 0;
  while (day > kDays[month]) day -= kDays[month++];
  return {static_cast<int>(month) + 1, 0, day, 7200};
}

std::optional<PosixTimeZoneRule::Change> parseChange(std::string_view& text) {
  PosixTimeZoneRule::Change change;
  if (consume(text, 'J')) {
    auto day = parseNumber(text, 3, 1, 365);
    if (!day) return std::nullopt;
    change = julianDay(*day);
  } else if (consume(text, 'M')) {
    auto month = parseNumber(text, 2, 1, 12);
    if (!month || !consume(text, '.')) return std::nullopt;
    auto week = parseNumber(text, 1, 1, 5);
    if (!week || !consume(text, '.')) return std::nullopt;
    auto weekday = parseNumber(text, 1, 0, 6);
    if (!weekday) return std::nullopt;
    change = {*month, *week, *weekday, 7200};
  } else {
    return std::nullopt;
  }
  if (consume(text, '/')) {
    auto time = parseDuration(text, 167);
    if (!time) return std::nullopt;
    change.secondsIntoDay = *time;
  }
  return change;
}

}  // namespace

std::optional<PosixTimeZoneRule> PosixTimeZoneRule::parse(std::string_view text) {
  PosixTimeZoneRule rule;
  auto standardName = parseName(text);
  if (!standardName) return std::nullopt;
  auto standardOffset = parseDuration(text, 24);
  if (!standardOffset) return std::nullopt;
  // POSIX counts hours west of Greenwich; the rest of the system counts east.
  rule.standardName = *standardName;
  rule.standardOffsetSeconds = -*standardOffset;
  if (text.empty()) return rule;

  auto daylightName = parseName(text);
  if (!daylightName) return std::nullopt;
  Daylight daylight{*daylightName, rule.standardOffsetSeconds + kHour, {}, {}};
  if (!text.empty() && text.front() != ',') {
    auto offset = parseDuration(text, 24);
    if (!offset) return std::nullopt;
    daylight.offsetSeconds = -*offset;
  }
  if (text.empty()) {
    // No dates given: the customary rule of the United States.
    daylight.start = {3, 2, 0, 7200};
    daylight.end = {11, 1, 0, 7200};
  } else {
    if (!consume(text, ',')) return std::nullopt;
    auto start = parseChange(text);
    if (!start || !consume(text, ',')) return std::nullopt;
    auto end = parseChange(text);
    if (!end || !text.empty()) return std::nullopt;
    daylight.start = *start;
    daylight.end = *end;
  }
  // Summer time that changes nothing cannot be told from standard time.
  if (daylight.offsetSeconds == rule.standardOffsetSeconds) return std::nullopt;
  rule.daylight = std::move(daylight);
  return rule;
}

}  // namespace foundation
