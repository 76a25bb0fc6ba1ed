#include "src/framework/json/QRVDataScanner.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace framework {

namespace {

const ByteSet& whitespace() {
  static const ByteSet set(" \t\n\v\f\r");
  return set;
}

foundation::ErrorPtr scannerError(QRVDataScannerErrorCode code, const char* description) {
  return foundation::makeError(kQRVDataScannerErrorDomain, static_cast<long long>(code), description);
}

// Where the first line break of `text` begins: line feed, form feed, carriage return, or the
// UTF-8 forms of U+0085, U+2028 and U+2029.
std::size_t lineBreakIn(std::string_view text) {
  static constexpr std::array<std::string_view, 6> kBreaks = {"\n",       "\f",           "\r",
                                                              "\xC2\x85", "\xE2\x80\xA8", "\xE2\x80\xA9"};
  std::size_t first = text.size();
  for (std::string_view lineBreak : kBreaks) first = std::min(first, text.find(lineBreak));
  return first;
}

}  // namespace

void QRVDataScanner::setData(foundation::Bytes data) {
  data_ = std::move(data);
  current_ = 0;
}

void QRVDataScanner::setScanLocation(std::size_t location) { current_ = std::min(location, data_.size()); }

std::string_view QRVDataScanner::remaining() const {
  return {reinterpret_cast<const char*>(data_.data()) + current_, data_.size() - current_};
}

void QRVDataScanner::consume(std::size_t count, std::string* into) {
  if (into) into->assign(remaining().substr(0, count));
  current_ += count;
}

std::optional<char> QRVDataScanner::scanCharacter() {
  if (isAtEnd()) return std::nullopt;
  return static_cast<char>(data_[current_++]);
}

bool QRVDataScanner::scanCharacter(char expected) {
  if (currentCharacter() != expected) return false;
  ++current_;
  return true;
}

bool QRVDataScanner::scanUTF8String(std::string_view text, std::string* into) {
  if (text.empty() || !remaining().starts_with(text)) return false;
  consume(text.size(), into);
  return true;
}

bool QRVDataScanner::scanString(std::string_view text, std::string* into) { return scanUTF8String(text, into); }

bool QRVDataScanner::scanCharactersFromSet(const ByteSet& set, std::string* into) {
  std::string_view rest = remaining();
  std::size_t count = 0;
  while (count < rest.size() && set.contains(rest[count])) ++count;
  if (count == 0) return false;
  consume(count, into);
  return true;
}

bool QRVDataScanner::scanUpToCharactersFromSet(const ByteSet& set, std::string* into) {
  std::string_view rest = remaining();
  std::size_t count = 0;
  while (count < rest.size() && !set.contains(rest[count])) ++count;
  if (count == 0) return false;
  consume(count, into);
  return true;
}

bool QRVDataScanner::scanUpToString(std::string_view text, std::string* into) {
  std::size_t count = std::min(remaining().find(text), remaining().size());
  if (count == 0) return false;
  consume(count, into);
  return true;
}

bool QRVDataScanner::scanNumber(double* into) {
  std::string_view rest = remaining();
  std::size_t count = 0;
  while (count < rest.size() && doubleCharacters_.contains(rest[count])) ++count;
  double value = 0;
  auto [end, error] = std::from_chars(rest.data(), rest.data() + count, value);
  if (count == 0 || error != std::errc() || end != rest.data() + count) return false;
  if (into) *into = value;
  current_ += count;
  return true;
}

void QRVDataScanner::skipWhitespace() { scanCharactersFromSet(whitespace(), nullptr); }

std::string QRVDataScanner::remainingString() const { return std::string(remaining()); }

std::optional<char> QRVDataScanner::currentCharacter() const {
  if (isAtEnd()) return std::nullopt;
  return static_cast<char>(data_[current_]);
}

foundation::Result<std::optional<std::string>> QRVDataScanner::scanCStyleComment() {
  std::string_view rest = remaining();
  if (!rest.starts_with("/*")) return std::optional<std::string>();
  std::size_t close = rest.find("*/", 2);
  if (close == std::string_view::npos)
    return scannerError(QRVDataScannerErrorCode::commentNotTerminated,
                        "Started to scan a C style comment but it wasn't terminated.");
  std::string_view body = rest.substr(2, close - 2);
  if (body.find("/*") != std::string_view::npos)
    return scannerError(QRVDataScannerErrorCode::nestedComment, "C style comments should not be nested.");
  current_ += close + 2;
  return std::optional<std::string>(std::string(body));
}

std::optional<std::string> QRVDataScanner::scanCPlusPlusStyleComment() {
  std::string_view rest = remaining();
  if (!rest.starts_with("//")) return std::nullopt;
  std::size_t length = lineBreakIn(rest);
  std::string comment(rest.substr(2, length - 2));
  current_ += length;
  return comment;
}

}  // namespace framework
