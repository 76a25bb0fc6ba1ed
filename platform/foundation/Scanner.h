#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/foundation/CharacterSet.h"

namespace foundation {

// Reads a text character by character (code points; bytes that are no UTF-8 read as U+FFFD).
// The scan location counts characters. Every scan either consumes what it matched and answers
// true, or leaves the location where it was and answers false; nothing is skipped on the way.
// Not thread-safe.
class Scanner {
 public:
  explicit Scanner(std::string_view text);

  // The whole text, as UTF-8.
  std::string string() const;
  std::size_t scanLocation() const { return location_; }
  // Locations past the end are clamped to the end.
  void setScanLocation(std::size_t location);
  bool isAtEnd() const { return location_ >= characters_.size(); }
  // The characters from `from` to the end.
  std::u32string_view characters(std::size_t from = 0) const;

  // Consumes `text` when the characters continue with it; `into` receives it.
  bool scanString(std::string_view text, std::string* into);
  // Consumes at least one character up to `text` or the end; `text` itself stays.
  bool scanUpToString(std::string_view text, std::string* into);
  // Consumes at least one character up to one of `set` or the end.
  bool scanUpToCharactersFromSet(const CharacterSet& set, std::string* into);

 private:
  bool consumeTo(std::size_t end, std::string* into);

  std::u32string characters_;
  std::size_t location_ = 0;
};

// Any thread. UTF-8 text and code points, both ways.
std::u32string decodeUtf8(std::string_view text);
std::string encodeUtf8(std::u32string_view characters);

}  // namespace foundation
