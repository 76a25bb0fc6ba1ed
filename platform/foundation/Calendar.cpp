#include "platform/foundation/Calendar.h"

#include <unicode/gregocal.h>

#include <algorithm>
#include <cmath>

#include "platform/foundation/Clock.h"
#include "platform/foundation/TimeZoneRules.h"

namespace foundation {
namespace {

constexpr int kMillis = 1000;
// Years the calendar reaches from end to end, with room for the zone's offset.
constexpr int kYearLimit = 5'000'000;

bool inRange(int value, int low, int high) { return value >= low && value <= high; }

}  // namespace

Date currentDate() { return Clock::current().wallNow(); }

Calendar::Calendar(TimeZone zone) : zone_(std::move(zone)) {}

Calendar Calendar::current() { return Calendar(TimeZone::current()); }

DateComponents Calendar::components(Date date) const {
  // Whole seconds go to ICU, which counts milliseconds; the fraction is kept to the nanosecond.
  double seconds = TimeZone::Rules::millisOf(date) / kMillis;
  double whole = std::floor(seconds);
  auto calendar = zone_.rules().makeCalendar();
  UErrorCode status = U_ZERO_ERROR;
  calendar->setTime(whole * kMillis, status);

  DateComponents c;
  c.year = calendar->get(UCAL_EXTENDED_YEAR, status);
  c.month = calendar->get(UCAL_MONTH, status) + 1;
  c.day = calendar->get(UCAL_DATE, status);
  c.hour = calendar->get(UCAL_HOUR_OF_DAY, status);
  c.minute = calendar->get(UCAL_MINUTE, status);
  c.second = calendar->get(UCAL_SECOND, status);
  c.nanosecond = std::min(static_cast<int>((seconds - whole) * 1e9), 999'999'999);
  c.weekday = calendar->get(UCAL_DAY_OF_WEEK, status);
  c.dayOfYear = calendar->get(UCAL_DAY_OF_YEAR, status);
  // Moments are held within the calendar's reach, so ICU has no reason to fail here.
  return U_SUCCESS(status) ? c : DateComponents{};
}

std::optional<Date> Calendar::date(const DateComponents& c) const {
  if (!inRange(c.year, -kYearLimit, kYearLimit) || !inRange(c.month, 1, 12) || !inRange(c.hour, 0, 23) ||
      !inRange(c.minute, 0, 59) || !inRange(c.second, 0, 59) || !inRange(c.nanosecond, 0, 999'999'999)) {
    return std::nullopt;
  }
  auto calendar = zone_.rules().makeCalendar();
  UErrorCode status = U_ZERO_ERROR;
  calendar->clear();
  calendar->set(UCAL_EXTENDED_YEAR, c.year);
  calendar->set(UCAL_MONTH, c.month - 1);
  calendar->set(UCAL_DATE, 1);
  if (!inRange(c.day, 1, calendar->getActualMaximum(UCAL_DATE, status))) return std::nullopt;
  calendar->set(UCAL_DATE, c.day);
  calendar->set(UCAL_HOUR_OF_DAY, c.hour);
  calendar->set(UCAL_MINUTE, c.minute);
  calendar->set(UCAL_SECOND, c.second);
  double millis = calendar->getTime(status);
  if (U_FAILURE(status)) return std::nullopt;
  return Date{millis / kMillis + c.nanosecond / 1e9};
}

}  // namespace foundation
