#include "platform/foundation/Iso8601.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace foundation {

namespace {

using std::chrono::days;
using std::chrono::seconds;
using std::chrono::sys_days;
using std::chrono::sys_seconds;
using std::chrono::year_month_day;

// 0001-01-01T00:00:00Z and the first second after 9999-12-31T23:59:59Z.
constexpr double kEarliest = -62135596800.0;
constexpr double kPastLatest = 253402300800.0;

// Reads exactly `count` decimal digits at `position`, advancing it.
std::optional<int> digits(std::string_view text, std::size_t& position, int count) {
  if (text.size() - position < static_cast<std::size_t>(count)) return std::nullopt;
  int value = 0;
  for (int i = 0; i < count; ++i) {
    char c = text[position++];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

bool expect(std::string_view text, std::size_t& position, char c) {
  if (position >= text.size() || text[position] != c) return false;
  ++position;
  return true;
}

}  // namespace

std::optional<std::string> formatIso8601(Date date) {
  double t = date.secondsSince1970;
  if (!std::isfinite(t) || t < kEarliest || t >= kPastLatest) return std::nullopt;
  double whole = std::floor(t);
  auto micros = static_cast<long long>(std::llround((t - whole) * 1e6));
  if (micros >= 1000000) {  // rounded up into the next second (never past 9999: doubles are coarse there)
    whole += 1;
    micros = 0;
  }
  sys_seconds point{seconds{static_cast<long long>(whole)}};
  sys_days day = std::chrono::floor<days>(point);
  year_month_day ymd{day};
  long long secondOfDay = (point - day).count();
  char text[40];
  int length = std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02lld:%02lld:%02lld", static_cast<int>(ymd.year()),
                             static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()), secondOfDay / 3600,
                             secondOfDay / 60 % 60, secondOfDay % 60);
  std::string result(text, static_cast<std::size_t>(length));
  if (micros > 0) {
    std::snprintf(text, sizeof text, ".%06lld", micros);
    std::string fraction(text);
    fraction.erase(fraction.find_last_not_of('0') + 1);
    result += fraction;
  }
  return result + "Z";
}

std::optional<Date> parseIso8601(std::string_view text) {
  std::size_t at = 0;
  auto year = digits(text, at, 4);
  if (!year || !expect(text, at, '-')) return std::nullopt;
  auto month = digits(text, at, 2);
  if (!month || !expect(text, at, '-')) return std::nullopt;
  auto day = digits(text, at, 2);
  if (!day || !expect(text, at, 'T')) return std::nullopt;
  auto hour = digits(text, at, 2);
  if (!hour || !expect(text, at, ':')) return std::nullopt;
  auto minute = digits(text, at, 2);
  if (!minute || !expect(text, at, ':')) return std::nullopt;
  auto second = digits(text, at, 2);
  if (!second) return std::nullopt;
  double fraction = 0;
  if (expect(text, at, '.')) {
    std::size_t first = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
    if (at == first) return std::nullopt;
    std::string decimal = "0." + std::string(text.substr(first, at - first));
    std::from_chars(decimal.data(), decimal.data() + decimal.size(), fraction);
  }
  if (!expect(text, at, 'Z') || at != text.size()) return std::nullopt;

  year_month_day ymd{std::chrono::year{*year}, std::chrono::month{static_cast<unsigned>(*month)},
                     std::chrono::day{static_cast<unsigned>(*day)}};
  if (*year < 1 || !ymd.ok() || *hour > 23 || *minute > 59 || *second > 59) return std::nullopt;
  auto dayStart = sys_days{ymd}.time_since_epoch().count() * 86400LL;
  double total = static_cast<double>(dayStart + *hour * 3600LL + *minute * 60LL + *second) + fraction;
  return Date{total};
}

}  // namespace foundation
