#include "src/framework/json/JsonStreamWriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Utf8.h"
#include "src/framework/json/ClassName.h"
#include "src/framework/json/JsonTokeniser.h"

namespace framework {
namespace {

using State = JsonStreamWriterState;

// Zeros a decimal's text may gain when its exponent is brought into the reader's range; more
// would let one number made in code take gigabytes.
constexpr std::int64_t kMostAddedZeros = 1 << 20;

// The decimal's text in a form the tokeniser reads back as the same number: an exponent beyond
// its range is brought within it by moving digits to the other side of the exponent. nullopt when
// that takes more than kMostAddedZeros zeros. A zero has no digits to move and is zero at any
// scale: its exponent is only brought to the edge of the range, its sign kept. The decimal's own
// text writes an exponent only after plain digits without leading zeros ("-15e-32768", "0e-40000").
std::optional<std::string> readableDecimalText(const std::string& text) {
  const std::size_t e = text.find('e');
  if (e == std::string::npos) return text;
  std::int64_t exponent = 0;
  std::from_chars(text.data() + e + 1, text.data() + text.size(), exponent);
  if (std::abs(exponent) <= kJsonMaxExponent) return text;
  const std::size_t digitsStart = text.front() == '-' ? 1 : 0;
  const std::string sign = text.substr(0, digitsStart);
  const std::string digits = text.substr(digitsStart, e - digitsStart);
  if (digits == "0") {  // 0e-40000 = 0e-32767
    return sign + "0e" + std::to_string(std::clamp<std::int64_t>(exponent, -kJsonMaxExponent, kJsonMaxExponent));
  }
  const auto digitCount = static_cast<std::int64_t>(digits.size());
  if (exponent > 0) {  // 15e32768 = 150e32767
    const std::int64_t zeros = exponent - kJsonMaxExponent;
    if (zeros > kMostAddedZeros) return std::nullopt;
    return sign + digits + std::string(static_cast<std::size_t>(zeros), '0') + "e" + std::to_string(kJsonMaxExponent);
  }
  const std::int64_t fractionDigits = -exponent - kJsonMaxExponent;
  const std::string readableExponent = "e-" + std::to_string(kJsonMaxExponent);
  if (fractionDigits < digitCount) {  // 15e-32768 = 1.5e-32767
    const auto point = static_cast<std::size_t>(digitCount - fractionDigits);
    return sign + digits.substr(0, point) + "." + digits.substr(point) + readableExponent;
  }
  const std::int64_t zeros = fractionDigits - digitCount;  // 1e-32772 = 0.00001e-32767
  if (zeros > kMostAddedZeros) return std::nullopt;
  return sign + "0." + std::string(static_cast<std::size_t>(zeros), '0') + digits + readableExponent;
}

const char* separatorBefore(State state) {
  switch (state) {
    case State::objectKey:
    case State::arrayValue:
      return ",";
    case State::objectValue:
      return ":";
    default:
      return "";
  }
}

State stateAfterValue(State state) {
  switch (state) {
    case State::start:
      return State::complete;
    case State::objectStart:
    case State::objectKey:
      return State::objectValue;
    case State::objectValue:
      return State::objectKey;
    case State::arrayStart:
      return State::arrayValue;
    default:
      return state;
  }
}

void appendEscaped(std::string& out, std::string_view text) {
  for (char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u00%02x", static_cast<unsigned char>(c));
          out += escape;
        } else {
          out += c;
        }
    }
  }
}

}  // namespace

JsonStreamWriter::JsonStreamWriter() {
  cache_.reserve(32);
  stateStack_.reserve(maxDepth_);
}

bool JsonStreamWriter::fail(std::string error) {
  error_ = std::move(error);
  state_ = State::error;
  return false;
}

void JsonStreamWriter::append(std::string_view bytes) {
  if (delegate_ && !bytes.empty()) delegate_->writerAppendBytes(*this, bytes.data(), bytes.size());
}

bool JsonStreamWriter::mayWrite(bool isKeyOrClose) {
  if (state_ == State::error) return false;  // the first failure stands
  if (state_ == State::complete) return fail("Stream is closed");
  if (!isKeyOrClose && (state_ == State::objectStart || state_ == State::objectKey)) {
    return fail("JSON object key must be string");
  }
  return true;
}

bool JsonStreamWriter::beginPiece(bool isKey) {
  if (!mayWrite(isKey)) return false;
  append(separatorBefore(state_));
  return true;
}

void JsonStreamWriter::appendWhitespace(State state) {
  if (!humanReadable_) return;
  if (state == State::objectValue) {
    append(" ");
    return;
  }
  std::string whitespace = "\n";
  whitespace.append(2 * stateStack_.size(), ' ');
  append(whitespace);
}

void JsonStreamWriter::afterValue() { state_ = stateAfterValue(state_); }

bool JsonStreamWriter::openContainer(State opened, char bracket) {
  if (!beginPiece(false)) return false;
  if (!stateStack_.empty()) appendWhitespace(state_);
  stateStack_.push_back(state_);
  state_ = opened;
  if (maxDepth_ != 0 && stateStack_.size() > maxDepth_) return fail("Nested too deep");
  append(std::string_view(&bracket, 1));
  return true;
}

bool JsonStreamWriter::closeContainer(bool isObject, char bracket) {
  if (!mayWrite(true)) return false;
  // Closing anything but the open container, or an object whose last key has no value, would
  // write text that is not JSON.
  bool fits = isObject ? (state_ == State::objectStart || state_ == State::objectKey)
                       : (state_ == State::arrayStart || state_ == State::arrayValue);
  if (!fits) return fail(isObject ? "No object is open to close" : "No array is open to close");
  State closing = state_;
  state_ = stateStack_.back();
  stateStack_.pop_back();
  appendWhitespace(closing);
  append(std::string_view(&bracket, 1));
  afterValue();
  return true;
}

bool JsonStreamWriter::writeObjectOpen() { return openContainer(State::objectStart, '{'); }
bool JsonStreamWriter::writeObjectClose() { return closeContainer(true, '}'); }
bool JsonStreamWriter::writeArrayOpen() { return openContainer(State::arrayStart, '['); }
bool JsonStreamWriter::writeArrayClose() { return closeContainer(false, ']'); }

bool JsonStreamWriter::writeObject(const foundation::Dictionary& dictionary) {
  if (!writeObjectOpen()) return false;
  std::vector<const foundation::Dictionary::Entry*> members;
  members.reserve(dictionary.size());
  for (const auto& entry : dictionary) members.push_back(&entry);
  if (sortKeys_) {
    std::sort(members.begin(), members.end(), [](const auto* a, const auto* b) { return a->first < b->first; });
  }
  for (const auto* member : members) {
    if (!writeString(member->first) || !writeValue(member->second)) return false;
  }
  return writeObjectClose();
}

bool JsonStreamWriter::writeArray(const foundation::Array& array) {
  if (!writeArrayOpen()) return false;
  for (const auto& element : array) {
    if (!writeValue(element)) return false;
  }
  return writeArrayClose();
}

bool JsonStreamWriter::writeValue(const foundation::Value& value) {
  using Kind = foundation::Value::Kind;
  switch (value.kind()) {
    case Kind::Dictionary:
      return writeObject(*value.getDictionary());
    case Kind::Array:
      return writeArray(*value.getArray());
    case Kind::String:
      return writeString(*value.getString());
    case Kind::Int:
    case Kind::UInt:
    case Kind::Double:
    case Kind::Decimal:
      return writeNumber(value);
    case Kind::Bool:
      return writeBool(*value.getBool());
    case Kind::Null:
      return writeNull();
    case Kind::Object:
      if (auto proxy = value.objectAs<JsonProxy>()) return writeValue(proxy->proxyForJson());
      if (const auto* object = value.getObject(); object && *object) {
        return fail("JSON serialisation not supported for " + className(**object));
      }
      return fail("JSON serialisation not supported for object");
    default:
      return fail(std::string("JSON serialisation not supported for ") + value.kindName());
  }
}

const std::string& JsonStreamWriter::encodedString(std::string_view text) {
  auto found = cache_.find(std::string(text));
  if (found != cache_.end()) return found->second;
  std::string encoded;
  encoded.reserve(text.size() + text.size() / 10 + 2);
  encoded += '"';
  appendEscaped(encoded, text);
  encoded += '"';
  return cache_.emplace(std::string(text), std::move(encoded)).first->second;
}

bool JsonStreamWriter::writeString(std::string_view text) {
  if (!mayWrite(true)) return false;
  if (!foundation::isValidUtf8(text)) return fail("String is not valid UTF-8");
  append(separatorBefore(state_));
  appendWhitespace(state_);
  append(encodedString(text));
  afterValue();
  return true;
}

bool JsonStreamWriter::writeNumber(const foundation::Value& number) {
  if (const auto* decimal = number.getDecimal()) {
    // Made from text that is not a number, it would otherwise write that text as it stands.
    if (decimal->isNotANumber()) return fail("NaN is not a valid number in JSON");
    auto text = readableDecimalText(decimal->text());
    if (!text) return fail("Number " + decimal->text() + " has an exponent too far out of range to write in JSON");
    if (!beginPiece(false)) return false;
    appendWhitespace(state_);
    append(*text);
    afterValue();
    return true;
  }
  char text[32];
  using Kind = foundation::Value::Kind;
  std::to_chars_result end{};
  switch (number.kind()) {
    case Kind::Int:
      end = std::to_chars(text, text + sizeof text, number.toInt64());
      break;
    case Kind::UInt:
      end = std::to_chars(text, text + sizeof text, number.toUInt64());
      break;
    case Kind::Double: {
      double value = number.toDouble();
      if (std::isnan(value)) return fail("NaN is not a valid number in JSON");
      if (std::isinf(value)) {
        return fail(value > 0 ? "+Infinity is not a valid number in JSON" : "-Infinity is not a valid number in JSON");
      }
      // Never the C library's printf: a locale with a decimal comma would write text that is not JSON.
      end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 17);
      // "-0" would read back as the integer 0 and lose its sign; "-0.0" reads back as itself.
      if (value == 0 && std::signbit(value)) end.ptr = std::copy_n(".0", 2, end.ptr);
      break;
    }
    default:
      return fail(std::string("JSON serialisation not supported for ") + number.kindName());
  }
  if (!beginPiece(false)) return false;
  appendWhitespace(state_);
  append(std::string_view(text, static_cast<std::size_t>(end.ptr - text)));
  afterValue();
  return true;
}

bool JsonStreamWriter::writeBool(bool value) {
  if (!beginPiece(false)) return false;
  appendWhitespace(state_);
  append(value ? "true" : "false");
  afterValue();
  return true;
}

bool JsonStreamWriter::writeNull() {
  if (!beginPiece(false)) return false;
  appendWhitespace(state_);
  append("null");
  afterValue();
  return true;
}

void JsonStreamWriterAccumulator::writerAppendBytes(JsonStreamWriter&, const char* bytes, std::size_t length) {
  data_.append(bytes, length);
}

}  // namespace framework
