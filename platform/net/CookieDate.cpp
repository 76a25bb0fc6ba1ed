#include "platform/net/CookieDate.h"

#include <array>
#include <cctype>
#include <string>
#include <vector>

namespace net {
namespace {

bool isDelimiter(unsigned char c) {
  return c == 0x09 || (c >= 0x20 && c <= 0x2F) || (c >= 0x3B && c <= 0x40) || (c >= 0x5B && c <= 0x60) ||
         (c >= 0x7B && c <= 0x7E);
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::vector<std::string_view> tokens(std::string_view text) {
  std::vector<std::string_view> result;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || isDelimiter(static_cast<unsigned char>(text[i]))) {
      if (i > start) result.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  return result;
}

// Reads minDigits..maxDigits digits at `pos`; the digits must not be followed by another digit.
std::optional<int> readNumber(std::string_view token, std::size_t& pos, std::size_t minDigits, std::size_t maxDigits) {
  std::size_t count = 0;
  int value = 0;
  while (pos + count < token.size() && isDigit(token[pos + count]) && count < maxDigits) {
    value = value * 10 + (token[pos + count] - '0');
    ++count;
  }
  if (count < minDigits || (pos + count < token.size() && isDigit(token[pos + count]))) return std::nullopt;
  pos += count;
  return value;
}

// hms-time = time-field ":" time-field ":" time-field, each 1*2DIGIT, then anything but a digit.
bool readTime(std::string_view token, int& hour, int& minute, int& second) {
  std::size_t pos = 0;
  auto h = readNumber(token, pos, 1, 2);
  if (!h || pos >= token.size() || token[pos++] != ':') return false;
  auto m = readNumber(token, pos, 1, 2);
  if (!m || pos >= token.size() || token[pos++] != ':') return false;
  auto s = readNumber(token, pos, 1, 2);
  if (!s) return false;
  hour = *h;
  minute = *m;
  second = *s;
  return true;
}

std::optional<int> readLeadingNumber(std::string_view token, std::size_t minDigits, std::size_t maxDigits) {
  std::size_t pos = 0;
  return readNumber(token, pos, minDigits, maxDigits);
}

std::optional<int> monthOf(std::string_view token) {
  static constexpr std::array<const char*, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                          "jul", "aug", "sep", "oct", "nov", "dec"};
  if (token.size() < 3) return std::nullopt;
  std::string prefix;
  for (std::size_t i = 0; i < 3; ++i) prefix += static_cast<char>(std::tolower(static_cast<unsigned char>(token[i])));
  for (std::size_t i = 0; i < kMonths.size(); ++i)
    if (prefix == kMonths[i]) return static_cast<int>(i) + 1;
  return std::nullopt;
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
long long daysFromCivil(int year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const long long yearOfEra = year - era * 400;
  const long long dayOfYear = (153LL * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

int daysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

}  // namespace

std::optional<foundation::Date> parseCookieDate(std::string_view text) {
  std::optional<int> day, month, year;
  int hour = 0, minute = 0, second = 0;
  bool foundTime = false;
  for (std::string_view token : tokens(text)) {
    if (!foundTime && readTime(token, hour, minute, second)) {
      foundTime = true;
    } else if (!day && (day = readLeadingNumber(token, 1, 2))) {
    } else if (!month && (month = monthOf(token))) {
    } else if (!year) {
      year = readLeadingNumber(token, 2, 4);
    }
  }
  if (!foundTime || !day || !month || !year) return std::nullopt;
  int fullYear = *year;
  if (fullYear >= 70 && fullYear <= 99) fullYear += 1900;
  if (fullYear >= 0 && fullYear <= 69) fullYear += 2000;
  if (fullYear < 1601 || *day < 1 || *day > daysInMonth(fullYear, *month) || hour > 23 || minute > 59 || second > 59)
    return std::nullopt;
  const long long seconds = daysFromCivil(fullYear, *month, *day) * 86400LL + hour * 3600LL + minute * 60LL + second;
  return foundation::Date{static_cast<double>(seconds)};
}

}  // namespace net
