#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Value.h"

namespace http {

// Any thread. The text of a header in a dictionary of header fields, the name compared without
// regard to case (servers spell names as they like).
std::optional<std::string> headerValue(const foundation::Dictionary& headers, std::string_view name);
// Any thread. Whether the comma-separated list in header `name` holds `token`, the
// tokens compared without regard to case ("Content-Encoding: GZIP").
bool headerListsToken(const foundation::Dictionary& headers, std::string_view name, std::string_view token);

}  // namespace http
