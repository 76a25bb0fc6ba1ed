#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace foundation {

// A POSIX TZ text ("CST-8", "EST5EDT,M3.2.0,M11.1.0") as $TZ may hold it, read into the parts
// a yearly zone rule is built from. Immutable; any thread.
struct PosixTimeZoneRule {
  // When summer time starts or ends, in the local time in force just before.
  struct Change {
    int month = 1;              // 1-12
    int week = 0;               // 1-4 the nth weekday of the month, 5 the last; 0: `day` is a day of the month
    int day = 1;                // weekday 0 (Sunday) - 6, or day of the month
    int secondsIntoDay = 7200;  // -167 h to 167 h
  };
  struct Daylight {
    std::string name;
    int offsetSeconds = 0;  // east of UTC
    Change start;
    Change end;
  };

  std::string standardName;
  int standardOffsetSeconds = 0;  // east of UTC
  std::optional<Daylight> daylight;

  // Any thread. nullopt when the text is not a rule. The zero-based day form ("EST5EDT,59,304"),
  // whose dates move with leap years, is refused; "Jn" days and "Mm.w.d" weekdays are read.
  static std::optional<PosixTimeZoneRule> parse(std::string_view text);
};

}  // namespace foundation
