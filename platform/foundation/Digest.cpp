#include "platform/foundation/Digest.h"

#include <glib.h>

#include <cstdlib>

namespace foundation {

// GLib's MD5 needs no set-up, where OpenSSL's digests would load its configuration and algorithm
// tables (about 2 MB resident) only to name cache files.
Md5Digest md5(std::span<const std::uint8_t> bytes) {
  Md5Digest digest{};
  gsize length = digest.size();
  GChecksum* checksum = g_checksum_new(G_CHECKSUM_MD5);
  g_checksum_update(checksum, bytes.data(), static_cast<gssize>(bytes.size()));
  g_checksum_get_digest(checksum, digest.data(), &length);
  g_checksum_free(checksum);
  if (length != digest.size()) std::abort();
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
