#include "platform/foundation/Uuid.h"

#include <openssl/rand.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstdlib>

#include "platform/foundation/CryptoLibrary.h"

namespace foundation {
namespace {

constexpr std::array<std::size_t, 4> kHyphenPositions{8, 13, 18, 23};
constexpr std::size_t kUuidLength = 36;

}  // namespace

std::string newUuidString() {
  std::array<std::uint8_t, 16> bytes{};
  // The system's random source failing leaves nothing sound to fall back on.
  if (RAND_bytes(bytes.data(), static_cast<int>(bytes.size())) != 1) std::abort();
  bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0f) | 0x40);  // version 4
  bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3f) | 0x80);  // RFC 4122 variant
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(kUuidLength);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 0x0f];
  }
  return text;
}

bool isUuidString(std::string_view text) {
  if (text.size() != kUuidLength) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    bool hyphenHere = std::find(kHyphenPositions.begin(), kHyphenPositions.end(), i) != kHyphenPositions.end();
    if (hyphenHere ? text[i] != '-' : !std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

}  // namespace foundation
