#include "src/framework/json/JsonStreamParser.h"

namespace framework {

JsonStreamParser::JsonStreamParser() { stateStack_.reserve(maxDepth_); }

JsonStreamParserStatus JsonStreamParser::parse(std::string_view bytes) {
  tokeniser_.appendData(bytes);
  JsonStreamParserStatus status = parseAvailable();
  tokeniser_.keepUnread();  // the caller's bytes are only borrowed for this call
  return status;
}

JsonStreamParserStatus JsonStreamParser::parseAvailable() {
  if (state_ == JsonStreamParserState::error) return JsonStreamParserStatus::error;
  while (true) {
    JsonToken token = tokeniser_.getToken();
    if (token == JsonToken::error) {
      failWith(tokeniser_.error());
      return JsonStreamParserStatus::error;
    }
    if (token == JsonToken::eof) return statusAtEndOfInput();
    if (!handleToken(token)) return JsonStreamParserStatus::error;
  }
}

JsonStreamParserStatus JsonStreamParser::finish() {
  if (state_ == JsonStreamParserState::complete) {
    if (tokeniser_.endNumberAtEndOfInput() == JsonToken::number) {
      handleToken(JsonToken::number);  // refused: nothing may follow the document
      return JsonStreamParserStatus::error;
    }
    if (tokeniser_.hasUnreadInput()) return JsonStreamParserStatus::waitingForData;
  }
  return statusAtEndOfInput();
}

JsonStreamParserStatus JsonStreamParser::statusAtEndOfInput() const {
  if (state_ == JsonStreamParserState::complete) return JsonStreamParserStatus::complete;
  if (state_ == JsonStreamParserState::error) return JsonStreamParserStatus::error;
  return JsonStreamParserStatus::waitingForData;
}

bool JsonStreamParser::handleToken(JsonToken token) {
  if (!stateAcceptsToken(state_, token)) {
    failWith(std::string("Token '") + jsonTokenName(token) + "' not expected " + jsonStateName(state_));
    return false;
  }
  switch (token) {
    case JsonToken::arrayStart:
    case JsonToken::objectStart:
      openContainer(token);
      break;
    case JsonToken::arrayEnd:
    case JsonToken::objectEnd:
      closeContainer(token);
      break;
    case JsonToken::valueSeparator:
    case JsonToken::keyValueSeparator:
      state_ = stateAfterToken(state_, token, supportMultipleDocuments_);
      break;
    default:
      reportValue(token);
      state_ = stateAfterToken(state_, token, supportMultipleDocuments_);
  }
  return state_ != JsonStreamParserState::error;
}

void JsonStreamParser::openContainer(JsonToken token) {
  if (stateStack_.size() >= maxDepth_) {
    failWith("Input depth exceeds max depth of " + std::to_string(maxDepth_));
    return;
  }
  const bool isArray = token == JsonToken::arrayStart;
  if (delegate_) isArray ? delegate_->parserFoundArrayStart(*this) : delegate_->parserFoundObjectStart(*this);
  stateStack_.push_back(state_);
  state_ = isArray ? JsonStreamParserState::arrayStart : JsonStreamParserState::objectStart;
}

void JsonStreamParser::closeContainer(JsonToken token) {
  state_ = stateStack_.back();
  stateStack_.pop_back();
  state_ = stateAfterToken(state_, token, supportMultipleDocuments_);
  if (!delegate_) return;
  token == JsonToken::arrayEnd ? delegate_->parserFoundArrayEnd(*this) : delegate_->parserFoundObjectEnd(*this);
}

void JsonStreamParser::reportValue(JsonToken token) {
  if (!delegate_) return;
  switch (token) {
    case JsonToken::number:
      delegate_->parserFoundNumber(*this, std::move(tokeniser_.number()));
      break;
    case JsonToken::string:
      if (stateNeedsKey(state_)) {
        delegate_->parserFoundObjectKey(*this, std::move(tokeniser_.string()));
      } else {
        delegate_->parserFoundString(*this, std::move(tokeniser_.string()));
      }
      break;
    case JsonToken::trueValue:
    case JsonToken::falseValue:
      delegate_->parserFoundBoolean(*this, token == JsonToken::trueValue);
      break;
    default:
      delegate_->parserFoundNull(*this);
  }
}

void JsonStreamParser::failWith(std::string error) {
  error_ = std::move(error);
  state_ = JsonStreamParserState::error;
}

}  // namespace framework
