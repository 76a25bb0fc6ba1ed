#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace framework::utf8 {

// Appends the UTF-8 form of a Unicode scalar value; false for surrogates and values past U+10FFFF.
bool appendCodePoint(std::string& out, std::uint32_t codePoint);

enum class Endian { big, little };

// The UTF-8 form of UTF-16 or UTF-32 text; nothing when the text is malformed (a lone
// surrogate, a value past U+10FFFF, or a length that is not a whole number of units).
std::optional<std::string> fromUtf16(std::string_view bytes, Endian endian);
std::optional<std::string> fromUtf32(std::string_view bytes, Endian endian);

}  // namespace framework::utf8
