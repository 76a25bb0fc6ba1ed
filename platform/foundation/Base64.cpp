#include "platform/foundation/Base64.h"

#include <openssl/evp.h>

#include <algorithm>

#include "platform/foundation/CryptoLibrary.h"

namespace foundation {

namespace {

// The OpenSSL block functions take int lengths; work in pieces well below that.
constexpr std::size_t kPlainChunk = 3 * 1024 * 1024;
constexpr std::size_t kTextChunk = kPlainChunk / 3 * 4;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// EVP_DecodeBlock accepts '=' anywhere in a quad; only the last two characters may be padding.
bool paddingOnlyAtEnd(const std::string& compact) {
  std::size_t firstPad = compact.find('=');
  if (firstPad == std::string::npos) return true;
  if (compact.size() - firstPad > 2) return false;
  return std::all_of(compact.begin() + static_cast<std::ptrdiff_t>(firstPad), compact.end(),
                     [](char c) { return c == '='; });
}

}  // namespace

std::string base64Encode(const Bytes& data) {
  std::size_t encodedSize = 4 * ((data.size() + 2) / 3);
  std::string text;
  text.reserve(encodedSize);
  std::string piece(std::min(kTextChunk, encodedSize) + 1, '\0');
  for (std::size_t offset = 0; offset < data.size(); offset += kPlainChunk) {
    std::size_t length = std::min(kPlainChunk, data.size() - offset);
    int written =
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(piece.data()), data.data() + offset, static_cast<int>(length));
    text.append(piece.data(), static_cast<std::size_t>(written));
  }
  return text;
}

std::optional<Bytes> base64Decode(std::string_view text) {
  std::string compact;
  compact.reserve(text.size());
  for (char c : text)
    if (!isSpace(c)) compact += c;
  if (compact.size() % 4 != 0 || !paddingOnlyAtEnd(compact)) return std::nullopt;
  Bytes data;
  data.reserve(compact.size() / 4 * 3);
  Bytes piece(std::min(kPlainChunk, compact.size() / 4 * 3));
  for (std::size_t offset = 0; offset < compact.size(); offset += kTextChunk) {
    std::size_t length = std::min(kTextChunk, compact.size() - offset);
    int decoded = EVP_DecodeBlock(piece.data(), reinterpret_cast<const unsigned char*>(compact.data() + offset),
                                  static_cast<int>(length));
    if (decoded < 0) return std::nullopt;
    data.insert(data.end(), piece.begin(), piece.begin() + decoded);
  }
  // The decoder writes whole groups of three bytes; padding marks the ones that are not data.
  std::size_t padding = compact.size() - 1 - compact.find_last_not_of('=');
  if (!compact.empty()) data.resize(data.size() - padding);
  return data;
}

}  // namespace foundation
