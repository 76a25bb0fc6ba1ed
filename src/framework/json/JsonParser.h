#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace framework {

inline constexpr const char* kJsonParserErrorDomain = "JsonParserErrorDomain";

// Parses a whole JSON document (an array or an object) into a value. Numbers become unsigned or
// signed 64-bit integers, or foundation::DecimalNumber values that keep their digits exactly.
// Not thread-safe.
class JsonParser {
 public:
  // nullopt (no input) or a malformed document: nullopt, with the reason in error().
  std::optional<foundation::Value> objectWithData(std::optional<std::string_view> data);
  std::optional<foundation::Value> objectWithString(std::optional<std::string_view> text);
  // The error as an error of kJsonParserErrorDomain, code 0.
  foundation::Result<foundation::Value> objectWithStringOrError(std::string_view text);

  // How many containers may be open at once (32); with 0 every document fails.
  std::uint64_t maxDepth() const { return maxDepth_; }
  void setMaxDepth(std::uint64_t depth) { maxDepth_ = depth; }
  const std::string& error() const { return error_; }

 private:
  std::uint64_t maxDepth_ = 32;
  std::string error_;
};

namespace JsonParsing {
// A fresh parser's reading of the text.
std::optional<foundation::Value> JSONValue(std::string_view text);
}  // namespace JsonParsing

}  // namespace framework
