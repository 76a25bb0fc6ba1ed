#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace foundation {

inline constexpr const char* kJSONErrorDomain = "JSONErrorDomain";
// Codes of kJSONErrorDomain.
inline constexpr long long kJSONMalformedError = 1;    // not JSON, not UTF-8, truncated, or trailing data
inline constexpr long long kJSONTooDeepError = 2;      // nested deeper than Json::kMaxDepth
inline constexpr long long kJSONNumberRangeError = 3;  // a number too large for a double
inline constexpr long long kJSONUnwritableError = 4;   // a value that JSON cannot hold

// The platform's JSON reader and writer, over foundation::Value.
//
// Reading accepts any JSON text, top-level fragments included ("12", "\"text\"", "true"):
// integers become Int (UInt above the signed range), other numbers Double, objects become
// Dictionary in the order of the text (a repeated key keeps its first place and its last value),
// null becomes Null. Writing is compact and follows each dictionary's own order.
class Json {
 public:
  // Containers nested deeper than this are refused when reading and when writing.
  static constexpr std::size_t kMaxDepth = 512;

  // Any thread. The text must be UTF-8; the error names the line, column and byte offset.
  static Result<Value> parse(std::string_view text);
  static Result<Value> parse(const Bytes& data);

  // Any thread. Writes a decimal number as its own text. Refuses NaN and infinities (and a
  // decimal number that is not a number), bytes, dates, objects and invalid UTF-8 text, naming
  // where in the value the offending item sits.
  static Result<std::string> serialize(const Value& value);
};

}  // namespace foundation
