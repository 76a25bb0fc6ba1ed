#pragma once

#include <optional>
#include <string_view>

#include "platform/foundation/Value.h"

namespace net {

// Any thread. Parses the date of a cookie's Expires attribute with the cookie standard's lenient
// algorithm (any order of time, day, month and year tokens; two-digit years; names of months by
// their first three letters). nullopt when a part is missing or out of range.
std::optional<foundation::Date> parseCookieDate(std::string_view text);

}  // namespace net
