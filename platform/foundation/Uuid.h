#pragma once

#include <string>
#include <string_view>

namespace foundation {

// Any thread. A new random (version 4) UUID as text: 8-4-4-4-12 upper-case hexadecimal digits.
std::string newUuidString();

// Any thread. Whether the text has that form (either case, any version).
bool isUuidString(std::string_view text);

}  // namespace foundation
