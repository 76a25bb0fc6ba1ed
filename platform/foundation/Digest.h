#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace foundation {

using Md5Digest = std::array<std::uint8_t, 16>;

// Any thread. The MD5 digest of the bytes (names of cached files, never security).
Md5Digest md5(std::span<const std::uint8_t> bytes);
Md5Digest md5(std::string_view text);

// Any thread. The MD5 digest of the text's bytes as 32 lower-case hexadecimal digits.
std::string md5Hex(std::string_view text);

// Any thread. Bytes as lower-case hexadecimal digits, two per byte.
std::string hexString(std::span<const std::uint8_t> bytes);

}  // namespace foundation
