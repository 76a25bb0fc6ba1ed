#include "src/framework/json/JsonTokeniser.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/foundation/Utf8.h"
#include "src/framework/json/Utf8.h"

namespace framework {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The UTF-16 unit of four hex digits, or -1.
long hexQuad(std::string_view digits) {
  long unit = 0;
  for (char c : digits.substr(0, 4)) {
    int digit = hexValue(c);
    if (digit < 0) return -1;
    unit = unit * 16 + digit;
  }
  return unit;
}

bool isHighSurrogate(long unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(long unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Whether any byte of the word is zero; exact as a whole, though not byte by byte.
constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
bool hasZeroByte(std::uint64_t word) { return ((word - kOnes) & ~word & kHighBits) != 0; }
// Whether any byte of the word is below 0x20 (the same trick, shifted).
bool hasControlByte(std::uint64_t word) { return ((word - kOnes * 0x20) & ~word & kHighBits) != 0; }

// Where the run of plain bytes starting at `at` ends: at the first quote, backslash or control
// byte, or at the end of the input. Eight bytes at a time where it can, since most of a reply
// is plain string text; `nonASCII` tells whether any byte of the run is 0x80 or above, since
// only then does the run need a UTF-8 check.
std::size_t endOfPlainRun(std::string_view input, std::size_t at, bool& nonASCII) {
  std::uint64_t seen = 0;
  for (; at + 8 <= input.size(); at += 8) {
    std::uint64_t word;
    std::memcpy(&word, input.data() + at, sizeof word);
    if (hasZeroByte(word ^ (kOnes * '"')) || hasZeroByte(word ^ (kOnes * '\\')) || hasControlByte(word)) break;
    seen |= word;
  }
  for (; at < input.size(); ++at) {
    auto byte = static_cast<unsigned char>(input[at]);
    if (byte == '"' || byte == '\\' || byte < 0x20) break;
    seen |= byte;
  }
  nonASCII = (seen & kHighBits) != 0;
  return at;
}

// How many leading bytes of `bytes` end on a whole UTF-8 sequence: a sequence cut by the end of
// the input is left for the next piece. Bytes that are no UTF-8 at all count as whole, for the
// check that follows to refuse them.
std::size_t wholeUtf8Length(std::string_view bytes) {
  const std::size_t size = bytes.size();
  for (std::size_t back = 1; back <= 4 && back <= size; ++back) {
    auto byte = static_cast<unsigned char>(bytes[size - back]);
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte: the lead is further back
    std::size_t length = (byte >> 5) == 0x6 ? 2 : (byte >> 4) == 0xE ? 3 : (byte >> 3) == 0x1E ? 4 : 1;
    return length > back ? size - back : size;
  }
  return size;
}

}  // namespace

const char* jsonTokenName(JsonToken token) {
  switch (token) {
    case JsonToken::arrayStart:
      return "start of array";
    case JsonToken::arrayEnd:
      return "end of array";
    case JsonToken::objectStart:
      return "start of object";
    case JsonToken::objectEnd:
      return "end of object";
    case JsonToken::valueSeparator:
      return "value separator";
    case JsonToken::keyValueSeparator:
      return "key-value separator";
    case JsonToken::number:
      return "number";
    case JsonToken::string:
      return "string";
    case JsonToken::trueValue:
    case JsonToken::falseValue:
      return "boolean";
    case JsonToken::null:
      return "null";
    default:
      return "<aaiiie!>";
  }
}

JsonToken JsonTokeniser::fail(std::string error) {
  error_ = std::move(error);
  inString_ = false;
  inNumber_ = false;
  return JsonToken::error;
}

JsonToken JsonTokeniser::getToken() {
  if (inString_) return getStringToken();
  if (inNumber_) return getNumberToken();
  stream_.skipWhitespace();
  std::string_view input = stream_.unread();
  if (input.empty()) return JsonToken::eof;
  JsonToken punctuation = JsonToken::eof;
  switch (input.front()) {
    case '[':
      punctuation = JsonToken::arrayStart;
      break;
    case ']':
      punctuation = JsonToken::arrayEnd;
      break;
    case '{':
      punctuation = JsonToken::objectStart;
      break;
    case '}':
      punctuation = JsonToken::objectEnd;
      break;
    case ',':
      punctuation = JsonToken::valueSeparator;
      break;
    case ':':
      punctuation = JsonToken::keyValueSeparator;
      break;
    case '"':
      stream_.skip(1);
      string_.clear();
      inString_ = true;
      return getStringToken();
    case 't':
      return getWordToken("true", JsonToken::trueValue);
    case 'f':
      return getWordToken("false", JsonToken::falseValue);
    case 'n':
      return getWordToken("null", JsonToken::null);
    case '+':
      return fail("Leading + is illegal in number");
    default:
      if (input.front() == '-' || isDigit(input.front())) return startNumberToken();
      return fail(std::string("Illegal start of token [") + input.front() + "]");
  }
  stream_.skip(1);
  return punctuation;
}

JsonToken JsonTokeniser::endNumberAtEndOfInput() {
  if (!inNumber_) return JsonToken::eof;
  switch (numberScan_.phase) {
    case NumberPhase::leadingZero:
    case NumberPhase::integer:
    case NumberPhase::fraction:
    case NumberPhase::exponent:
      return finishNumberToken(stream_.unread(), stream_.unread().size());
    default:  // a sign, point or exponent mark still needs its digits
      return JsonToken::eof;
  }
}

bool JsonTokeniser::hasUnreadInput() {
  stream_.skipWhitespace();
  return inString_ || inNumber_ || !stream_.unread().empty();
}

JsonToken JsonTokeniser::getWordToken(std::string_view word, JsonToken token) {
  std::string_view input = stream_.unread();
  if (input.size() < word.size()) return JsonToken::eof;
  if (input.substr(0, word.size()) != word) {
    return fail("Expected '" + std::string(word) + "' after initial '" + word.front() + "'");
  }
  stream_.skip(word.size());
  return token;
}

JsonToken JsonTokeniser::getStringToken() {
  std::string_view input = stream_.unread();
  std::size_t at = 0;
  while (true) {
    std::size_t runStart = at;
    bool nonASCII = false;
    at = endOfPlainRun(input, at, nonASCII);
    const bool inputEnded = at >= input.size();
    if (inputEnded) at = runStart + wholeUtf8Length(input.substr(runStart));
    std::string_view run = input.substr(runStart, at - runStart);
    if (nonASCII && !foundation::isValidUtf8(run)) return fail("Broken Unicode encoding");
    string_.append(run);
    if (inputEnded) return waitInString(at);
    auto stop = static_cast<unsigned char>(input[at]);
    if (stop == '"') {
      stream_.skip(at + 1);
      inString_ = false;
      return JsonToken::string;
    }
    if (stop < 0x20) {
      char text[48];
      std::snprintf(text, sizeof text, "Unescaped control character [0x%02X]", stop);
      return fail(text);
    }
    if (at + 1 >= input.size()) return waitInString(at);  // the escape is cut by the end
    switch (input[at + 1]) {
      case '"':
      case '/':
      case '\\':
        string_ += input[at + 1];
        break;
      case 'b':
        string_ += '\b';
        break;
      case 'f':
        string_ += '\f';
        break;
      case 'n':
        string_ += '\n';
        break;
      case 'r':
        string_ += '\r';
        break;
      case 't':
        string_ += '\t';
        break;
      case 'u': {
        std::size_t escape = at;
        JsonToken escaped = appendUnicodeEscape(input, at);
        if (escaped == JsonToken::eof) return waitInString(escape);
        if (escaped != JsonToken::string) return escaped;
        continue;
      }
      default:
        return fail("Illegal escape character");
    }
    at += 2;
  }
}

JsonToken JsonTokeniser::waitInString(std::size_t decodedUpTo) {
  // What is decoded stays decoded: the next piece goes on from here, so a long string costs the
  // same however finely it is cut.
  stream_.skip(decodedUpTo);
  return JsonToken::eof;
}

JsonToken JsonTokeniser::appendUnicodeEscape(std::string_view input, std::size_t& at) {
  if (input.size() - at < 6) return JsonToken::eof;
  long unit = hexQuad(input.substr(at + 2));
  if (unit < 0) return fail("Invalid hex quad");
  at += 6;
  if (isLowSurrogate(unit)) return fail("Invalid high character in surrogate pair");
  auto codePoint = static_cast<std::uint32_t>(unit);
  if (isHighSurrogate(unit)) {
    // A pair cut by the end of the input waits for the rest, so pieces parse like the whole.
    std::string_view next = input.substr(at);
    if ((!next.empty() && next[0] != '\\') || (next.size() > 1 && next[1] != 'u')) {
      return fail("Missing low character in surrogate pair");
    }
    if (next.size() < 6) return JsonToken::eof;
    long low = hexQuad(next.substr(2));
    if (low < 0) return fail("Invalid hex quad");
    if (!isLowSurrogate(low)) return fail("Invalid low character in surrogate pair");
    codePoint =
        0x10000 + ((static_cast<std::uint32_t>(unit) - 0xD800) << 10) + (static_cast<std::uint32_t>(low) - 0xDC00);
    at += 6;
  }
  utf8::appendCodePoint(string_, codePoint);
  return JsonToken::string;
}

JsonToken JsonTokeniser::startNumberToken() {
  const char first = stream_.unread().front();
  numberScan_ = NumberScan{};
  numberScan_.negative = first == '-';
  numberScan_.phase = numberScan_.negative ? NumberPhase::afterMinus
                      : first == '0'       ? NumberPhase::leadingZero
                                           : NumberPhase::integer;
  if (!numberScan_.negative) numberScan_.takeDigit(first);
  inNumber_ = true;
  return getNumberToken(1);
}

JsonToken JsonTokeniser::getNumberToken(std::size_t from) {
  std::string_view input = stream_.unread();
  NumberScan& scan = numberScan_;
  std::size_t at = from;
  while (at < input.size()) {
    const char c = input[at];
    switch (scan.phase) {
      case NumberPhase::afterMinus:
        if (!isDigit(c)) return fail("No digits after initial minus");
        scan.phase = c == '0' ? NumberPhase::leadingZero : NumberPhase::integer;
        scan.takeDigit(c);
        ++at;
        break;
      case NumberPhase::leadingZero:
        if (isDigit(c)) return fail("Leading zero is illegal in number");
        [[fallthrough]];
      case NumberPhase::integer:
        while (at < input.size() && isDigit(input[at])) scan.takeDigit(input[at++]);
        if (at >= input.size()) break;
        if (input[at] == '.') {
          scan.phase = NumberPhase::afterPoint;
        } else if (input[at] == 'e' || input[at] == 'E') {
          scan.phase = NumberPhase::afterE;
        } else {
          return finishNumberToken(input, at);
        }
        ++at;
        break;
      case NumberPhase::afterPoint:
        if (!isDigit(c)) return fail("No digits after decimal point");
        scan.phase = NumberPhase::fraction;
        [[fallthrough]];
      case NumberPhase::fraction: {
        const std::size_t first = at;
        while (at < input.size() && isDigit(input[at])) scan.takeDigit(input[at++]);
        scan.fractionDigits += static_cast<std::int64_t>(at - first);
        if (at >= input.size()) break;
        if (input[at] != 'e' && input[at] != 'E') return finishNumberToken(input, at);
        scan.phase = NumberPhase::afterE;
        ++at;
        break;
      }
      case NumberPhase::afterE:
        if (c == '+' || c == '-') {
          scan.negativeExponent = c == '-';
          scan.phase = NumberPhase::afterExponentSign;
          ++at;
          break;
        }
        [[fallthrough]];
      case NumberPhase::afterExponentSign:
        if (!isDigit(c)) return fail("No digits in exponent");
        scan.phase = NumberPhase::exponent;
        [[fallthrough]];
      case NumberPhase::exponent:
        for (; at < input.size() && isDigit(input[at]); ++at) {
          scan.exponent = scan.exponent * 10 + (input[at] - '0');
          if (scan.exponent > kJsonMaxExponent) return fail("Exponent out of range in number");
        }
        if (at < input.size()) return finishNumberToken(input, at);
        break;
    }
  }
  // Only a following byte ends a number. What is read stays read: the next piece goes on from
  // here, so a long number costs the same however finely it is cut.
  scan.takenText.append(input.substr(0, at));
  stream_.skip(at);
  return JsonToken::eof;
}

JsonToken JsonTokeniser::finishNumberToken(std::string_view input, std::size_t end) {
  NumberScan& scan = numberScan_;
  if (scan.significantDigits >= NumberScan::kMostMantissaDigits) {
    if (scan.takenText.empty()) {
      number_ = foundation::DecimalNumber(input.substr(0, end));
    } else {
      scan.takenText.append(input.substr(0, end));
      number_ = foundation::DecimalNumber(scan.takenText);
    }
  } else if (scan.phase == NumberPhase::fraction || scan.phase == NumberPhase::exponent) {
    const std::int64_t exponent = (scan.negativeExponent ? -scan.exponent : scan.exponent) - scan.fractionDigits;
    number_ = foundation::DecimalNumber(scan.mantissa, exponent, scan.negative);
  } else if (scan.negative) {
    number_ = -static_cast<std::int64_t>(scan.mantissa);
  } else {
    number_ = scan.mantissa;
  }
  stream_.skip(end);
  inNumber_ = false;
  return JsonToken::number;
}

}  // namespace framework
