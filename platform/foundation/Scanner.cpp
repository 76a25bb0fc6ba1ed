#include "platform/foundation/Scanner.h"

#include <algorithm>

namespace foundation {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The code point of the sequence at `at`, advancing `at`; kReplacement for a byte that starts no
// well-formed sequence (which is then skipped alone).
char32_t nextCodePoint(std::string_view text, std::size_t& at) {
  const auto lead = static_cast<unsigned char>(text[at++]);
  if (lead < 0x80) return lead;
  int length = (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
  if (length == 0 || at + length - 1 > text.size()) return kReplacement;
  char32_t point = lead & (0x7F >> length);
  for (int i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i - 1]);
    if ((next & 0xC0) != 0x80) return kReplacement;
    point = (point << 6) | (next & 0x3F);
  }
  static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (point < kSmallest[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return kReplacement;
  at += length - 1;
  return point;
}

}  // namespace

std::u32string decodeUtf8(std::string_view text) {
  std::u32string characters;
  for (std::size_t at = 0; at < text.size();) characters.push_back(nextCodePoint(text, at));
  return characters;
}

std::string encodeUtf8(std::u32string_view characters) {
  std::string text;
  for (char32_t c : characters) {
    if (c < 0x80) {
      text += static_cast<char>(c);
    } else if (c < 0x800) {
      text += static_cast<char>(0xC0 | (c >> 6));
      text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      text += static_cast<char>(0xE0 | (c >> 12));
      text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      text += static_cast<char>(0xF0 | (c >> 18));
      text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      text += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return text;
}

Scanner::Scanner(std::string_view text) : characters_(decodeUtf8(text)) {}

std::string Scanner::string() const { return encodeUtf8(characters_); }

void Scanner::setScanLocation(std::size_t location) { location_ = std::min(location, characters_.size()); }

std::u32string_view Scanner::characters(std::size_t from) const {
  return std::u32string_view(characters_).substr(std::min(from, characters_.size()));
}

bool Scanner::consumeTo(std::size_t end, std::string* into) {
  if (end <= location_) return false;
  if (into) *into = encodeUtf8(characters(location_).substr(0, end - location_));
  location_ = end;
  return true;
}

bool Scanner::scanString(std::string_view text, std::string* into) {
  const std::u32string wanted = decodeUtf8(text);
  if (wanted.empty() || !characters(location_).starts_with(wanted)) return false;
  return consumeTo(location_ + wanted.size(), into);
}

bool Scanner::scanUpToString(std::string_view text, std::string* into) {
  const std::size_t found = characters_.find(decodeUtf8(text), location_);
  return consumeTo(found == std::u32string::npos ? characters_.size() : found, into);
}

bool Scanner::scanUpToCharactersFromSet(const CharacterSet& set, std::string* into) {
  auto rest = characters(location_);
  auto stop = std::find_if(rest.begin(), rest.end(), [&](char32_t c) { return set.contains(c); });
  return consumeTo(location_ + static_cast<std::size_t>(stop - rest.begin()), into);
}

}  // namespace foundation
