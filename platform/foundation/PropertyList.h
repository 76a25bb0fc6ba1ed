#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace foundation {

inline constexpr const char* kPropertyListErrorDomain = "PropertyListErrorDomain";
// Codes of kPropertyListErrorDomain.
inline constexpr long long kPropertyListMalformedError = 1;   // not XML, not a property list, bad content
inline constexpr long long kPropertyListTooDeepError = 2;     // nested deeper than PropertyList::kMaxDepth
inline constexpr long long kPropertyListUnwritableError = 3;  // a value a property list cannot hold

// XML property lists over foundation::Value: <dict> (Dictionary, in file order), <array>,
// <string>, <integer> (Int, or UInt above the signed range), <real> (Double), <true/> and
// <false/> (Bool), <data> (Bytes, base64) and <date> (Date, ISO 8601 in UTC, for example
// "2024-05-01T08:30:00Z"; fractions of a second are kept when present).
class PropertyList {
 public:
  // Containers nested deeper than this are refused when reading and when writing.
  static constexpr std::size_t kMaxDepth = 512;

  // Any thread. A damaged or foreign document gives an error that says what is wrong and where.
  static Result<Value> parse(std::string_view xml);
  static Result<Value> parse(const Bytes& data);

  // Any thread. The whole document, UTF-8, indented with tabs. Refuses null, objects, dates
  // outside the years 1 to 9999 and text that is not valid UTF-8.
  static Result<std::string> serialize(const Value& value);
};

}  // namespace foundation
