#include "platform/foundation/Digest.h"

#include <openssl/evp.h>

#include <cstdlib>

namespace foundation {

Md5Digest md5(std::span<const std::uint8_t> bytes) {
  Md5Digest digest{};
  unsigned int length = 0;
  // MD5 is always in the default provider; a failure here means a broken installation.
  if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_md5(), nullptr) != 1 ||
      length != digest.size()) {
    std::abort();
  }
  return digest;
}

Md5Digest md5(std::string_view text) {
  return md5(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::string md5Hex(std::string_view text) { return hexString(md5(text)); }

std::string hexString(std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (std::uint8_t byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0f];
  }
  return text;
}

}  // namespace foundation
