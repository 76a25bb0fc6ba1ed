#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace framework {

inline constexpr const char* kJsonWriterErrorDomain = "JsonWriterErrorDomain";

// Writes a dictionary or an array (or a JsonProxy standing for one) as JSON text. Not
// thread-safe.
class JsonWriter {
 public:
  // nullopt on failure, with the reason in error().
  std::optional<foundation::Bytes> dataWithObject(const foundation::Value& value);
  std::optional<std::string> stringWithObject(const foundation::Value& value);
  // The error as an error of kJsonWriterErrorDomain, code 0.
  foundation::Result<std::string> stringWithObjectOrError(const foundation::Value& value);

  bool sortKeys() const { return sortKeys_; }
  void setSortKeys(bool sort) { sortKeys_ = sort; }
  bool humanReadable() const { return humanReadable_; }
  void setHumanReadable(bool readable) { humanReadable_ = readable; }
  // How many containers may be open at once (32); 0 sets no limit.
  std::uint64_t maxDepth() const { return maxDepth_; }
  void setMaxDepth(std::uint64_t depth) { maxDepth_ = depth; }
  const std::string& error() const { return error_; }

 private:
  bool sortKeys_ = false;
  bool humanReadable_ = false;
  std::string error_;
  std::uint64_t maxDepth_ = 32;
};

namespace JsonWriting {
// A fresh writer's text for the value.
std::optional<std::string> JSONRepresentation(const foundation::Value& value);
}  // namespace JsonWriting

}  // namespace framework
