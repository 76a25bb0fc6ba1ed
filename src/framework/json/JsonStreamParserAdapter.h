#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/foundation/Value.h"
#include "src/framework/json/JsonStreamParser.h"

namespace framework {

// Receives the finished values that the adapter builds.
class JsonStreamParserAdapterDelegate {
 public:
  virtual ~JsonStreamParserAdapterDelegate() = default;
  virtual void parserFoundArray(JsonStreamParser& parser, foundation::Array array) = 0;
  // A dictionary, or a value found at a skipped level.
  virtual void parserFoundObject(JsonStreamParser& parser, foundation::Value value) = 0;
};

// Builds arrays and dictionaries from the stream parser's events and hands each value that is
// not inside a kept container to its delegate. With levelsToSkip 1, the members of the
// outer-most container are handed on one by one as they finish. A repeated key keeps its last
// value. Not thread-safe.
class JsonStreamParserAdapter : public JsonStreamParserDelegate {
 public:
  JsonStreamParserAdapter();

  // Not owned.
  void setDelegate(JsonStreamParserAdapterDelegate* delegate) { delegate_ = delegate; }
  std::uint64_t levelsToSkip() const { return levelsToSkip_; }
  void setLevelsToSkip(std::uint64_t levels) { levelsToSkip_ = levels; }

  void parserFoundObjectStart(JsonStreamParser& parser) override;
  void parserFoundObjectKey(JsonStreamParser& parser, std::string key) override;
  void parserFoundObjectEnd(JsonStreamParser& parser) override;
  void parserFoundArrayStart(JsonStreamParser& parser) override;
  void parserFoundArrayEnd(JsonStreamParser& parser) override;
  void parserFoundBoolean(JsonStreamParser& parser, bool value) override;
  void parserFoundNull(JsonStreamParser& parser) override;
  void parserFoundNumber(JsonStreamParser& parser, foundation::Value number) override;
  void parserFoundString(JsonStreamParser& parser, std::string text) override;

 private:
  // An open container: an array, or a dictionary's entries in the order read.
  struct Container {
    bool isArray = false;
    foundation::Array array;
    std::vector<foundation::Dictionary::Entry> entries;
  };

  void containerStarted(bool isArray);
  void containerEnded(JsonStreamParser& parser);
  void addValue(JsonStreamParser& parser, foundation::Value&& value);

  std::uint64_t depth_ = 0;
  std::vector<std::string> keyStack_;
  std::vector<Container> stack_;  // the first openCount_ are open; the rest keep their room
  std::size_t openCount_ = 0;
  JsonStreamParserAdapterDelegate* delegate_ = nullptr;
  std::uint64_t levelsToSkip_ = 0;
};

// Keeps the one finished top-level value.
class JsonStreamParserAccumulator : public JsonStreamParserAdapterDelegate {
 public:
  void parserFoundArray(JsonStreamParser& parser, foundation::Array array) override;
  void parserFoundObject(JsonStreamParser& parser, foundation::Value value) override;

  foundation::Value& value() { return value_; }

 private:
  foundation::Value value_;
};

}  // namespace framework
