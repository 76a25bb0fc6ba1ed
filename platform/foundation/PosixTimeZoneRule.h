#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace foundation {

// One kind of local time of a zone: its offset east of UTC, whether it is summer time, and its
// abbreviation ("CST", "EDT", "+08").
struct ZoneType {
  int offsetSeconds = 0;
  bool isDaylightSaving = false;
  std::string abbreviation;
};

// The yearly rule of a POSIX TZ text ("CST-8", "EST5EDT,M3.2.0,M11.1.0"), as found at the end of
// a zone file: it gives the local time for every moment after the file's last listed change.
// Immutable; any thread.
class PosixTimeZoneRule {
 public:
  // Any thread. nullopt when the text is not a valid rule.
  static std::optional<PosixTimeZoneRule> parse(std::string_view text);

  // Any thread. The local time type in force at the moment (seconds since 1970, UTC).
  const ZoneType& typeAt(std::int64_t utcSeconds) const;

  const ZoneType& standard() const { return standard_; }

 private:
  // When summer time starts or ends within a year, as the rule writes it.
  struct Change {
    enum class Kind { JulianNoLeap, ZeroBasedDay, MonthWeekDay } kind = Kind::MonthWeekDay;
    int day = 0;  // Jn: 1-365; n: 0-365; Mm.w.d: weekday 0 (Sunday) - 6
    int week = 0;
    int month = 0;
    int secondsIntoDay = 7200;
  };
  // Seconds since 1970 of the change's local wall-clock moment in the given year.
  static std::int64_t localMomentIn(std::int64_t year, const Change& change);
  static std::optional<Change> parseChange(std::string_view& text);

  ZoneType standard_;
  std::optional<ZoneType> daylight_;
  Change start_;
  Change end_;
};

}  // namespace foundation
