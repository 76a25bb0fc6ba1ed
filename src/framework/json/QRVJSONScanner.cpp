#include "src/framework/json/QRVJSONScanner.h"

#include <utility>

#include "platform/foundation/Utf8.h"
#include "src/framework/json/Utf8.h"

namespace framework {

namespace {

using foundation::Result;
using foundation::Value;
using Code = QRVJSONScannerErrorCode;

const char* messageFor(Code code) {
  switch (code) {
    case Code::dictionaryNotStarted:
      return "Could not scan dictionary. Dictionary that does not start with '{' character.";
    case Code::dictionaryKey:
      return "Could not scan dictionary. Failed to scan a key.";
    case Code::dictionaryKeyNotTerminated:
      return "Could not scan dictionary. Key was not terminated with a ':' character.";
    case Code::dictionaryValue:
      return "Could not scan dictionary. Failed to scan a value.";
    case Code::dictionaryPairsNotDelimited:
      return "Could not scan dictionary. Key value pairs not delimited with a ',' character.";
    case Code::dictionaryNotTerminated:
      return "Could not scan dictionary. Dictionary not terminated by a '}' character.";
    case Code::arrayNotStarted:
      return "Could not scan array. Array not started by a '[' character.";
    case Code::arrayValue:
      return "Could not scan array. Could not scan a value.";
    case Code::arrayNotTerminated:
    case Code::arrayNotTerminatedAtEnd:
      return "Could not scan array. Array not terminated by a ']' character.";
    case Code::stringNotStarted:
      return "Could not scan string constant. String not started by a '\"' character.";
    case Code::stringUnicode:
      return "Could not scan string constant. Unicode character could not be decoded.";
    case Code::stringEscape:
      return "Could not scan string constant. Unknown escape code.";
    case Code::number:
      return "Could not scan number constant.";
    case Code::stringNotTerminated:
      return "Could not scan string constant. String not terminated by a '\"' character.";
  }
  return "Could not scan JSON.";
}

foundation::ErrorPtr scanError(Code code, foundation::ErrorPtr underlying = nullptr) {
  return foundation::makeError(kQRVJSONScannerErrorDomain, static_cast<long long>(code), messageFor(code),
                               std::move(underlying));
}

bool startsWithZeros(const foundation::Bytes& data, std::initializer_list<std::size_t> zeroAt,
                     std::initializer_list<std::size_t> nonZeroAt) {
  for (std::size_t i : zeroAt)
    if (data[i] != 0) return false;
  for (std::size_t i : nonZeroAt)
    if (data[i] == 0) return false;
  return true;
}

// UTF-16 and UTF-32 text, told by where the zero bytes of the first four stand; nothing for UTF-8.
std::optional<std::optional<std::string>> convertWideText(const foundation::Bytes& data) {
  if (data.size() < 4) return std::nullopt;
  std::string_view bytes(reinterpret_cast<const char*>(data.data()), data.size());
  using utf8::Endian;
  if (startsWithZeros(data, {0, 1, 2}, {3})) return utf8::fromUtf32(bytes, Endian::big);
  if (startsWithZeros(data, {0, 2}, {1, 3})) return utf8::fromUtf16(bytes, Endian::big);
  if (startsWithZeros(data, {1, 2, 3}, {0})) return utf8::fromUtf32(bytes, Endian::little);
  if (startsWithZeros(data, {1, 3}, {0, 2})) return utf8::fromUtf16(bytes, Endian::little);
  return std::nullopt;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

foundation::Status QRVJSONScanner::setData(foundation::Bytes data) {
  auto wide = convertWideText(data);
  if (wide && !*wide) {
    QRVDataScanner::setData({});
    return scanError(Code::stringUnicode);
  }
  if (wide) data.assign(wide->value().begin(), wide->value().end());
  QRVDataScanner::setData(std::move(data));
  return {};
}

Result<std::optional<Value>> QRVJSONScanner::scanJSONObject() {
  using Found = std::optional<Value>;
  skipWhitespace();
  const std::optional<char> next = currentCharacter();
  if (!next) return Found();
  switch (*next) {
    case '{': {
      auto dictionary = scanJSONDictionary();
      if (!dictionary) return dictionary.error();
      return Found(Value(std::move(dictionary).value()));
    }
    case '[': {
      auto array = scanJSONArray();
      if (!array) return array.error();
      return Found(Value(std::move(array).value()));
    }
    case 'f':
    case 't':
    case 'n':
      return scanLiteral();
    case '"':
    case '\'': {
      auto text = scanJSONStringConstant();
      if (!text) return text.error();
      return Found(Value(std::move(text).value()));
    }
    default:
      break;
  }
  if (*next == '-' || (*next >= '0' && *next <= '9')) {
    auto number = scanJSONNumberConstant();
    if (!number) return number.error();
    return Found(Value(*number));
  }
  return Found();
}

Result<std::optional<Value>> QRVJSONScanner::scanLiteral() {
  if (scanUTF8String("false", nullptr)) return std::optional<Value>(Value(false));
  if (scanUTF8String("true", nullptr)) return std::optional<Value>(Value(true));
  if (scanUTF8String("null", nullptr)) return std::optional<Value>(Value());
  return std::optional<Value>();
}

Result<Value> QRVJSONScanner::scanNestedValue(Code failure) {
  if (depth_ >= kMaxDepth)
    return scanError(failure, foundation::makeError(kQRVJSONScannerErrorDomain, static_cast<long long>(failure),
                                                    "Values are nested too deeply."));
  ++depth_;
  auto value = scanJSONObject();
  --depth_;
  if (!value) return scanError(failure, value.error());
  if (!*value) return scanError(failure);
  return std::move(**value);
}

Result<foundation::Dictionary> QRVJSONScanner::scanJSONDictionary() {
  const std::size_t start = scanLocation();
  auto fail = [&](foundation::ErrorPtr error) {
    setScanLocation(start);
    return error;
  };
  skipWhitespace();
  if (!scanCharacter('{')) return fail(scanError(Code::dictionaryNotStarted));
  foundation::Dictionary dictionary;
  skipWhitespace();
  if (scanCharacter('}')) return dictionary;
  while (true) {
    auto key = scanJSONStringConstant();
    if (!key) return fail(scanError(Code::dictionaryKey, key.error()));
    skipWhitespace();
    if (!scanCharacter(':')) return fail(scanError(Code::dictionaryKeyNotTerminated));
    auto value = scanNestedValue(Code::dictionaryValue);
    if (!value) return fail(value.error());
    dictionary.set(std::move(key).value(), std::move(value).value());
    skipWhitespace();
    if (isAtEnd()) return fail(scanError(Code::dictionaryNotTerminated));
    if (scanCharacter('}')) return dictionary;
    if (!scanCharacter(',')) return fail(scanError(Code::dictionaryPairsNotDelimited));
  }
}

Result<foundation::Array> QRVJSONScanner::scanJSONArray() {
  const std::size_t start = scanLocation();
  auto fail = [&](foundation::ErrorPtr error) {
    setScanLocation(start);
    return error;
  };
  skipWhitespace();
  if (!scanCharacter('[')) return fail(scanError(Code::arrayNotStarted));
  foundation::Array array;
  skipWhitespace();
  if (scanCharacter(']')) return array;
  while (true) {
    auto value = scanNestedValue(Code::arrayValue);
    if (!value) return fail(value.error());
    array.push_back(std::move(value).value());
    skipWhitespace();
    if (isAtEnd()) return fail(scanError(Code::arrayNotTerminatedAtEnd));
    if (scanCharacter(']')) return array;
    if (!scanCharacter(',')) return fail(scanError(Code::arrayNotTerminated));
  }
}

Result<std::string> QRVJSONScanner::scanJSONStringConstant() {
  const std::size_t start = scanLocation();
  auto fail = [&](foundation::ErrorPtr error) {
    setScanLocation(start);
    return error;
  };
  skipWhitespace();
  if (!scanCharacter('"')) return fail(scanError(Code::stringNotStarted));
  std::string text;
  while (true) {
    std::string chunk;
    if (scanNotQuoteCharactersIntoString(&chunk)) {
      if (!foundation::isValidUtf8(chunk)) return fail(scanError(Code::stringUnicode));
      text += chunk;
    }
    const std::optional<char> next = scanCharacter();
    if (!next) return fail(scanError(Code::stringNotTerminated));
    if (*next == '"') return text;
    if (foundation::Status escaped = scanEscape(text); !escaped) return fail(escaped.error());
  }
}

// After a backslash: one of \" \\ \/ \b \f \n \r \t or \uXXXX.
foundation::Status QRVJSONScanner::scanEscape(std::string& out) {
  const std::optional<char> code = scanCharacter();
  if (!code) return scanError(Code::stringEscape);
  switch (*code) {
    case '"':
      out += '"';
      return {};
    case '\\':
      out += '\\';
      return {};
    case '/':
      out += '/';
      return {};
    case 'b':
      out += '\b';
      return {};
    case 'f':
      out += '\f';
      return {};
    case 'n':
      out += '\n';
      return {};
    case 'r':
      out += '\r';
      return {};
    case 't':
      out += '\t';
      return {};
    case 'u':
      return scanUnicodeEscape(out);
    default:
      return scanError(Code::stringEscape);
  }
}

// Four hexadecimal digits; a high surrogate must be followed by a \u escape of a low one.
foundation::Status QRVJSONScanner::scanUnicodeEscape(std::string& out) {
  auto scanUnit = [this]() -> std::optional<std::uint32_t> {
    std::uint32_t unit = 0;
    for (int i = 0; i < 4; ++i) {
      const std::optional<char> digit = scanCharacter();
      const int value = digit ? hexValue(*digit) : -1;
      if (value < 0) return std::nullopt;
      unit = unit * 16 + static_cast<std::uint32_t>(value);
    }
    return unit;
  };
  std::optional<std::uint32_t> unit = scanUnit();
  if (unit && *unit >= 0xD800 && *unit <= 0xDBFF) {
    std::optional<std::uint32_t> low = scanUTF8String("\\u", nullptr) ? scanUnit() : std::nullopt;
    unit = low && *low >= 0xDC00 && *low <= 0xDFFF ? std::optional(0x10000 + ((*unit - 0xD800) << 10) + (*low - 0xDC00))
                                                   : std::nullopt;
  }
  if (!unit || !utf8::appendCodePoint(out, *unit)) return scanError(Code::stringUnicode);
  return {};
}

Result<double> QRVJSONScanner::scanJSONNumberConstant() {
  const std::size_t start = scanLocation();
  skipWhitespace();
  double number = 0;
  if (scanNumber(&number)) return number;
  setScanLocation(start);
  return scanError(Code::number);
}

bool QRVJSONScanner::scanNotQuoteCharactersIntoString(std::string* into) {
  static const ByteSet kQuoteOrBackslash("\"\\");
  return scanUpToCharactersFromSet(kQuoteOrBackslash, into);
}

}  // namespace framework
