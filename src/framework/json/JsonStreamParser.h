#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/Value.h"
#include "src/framework/json/JsonStreamParserState.h"
#include "src/framework/json/JsonTokeniser.h"

namespace framework {

class JsonStreamParser;

// Told of each piece of the document as it is parsed, in document order.
class JsonStreamParserDelegate {
 public:
  virtual ~JsonStreamParserDelegate() = default;
  virtual void parserFoundObjectStart(JsonStreamParser& parser) = 0;
  virtual void parserFoundObjectKey(JsonStreamParser& parser, std::string key) = 0;
  virtual void parserFoundObjectEnd(JsonStreamParser& parser) = 0;
  virtual void parserFoundArrayStart(JsonStreamParser& parser) = 0;
  virtual void parserFoundArrayEnd(JsonStreamParser& parser) = 0;
  virtual void parserFoundBoolean(JsonStreamParser& parser, bool value) = 0;
  virtual void parserFoundNull(JsonStreamParser& parser) = 0;
  // An unsigned or signed 64-bit integer, or a foundation::DecimalNumber.
  virtual void parserFoundNumber(JsonStreamParser& parser, foundation::Value number) = 0;
  virtual void parserFoundString(JsonStreamParser& parser, std::string text) = 0;
};

enum class JsonStreamParserStatus { complete = 0, waitingForData = 1, error = 2 };

// Parses JSON text fed in pieces of any size and reports it to its delegate as it goes.
// Once in error it stays there. Not thread-safe.
class JsonStreamParser {
 public:
  JsonStreamParser();

  // Parses what the bytes complete. Waiting for data means the document is not finished yet.
  JsonStreamParserStatus parse(std::string_view bytes);
  // Tells the parser that no more input follows, and gives the final status. A document followed
  // by more than white space is then not complete: a number there is refused like any token after
  // the document, and a token cut short leaves the input waiting for data. Before the end of a
  // document nothing changes, so a bare number at the end is waiting for data as it always was.
  JsonStreamParserStatus finish();

  // Off by default: a second document after the first is then an error.
  bool supportMultipleDocuments() const { return supportMultipleDocuments_; }
  void setSupportMultipleDocuments(bool support) { supportMultipleDocuments_ = support; }
  // How many containers may be open at once (32). With 0 no container may open, so every
  // document fails: a document is always an array or an object.
  std::uint64_t maxDepth() const { return maxDepth_; }
  void setMaxDepth(std::uint64_t depth) { maxDepth_ = depth; }
  // Not owned.
  JsonStreamParserDelegate* delegate() const { return delegate_; }
  void setDelegate(JsonStreamParserDelegate* delegate) { delegate_ = delegate; }
  const std::string& error() const { return error_; }
  JsonStreamParserState state() const { return state_; }
  const std::vector<JsonStreamParserState>& stateStack() const { return stateStack_; }

 private:
  // Parses the tokens the input holds so far.
  JsonStreamParserStatus parseAvailable();
  // The status when the input so far holds no further token.
  JsonStreamParserStatus statusAtEndOfInput() const;
  // Handles one token; false when the parser went into error.
  bool handleToken(JsonToken token);
  void openContainer(JsonToken token);
  void closeContainer(JsonToken token);
  void reportValue(JsonToken token);
  void failWith(std::string error);

  JsonTokeniser tokeniser_;
  bool supportMultipleDocuments_ = false;
  std::string error_;
  JsonStreamParserDelegate* delegate_ = nullptr;
  std::uint64_t maxDepth_ = 32;
  JsonStreamParserState state_ = JsonStreamParserState::start;
  std::vector<JsonStreamParserState> stateStack_;
};

}  // namespace framework
