#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace foundation {

inline constexpr const char* kTimeZoneErrorDomain = "TimeZoneErrorDomain";
// Codes of kTimeZoneErrorDomain.
inline constexpr long long kUnknownTimeZoneError = 1;  // no such zone in the system's database
inline constexpr long long kCorruptTimeZoneError = 2;  // a zone file that cannot be read

// A time zone of the system's tz database (IANA names such as "Asia/Shanghai"), with every
// recorded change of offset and summer time, and the yearly rule beyond the last of them.
// Immutable and cheap to copy; any thread.
class TimeZone {
 public:
  // Any thread. The zone of that name from $TZDIR, else /usr/share/zoneinfo. "UTC" and "GMT"
  // exist even without a database. Names that leave the database folder are refused.
  static Result<TimeZone> named(std::string_view ianaName);
  // Any thread. A zone from the bytes of a zone file (TZif, any version).
  static Result<TimeZone> fromZoneFile(std::string name, std::span<const std::uint8_t> data);
  // Any thread. A zone from a POSIX TZ text such as "CST-8" or "EST5EDT,M3.2.0,M11.1.0".
  static Result<TimeZone> fromPosixRule(std::string_view rule);
  static TimeZone utc();
  // Any thread. A zone that is always the given seconds east of UTC, named like "GMT+0800".
  static TimeZone fixed(int secondsFromGMT);

  // Any thread. The system's zone: the test override, else $TZ, else /etc/timezone, else
  // /etc/localtime, else UTC.
  static TimeZone current();
  // Any thread. Test hook: current() answers this zone until reset with nullopt.
  static void setCurrentForTesting(std::optional<TimeZone> zone);

  const std::string& name() const;
  // Offset east of UTC in force at the moment.
  int secondsFromGMT(Date date) const;
  std::string abbreviation(Date date) const;
  bool isDaylightSavingTime(Date date) const;

  // Any thread. Seconds since 1970 (UTC) of a wall-clock time given as seconds since 1970 read
  // as if local time were UTC. Skipped times move forward by the gap; repeated ones take the
  // earlier moment.
  std::int64_t utcSecondsForLocal(std::int64_t localSeconds) const;
  // The local time type in force at a moment given in whole seconds.
  int secondsFromGMTAt(std::int64_t utcSeconds) const;

  friend bool operator==(const TimeZone& a, const TimeZone& b) { return a.name() == b.name(); }

  struct Rules;

 private:
  explicit TimeZone(std::shared_ptr<const Rules> rules) : rules_(std::move(rules)) {}
  std::shared_ptr<const Rules> rules_;
};

}  // namespace foundation
