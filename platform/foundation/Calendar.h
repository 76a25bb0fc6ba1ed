#pragma once

#include <optional>

#include "platform/foundation/TimeZone.h"
#include "platform/foundation/Value.h"

namespace foundation {

// Wall-clock fields of a moment in some time zone. year counts astronomically (0 is 1 BC);
// weekday: 1 = Sunday ... 7 = Saturday, whatever a locale takes as the first day of the week.
struct DateComponents {
  int year = 1970;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int nanosecond = 0;
  int weekday = 5;
  int dayOfYear = 1;
  friend bool operator==(const DateComponents&, const DateComponents&) = default;
};

// Any thread. Now, from the process clock (a manual clock in tests).
Date currentDate();

// The Gregorian calendar (also before 1582) in one time zone. Immutable; any thread.
// Moments are taken within about ±5.7 million years; NaN reads as 1970.
class Calendar {
 public:
  explicit Calendar(TimeZone zone);
  // Any thread. The calendar of the current time zone.
  static Calendar current();

  const TimeZone& timeZone() const { return zone_; }

  // Any thread. The wall-clock fields of the moment in this calendar's zone.
  DateComponents components(Date date) const;
  // Any thread. The moment of the fields' wall-clock time (weekday and dayOfYear are ignored);
  // nullopt when a field is out of range (month 13, 31 April, minute 60, a year beyond the
  // calendar's reach...). A time that the zone skips (spring forward) moves forward by the gap;
  // a repeated time takes the earlier moment.
  std::optional<Date> date(const DateComponents& components) const;

 private:
  TimeZone zone_;
};

}  // namespace foundation
