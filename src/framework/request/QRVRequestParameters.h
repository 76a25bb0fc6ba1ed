#pragma once

#include <string>
#include <string_view>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace framework {

// How a data request's parameters become the text of a GET query or the fields of a form.
class QRVRequestParameters {
 public:
  // Any thread. The static parameters with the caller's laid over them: on a collision the
  // caller's value wins and keeps the static one's place.
  static foundation::Dictionary merged(const foundation::Dictionary& staticParams,
                                       const foundation::Dictionary& callerParams);

  // Any thread. The text a value is sent as: text as it is, numbers in decimal, booleans as "1"
  // or "0". Other kinds have no text: an error naming the key and the kind.
  static foundation::Result<std::string> textOf(std::string_view key, const foundation::Value& value);

  // Any thread. "key=value" pairs joined by "&" in the dictionary's order, both sides
  // percent-escaped; an error for a value without text.
  static foundation::Result<std::string> queryString(const foundation::Dictionary& parameters);

  // Any thread. The URL with the query added after exactly one "?" (or after the "&" of a query
  // it already has).
  static std::string appendingQuery(const std::string& url, const std::string& query);

  // Any thread. The error for a parameter that cannot be sent.
  static foundation::ErrorPtr unsendableParameter(std::string_view key, const foundation::Value& value);
};

}  // namespace framework
