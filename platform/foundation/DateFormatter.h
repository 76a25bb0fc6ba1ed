#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Locale.h"
#include "platform/foundation/TimeZone.h"
#include "platform/foundation/Value.h"

namespace foundation {

// Writes and reads dates with a Unicode date pattern ("yyyy-MM-dd HH:mm:ss", "EEEE",
// "EEE, dd MMM yyyy HH:mm:ss z") in a locale and a time zone, with the ICU library's formatter
// and the locale's ICU data. Text in single quotes is literal, two single quotes stand for one.
// "c" and "e" count weekdays from the locale's first day of the week; Calendar's weekday is the
// fixed Sunday = 1 count.
//
// Writing: a pattern with a letter that means nothing ("j", "t") writes "". Reading needs the
// whole text to match; names match without regard to case; fields that the pattern lacks
// default to 1970-01-01 00:00:00; a two-digit year lies within 80 years before and 20 after
// now (the process clock's now when the formatter was set up); an impossible date or time
// (31 April, 25 o'clock, a wall-clock time the zone skips) does not read.
// The calendar is the Gregorian one, also before 1582.
// Setters are for the owning thread; the const methods may be called from any thread.
class DateFormatter {
 public:
  // Any thread. The current locale and time zone.
  explicit DateFormatter(std::string_view pattern = "");
  DateFormatter(std::string_view pattern, Locale locale, TimeZone timeZone);

  void setDateFormat(std::string_view pattern);
  const std::string& dateFormat() const { return pattern_; }
  void setLocale(Locale locale);
  const Locale& locale() const { return locale_; }
  void setTimeZone(TimeZone timeZone);
  const TimeZone& timeZone() const { return timeZone_; }

  std::string stringFromDate(Date date) const;
  // nullopt when the text does not match the pattern or names an impossible date.
  std::optional<Date> dateFromString(std::string_view text) const;

 private:
  struct Engine;
  void rebuild();

  std::string pattern_;
  Locale locale_;
  TimeZone timeZone_;
  // Shared by copies, which never change it: a setter gives this formatter a new one.
  std::shared_ptr<Engine> engine_;
};

}  // namespace foundation
