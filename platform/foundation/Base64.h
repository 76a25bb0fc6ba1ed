#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Value.h"

namespace foundation {

// Any thread. Standard base64 with padding, on one line.
std::string base64Encode(const Bytes& data);

// Any thread. Ignores white space (line breaks included); nullopt when the rest is not base64
// (a wrong character, a wrong length, padding in the middle).
std::optional<Bytes> base64Decode(std::string_view text);

}  // namespace foundation
