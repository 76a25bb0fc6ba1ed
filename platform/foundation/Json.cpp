#include "platform/foundation/Json.h"

#include <boost/json/basic_parser_impl.hpp>
#include <boost/json/serialize.hpp>

#include <charconv>
#include <cmath>
#include <iterator>
#include <optional>

#include "platform/foundation/Utf8.h"

namespace foundation {

namespace {

namespace bj = boost::json;

// Builds a Value straight from the parser's events, so that no intermediate tree is made.
// Values wait on one stack (keys on another) until their container closes; the parser then
// tells how many there are, so each array and dictionary is made at its exact size at once.
class ValueBuilder {
 public:
  static constexpr std::size_t max_object_size = static_cast<std::size_t>(-1);
  static constexpr std::size_t max_array_size = static_cast<std::size_t>(-1);
  static constexpr std::size_t max_key_size = static_cast<std::size_t>(-1);
  static constexpr std::size_t max_string_size = static_cast<std::size_t>(-1);

  bool on_document_begin(bj::error_code&) { return true; }
  bool on_document_end(bj::error_code&) { return true; }
  bool on_array_begin(bj::error_code&) { return true; }
  bool on_array_end(std::size_t count, bj::error_code&) { return closeArray(count); }
  bool on_object_begin(bj::error_code&) { return true; }
  bool on_object_end(std::size_t count, bj::error_code&) { return closeObject(count); }
  bool on_string_part(bj::string_view s, std::size_t, bj::error_code&) { return appendPart(s); }
  bool on_string(bj::string_view s, std::size_t, bj::error_code&) {
    values_.emplace_back(takeText(s));
    return true;
  }
  bool on_key_part(bj::string_view s, std::size_t, bj::error_code&) { return appendPart(s); }
  bool on_key(bj::string_view s, std::size_t, bj::error_code&) {
    keys_.push_back(takeText(s));
    return true;
  }
  bool on_number_part(bj::string_view s, bj::error_code&) {
    numberText_.append(s.data(), s.size());
    return true;
  }
  bool on_int64(std::int64_t i, bj::string_view, bj::error_code&) { return addNumber(Value(i)); }
  bool on_uint64(std::uint64_t u, bj::string_view, bj::error_code&) { return addNumber(Value(u)); }
  bool on_double(double d, bj::string_view s, bj::error_code& ec) {
    numberText_.append(s.data(), s.size());
    // Judged by the text, not by the parser's value: the parser scales by the exponent first, so
    // that a zero with a large exponent ("0e400") comes out infinite, though it is zero.
    const double value = exactDouble(numberText_, d);
    if (!std::isfinite(value)) {
      numberOutOfRange_ = true;
      ec = bj::error::exponent_overflow;
      return false;
    }
    return addNumber(Value(value));
  }
  bool on_bool(bool b, bj::error_code&) { return add(Value(b)); }
  bool on_null(bj::error_code&) { return add(Value()); }
  bool on_comment_part(bj::string_view, bj::error_code&) { return true; }
  bool on_comment(bj::string_view, bj::error_code&) { return true; }

  bool numberOutOfRange() const { return numberOutOfRange_; }
  Value takeResult() { return values_.empty() ? Value() : std::move(values_.back()); }

 private:
  // The parser's own conversion can be off in the last bit; the text gives the nearest double.
  static double exactDouble(const std::string& text, double approximate) {
    double exact = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), exact);
    return ec == std::errc() && end == text.data() + text.size() ? exact : approximate;
  }
  bool addNumber(Value number) {
    numberText_.clear();
    return add(std::move(number));
  }
  bool add(Value value) {
    values_.push_back(std::move(value));
    return true;
  }
  bool appendPart(bj::string_view s) {
    part_.append(s.data(), s.size());
    return true;
  }
  // The whole text of a string or key whose last piece is `last`.
  std::string takeText(bj::string_view last) {
    if (part_.empty()) return std::string(last.data(), last.size());
    part_.append(last.data(), last.size());
    std::string text = std::move(part_);
    part_.clear();
    return text;
  }
  bool closeArray(std::size_t count) {
    Array array;
    array.reserve(count);
    const auto first = values_.end() - static_cast<std::ptrdiff_t>(count);
    std::move(first, values_.end(), std::back_inserter(array));
    values_.erase(first, values_.end());
    return add(Value(std::move(array)));
  }
  bool closeObject(std::size_t count) {
    std::vector<Dictionary::Entry> entries;
    entries.reserve(count);
    const auto firstValue = values_.end() - static_cast<std::ptrdiff_t>(count);
    const auto firstKey = keys_.end() - static_cast<std::ptrdiff_t>(count);
    for (std::size_t i = 0; i < count; ++i) entries.emplace_back(std::move(firstKey[i]), std::move(firstValue[i]));
    values_.erase(firstValue, values_.end());
    keys_.erase(firstKey, keys_.end());
    return add(Value(Dictionary(std::move(entries))));
  }

  std::vector<Value> values_;
  std::vector<std::string> keys_;
  std::string part_;
  std::string numberText_;  // the text of a number split across input pieces
  bool numberOutOfRange_ = false;
};

// "line L, column C (byte B)" of a byte offset, for people reading the error.
std::string positionText(std::string_view text, std::size_t offset) {
  std::size_t line = 1;
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      lineStart = i + 1;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(offset - lineStart + 1) + " (byte " +
         std::to_string(offset) + ")";
}

ErrorPtr parseError(const bj::error_code& ec, bool numberOutOfRange, std::string_view text, std::size_t offset) {
  std::string where = positionText(text, offset);
  if (numberOutOfRange)
    return makeError(kJSONErrorDomain, kJSONNumberRangeError, "The JSON number at " + where + " is too large.");
  if (ec == bj::error::too_deep)
    return makeError(
        kJSONErrorDomain, kJSONTooDeepError,
        "The JSON text nests deeper than " + std::to_string(Json::kMaxDepth) + " levels at " + where + ".");
  return makeError(kJSONErrorDomain, kJSONMalformedError,
                   "The JSON text is not valid at " + where + ": " + ec.message() + ".");
}

class Writer {
 public:
  ErrorPtr write(const Value& value) {
    if (path_.size() > Json::kMaxDepth)
      return refuse("nests deeper than " + std::to_string(Json::kMaxDepth) + " levels");
    switch (value.kind()) {
      case Value::Kind::Null:
        out_ += "null";
        return nullptr;
      case Value::Kind::Bool:
        out_ += *value.getBool() ? "true" : "false";
        return nullptr;
      case Value::Kind::Int:
      case Value::Kind::UInt:
        out_ += value.toString();
        return nullptr;
      case Value::Kind::Double:
        return writeDouble(value.toDouble());
      case Value::Kind::Decimal:
        if (value.getDecimal()->isNotANumber()) return refuse("is a decimal number that is not a number");
        out_ += value.getDecimal()->text();
        return nullptr;
      case Value::Kind::String:
        return writeString(*value.getString());
      case Value::Kind::Array:
        return writeArray(*value.getArray());
      case Value::Kind::Dictionary:
        return writeDictionary(*value.getDictionary());
      case Value::Kind::Bytes:
        return refuse("is bytes, which JSON has no form for");
      case Value::Kind::Date:
        return refuse("is a date, which JSON has no form for");
      case Value::Kind::Object:
        return refuse("is an object, which JSON has no form for");
    }
    return refuse("is of an unknown kind");
  }

  std::string take() { return std::move(out_); }

 private:
  ErrorPtr writeDouble(double d) {
    if (!std::isfinite(d)) return refuse("is a number that is not finite");
    if (d == 0 && std::signbit(d)) {  // "-0" would read back as the integer 0
      out_ += "-0.0";
      return nullptr;
    }
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, d);
    out_.append(buffer, end);
    return nullptr;
  }

  ErrorPtr writeString(const std::string& text) {
    if (!isValidUtf8(text)) return refuse("is text that is not valid UTF-8");
    out_ += bj::serialize(bj::string_view(text.data(), text.size()));
    return nullptr;
  }

  ErrorPtr writeArray(const Array& array) {
    out_ += '[';
    for (std::size_t i = 0; i < array.size(); ++i) {
      if (i > 0) out_ += ',';
      path_.push_back("[" + std::to_string(i) + "]");
      if (ErrorPtr error = write(array[i])) return error;
      path_.pop_back();
    }
    out_ += ']';
    return nullptr;
  }

  ErrorPtr writeDictionary(const Dictionary& dictionary) {
    out_ += '{';
    bool first = true;
    for (const auto& [key, value] : dictionary) {
      if (!first) out_ += ',';
      first = false;
      if (!isValidUtf8(key)) return refuse("has a key that is not valid UTF-8");
      path_.push_back("." + key);
      out_ += bj::serialize(bj::string_view(key.data(), key.size()));
      out_ += ':';
      if (ErrorPtr error = write(value)) return error;
      path_.pop_back();
    }
    out_ += '}';
    return nullptr;
  }

  ErrorPtr refuse(const std::string& why) const {
    std::string where = "$";
    for (const auto& step : path_) where += step;
    return makeError(kJSONErrorDomain, kJSONUnwritableError,
                     "Cannot write JSON: the value at " + where + " " + why + ".");
  }

  std::string out_;
  std::vector<std::string> path_;
};

}  // namespace

Result<Value> Json::parse(std::string_view text) {
  bj::parse_options options;
  options.max_depth = kMaxDepth;
  bj::basic_parser<ValueBuilder> parser(options);
  bj::error_code ec;
  std::size_t consumed = parser.write_some(false, text.data(), text.size(), ec);
  if (!ec && consumed < text.size()) ec = bj::error::extra_data;
  if (ec) return parseError(ec, parser.handler().numberOutOfRange(), text, consumed);
  return parser.handler().takeResult();
}

Result<Value> Json::parse(const Bytes& data) {
  return parse(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
}

Result<std::string> Json::serialize(const Value& value) {
  Writer writer;
  if (ErrorPtr error = writer.write(value)) return error;
  return writer.take();
}

}  // namespace foundation
