#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Value.h"

namespace foundation {

// Any thread. "YYYY-MM-DDTHH:MM:SSZ" in UTC, with a fraction of up to six digits after the
// seconds when the date has one; nullopt for dates outside the years 1 to 9999 or not finite.
std::optional<std::string> formatIso8601(Date date);

// Any thread. Reads the form above (any number of fraction digits); nullopt for anything else,
// impossible calendar dates included.
std::optional<Date> parseIso8601(std::string_view text);

}  // namespace foundation
