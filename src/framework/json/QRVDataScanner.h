#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"
#include "src/framework/json/ByteSet.h"

namespace framework {

// Failures of the comment scanners.
inline constexpr const char* kQRVDataScannerErrorDomain = "QRVDataScannerErrorDomain";
enum class QRVDataScannerErrorCode : long long { nestedComment = 1, commentNotTerminated = 2 };

// A forward scanner over bytes. Every scan either consumes what it matched and answers true, or
// leaves the position where it was and answers false.
class QRVDataScanner {
 public:
  QRVDataScanner() = default;
  explicit QRVDataScanner(foundation::Bytes data) { setData(std::move(data)); }
  static QRVDataScanner scannerWithData(foundation::Bytes data) { return QRVDataScanner(std::move(data)); }

  const foundation::Bytes& data() const { return data_; }
  // Replaces the bytes and goes back to the start.
  void setData(foundation::Bytes data);

  std::size_t scanLocation() const { return current_; }
  // Positions past the end are clamped to the end.
  void setScanLocation(std::size_t location);
  bool isAtEnd() const { return current_ >= data_.size(); }

  // The bytes a number may be made of; "0123456789eE-+." unless changed (JSON allows "1e+2").
  const ByteSet& doubleCharacters() const { return doubleCharacters_; }
  void setDoubleCharacters(ByteSet characters) { doubleCharacters_ = characters; }

  // The next byte (consumed), or nothing at the end.
  std::optional<char> scanCharacter();
  // Consumes `expected` when it is the next byte.
  bool scanCharacter(char expected);
  // Consumes `text` when the bytes continue with it; `into` receives it.
  bool scanUTF8String(std::string_view text, std::string* into);
  bool scanString(std::string_view text, std::string* into);
  // Consumes a run of at least one byte from (or up to one of) `set`.
  bool scanCharactersFromSet(const ByteSet& set, std::string* into);
  bool scanUpToCharactersFromSet(const ByteSet& set, std::string* into);
  // Consumes at least one byte up to `text` or the end; `text` itself stays.
  bool scanUpToString(std::string_view text, std::string* into);
  // Consumes the longest run of doubleCharacters() that reads as a number.
  bool scanNumber(double* into);
  // Skips blanks, tabs, line feeds, vertical tabs, form feeds and carriage returns.
  void skipWhitespace();

  std::string remainingString() const;
  // The next byte without consuming it, or nothing at the end.
  std::optional<char> currentCharacter() const;

  // A "/* ... */" comment at the current position: nothing when there is none, its text when
  // there is one, an error (position unchanged) when it is nested or not terminated.
  foundation::Result<std::optional<std::string>> scanCStyleComment();
  // A "// ..." comment up to the end of its line (the line break stays), or nothing.
  std::optional<std::string> scanCPlusPlusStyleComment();

 private:
  std::string_view remaining() const;
  void consume(std::size_t count, std::string* into);

  foundation::Bytes data_;
  std::size_t current_ = 0;
  ByteSet doubleCharacters_{"0123456789eE-+."};
};

}  // namespace framework
