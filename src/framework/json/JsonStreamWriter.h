#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/foundation/Value.h"

namespace framework {

class JsonStreamWriter;

// Receives every run of written bytes, in order.
class JsonStreamWriterDelegate {
 public:
  virtual ~JsonStreamWriterDelegate() = default;
  virtual void writerAppendBytes(JsonStreamWriter& writer, const char* bytes, std::size_t length) = 0;
};

// An object that the writers write as another value (its JSON form).
class JsonProxy {
 public:
  virtual ~JsonProxy() = default;
  virtual foundation::Value proxyForJson() const = 0;
};

// The writer's grammatical positions.
enum class JsonStreamWriterState {
  start,
  complete,
  error,
  objectStart,
  objectKey,
  objectValue,
  arrayStart,
  arrayValue
};

// Writes JSON piece by piece to its delegate, checking the order of the pieces. Every write
// answers false with error() set on failure; after a failure the writer writes nothing more.
// Not thread-safe.
class JsonStreamWriter {
 public:
  JsonStreamWriter();

  bool writeObject(const foundation::Dictionary& dictionary);
  bool writeArray(const foundation::Array& array);
  bool writeObjectOpen();
  bool writeObjectClose();
  bool writeArrayOpen();
  bool writeArrayClose();
  bool writeNull();
  bool writeBool(bool value);
  bool writeValue(const foundation::Value& value);
  // Refuses text that is not valid UTF-8.
  bool writeString(std::string_view text);
  // An integer, a double (not infinite, not NaN) or a decimal number (not NaN), the decimal
  // number as its own text.
  bool writeNumber(const foundation::Value& number);

  // Each member on its own line, indented by two spaces per level, ": " after keys.
  bool humanReadable() const { return humanReadable_; }
  void setHumanReadable(bool readable) { humanReadable_ = readable; }
  // Object members by key (byte order) instead of the dictionary's order.
  bool sortKeys() const { return sortKeys_; }
  void setSortKeys(bool sort) { sortKeys_ = sort; }
  // How many containers may be open at once (32); 0 sets no limit.
  std::uint64_t maxDepth() const { return maxDepth_; }
  void setMaxDepth(std::uint64_t depth) { maxDepth_ = depth; }
  // Not owned.
  void setDelegate(JsonStreamWriterDelegate* delegate) { delegate_ = delegate; }
  const std::string& error() const { return error_; }
  JsonStreamWriterState state() const { return state_; }

 private:
  // Whether a piece may be written now (keys and closing brackets may stand where a key is due).
  bool mayWrite(bool isKeyOrClose);
  // mayWrite, then the separator before the piece.
  bool beginPiece(bool isKey);
  void appendWhitespace(JsonStreamWriterState state);
  bool openContainer(JsonStreamWriterState opened, char bracket);
  bool closeContainer(bool isObject, char bracket);
  void append(std::string_view bytes);
  void afterValue();
  bool fail(std::string error);
  const std::string& encodedString(std::string_view text);

  std::unordered_map<std::string, std::string> cache_;
  bool humanReadable_ = false;
  bool sortKeys_ = false;
  std::string error_;
  std::uint64_t maxDepth_ = 32;
  JsonStreamWriterState state_ = JsonStreamWriterState::start;
  std::vector<JsonStreamWriterState> stateStack_;
  JsonStreamWriterDelegate* delegate_ = nullptr;
};

// Gathers the written bytes.
class JsonStreamWriterAccumulator : public JsonStreamWriterDelegate {
 public:
  JsonStreamWriterAccumulator() { data_.reserve(8096); }
  void writerAppendBytes(JsonStreamWriter& writer, const char* bytes, std::size_t length) override;
  std::string& data() { return data_; }

 private:
  std::string data_;
};

}  // namespace framework
