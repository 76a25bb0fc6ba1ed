#pragma once

// Private to the .cpp files of this folder that work with dates: the ICU objects behind a
// TimeZone. Only ICU's small version header is included; the .cpp files include what they use.
#include <unicode/uversion.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/PosixTimeZoneRule.h"
#include "platform/foundation/TimeZone.h"

U_NAMESPACE_BEGIN
class BasicTimeZone;
class GregorianCalendar;
U_NAMESPACE_END

namespace foundation {

struct TimeZone::Rules {
  Rules(std::string zoneName, std::unique_ptr<icu::BasicTimeZone> icuZone, std::optional<PosixTimeZoneRule> rule);
  ~Rules();

  // Any thread. A fresh proleptic Gregorian calendar in this zone (also before 1582), in which a
  // repeated wall-clock time reads as its earlier moment and a skipped one moves forward by the gap.
  std::unique_ptr<icu::GregorianCalendar> makeCalendar() const;

  // Any thread. ICU's milliseconds of a date: NaN as 1970, moments beyond about ±5.7 million
  // years (the reach of ICU's calendar) at that bound.
  static double millisOf(Date date);

  const std::string name;
  const std::unique_ptr<const icu::BasicTimeZone> zone;
  // The rule a zone was read from, whose own names serve as abbreviations.
  const std::optional<PosixTimeZoneRule> posixRule;

 private:
  std::unique_ptr<const icu::GregorianCalendar> prototype_;
};

}  // namespace foundation
