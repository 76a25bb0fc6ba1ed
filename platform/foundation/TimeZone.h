#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace foundation {

inline constexpr const char* kTimeZoneErrorDomain = "TimeZoneErrorDomain";
// Codes of kTimeZoneErrorDomain.
inline constexpr long long kUnknownTimeZoneError = 1;  // no zone of that name
inline constexpr long long kCorruptTimeZoneError = 2;  // a zone rule text that cannot be read

// A time zone of the tz database (IANA names such as "Asia/Shanghai"), with every recorded
// change of offset and summer time and the yearly rule beyond the last of them, as the ICU
// library's zone data holds them. Immutable and cheap to copy; any thread.
class TimeZone {
 public:
  // Any thread. The zone of that database name; unknown names, paths and custom offsets
  // ("GMT+8") are refused.
  static Result<TimeZone> named(std::string_view ianaName);
  // Any thread. A zone from a POSIX TZ text such as "CST-8" or "EST5EDT,M3.2.0,M11.1.0".
  static Result<TimeZone> fromPosixRule(std::string_view rule);
  static TimeZone utc();
  // Any thread. A zone that is always the given seconds east of UTC, named like "GMT+0800".
  static TimeZone fixed(int secondsFromGMT);

  // Any thread. The system's zone: the test override, else $TZ (a name, a path into a zoneinfo
  // folder or a POSIX rule), else /etc/timezone, else the target of /etc/localtime, else the
  // zone whose file /etc/localtime copies, else UTC.
  static TimeZone current();
  // Any thread. Test hook: current() answers this zone until reset with nullopt.
  static void setCurrentForTesting(std::optional<TimeZone> zone);

  const std::string& name() const;
  // Offset east of UTC in force at the moment.
  int secondsFromGMT(Date date) const;
  // The zone's short English name at the moment ("EST", "EDT"; a POSIX rule's own names), else
  // its offset ("GMT+8").
  std::string abbreviation(Date date) const;
  bool isDaylightSavingTime(Date date) const;

  // Any thread. Seconds since 1970 (UTC) of a wall-clock time given as seconds since 1970 read
  // as if local time were UTC. Skipped times move forward by the gap; repeated ones take the
  // earlier moment.
  std::int64_t utcSecondsForLocal(std::int64_t localSeconds) const;
  // The offset east of UTC in force at a moment given in whole seconds.
  int secondsFromGMTAt(std::int64_t utcSeconds) const;

  friend bool operator==(const TimeZone& a, const TimeZone& b) { return a.name() == b.name(); }

  // The ICU side of the zone, for the date classes of this folder (TimeZoneRules.h).
  struct Rules;
  const Rules& rules() const { return *rules_; }

 private:
  explicit TimeZone(std::shared_ptr<const Rules> rules) : rules_(std::move(rules)) {}
  std::shared_ptr<const Rules> rules_;
};

}  // namespace foundation
