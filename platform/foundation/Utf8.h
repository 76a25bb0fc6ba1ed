#pragma once

#include <string_view>

namespace foundation {

// Any thread. True when the text is well-formed UTF-8: no overlong forms, no surrogates, nothing
// above U+10FFFF, no truncated sequence.
bool isValidUtf8(std::string_view text);

}  // namespace foundation
