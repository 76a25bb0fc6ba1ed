#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "platform/foundation/DatePattern.h"
#include "platform/foundation/Locale.h"
#include "platform/foundation/TimeZone.h"
#include "platform/foundation/Value.h"

namespace foundation {

// The reading half of DateFormatter (see there for the rules). Holds references only: it lives
// for one call. Any thread.
class DateParser {
 public:
  DateParser(const std::vector<DatePatternPiece>& pieces, const Locale& locale, const TimeZone& timeZone)
      : pieces_(pieces), locale_(locale), timeZone_(timeZone) {}

  std::optional<Date> parse(std::string_view text) const;

 private:
  const std::vector<DatePatternPiece>& pieces_;
  const Locale& locale_;
  const TimeZone& timeZone_;
};

}  // namespace foundation
