#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/DatePattern.h"
#include "platform/foundation/Locale.h"
#include "platform/foundation/TimeZone.h"
#include "platform/foundation/Value.h"

namespace foundation {

// Writes and reads dates with a Unicode date pattern in a locale and a time zone.
//
// Pattern letters: G era; y year (yy: two digits); M and L month (1-2 digits, 3 abbreviated,
// 4 full, 5 narrow name); d day; D day of year; E weekday name (1-3 abbreviated, 4 full,
// 5 narrow); c and e weekday (1-2 the number, 1 = Sunday, 3+ names as E); a AM/PM; H 0-23,
// k 1-24, h 1-12, K 0-11; m minute; s second; S fraction of a second; z zone abbreviation
// ("EST", or "GMT+8" where the zone has none; zzzz "GMT+08:00"); Z offset (1-3 "+0800",
// 4 "GMT+08:00", 5 "+08:00"). Other letters are written as they are.
//
// Reading needs the whole text to match; names match without regard to case; fields that the
// pattern lacks default to 1970-01-01 00:00:00; a two-digit year lies within 80 years before and
// 20 after now; an impossible date (31 April, 25 o'clock) does not read.
// Setters are for the owning thread; the const methods may be called from any thread.
class DateFormatter {
 public:
  // Any thread. The current locale and time zone.
  explicit DateFormatter(std::string_view pattern = "");
  DateFormatter(std::string_view pattern, Locale locale, TimeZone timeZone);

  void setDateFormat(std::string_view pattern);
  const std::string& dateFormat() const { return pattern_; }
  void setLocale(Locale locale) { locale_ = std::move(locale); }
  const Locale& locale() const { return locale_; }
  void setTimeZone(TimeZone timeZone) { timeZone_ = std::move(timeZone); }
  const TimeZone& timeZone() const { return timeZone_; }

  std::string stringFromDate(Date date) const;
  // nullopt when the text does not match the pattern or names an impossible date.
  std::optional<Date> dateFromString(std::string_view text) const;

 private:
  std::string pattern_;
  std::vector<DatePatternPiece> pieces_;
  Locale locale_;
  TimeZone timeZone_;
};

}  // namespace foundation
