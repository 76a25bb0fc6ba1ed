#include "src/framework/json/JsonStreamParserState.h"

namespace framework {
namespace {

using State = JsonStreamParserState;

bool isValueToken(JsonToken token) {
  switch (token) {
    case JsonToken::arrayStart:
    case JsonToken::objectStart:
    case JsonToken::number:
    case JsonToken::string:
    case JsonToken::trueValue:
    case JsonToken::falseValue:
    case JsonToken::null:
      return true;
    default:
      return false;
  }
}

bool isContainerEnd(JsonToken token) { return token == JsonToken::arrayEnd || token == JsonToken::objectEnd; }

}  // namespace

const char* jsonStateName(JsonStreamParserState state) {
  switch (state) {
    case State::start:
      return "before outer-most array or object";
    case State::complete:
      return "after outer-most array or object";
    case State::error:
      return "in error";
    case State::objectStart:
      return "at beginning of object";
    case State::objectGotKey:
      return "after object key";
    case State::objectSeparator:
      return "as object value";
    case State::objectGotValue:
      return "after object value";
    case State::objectNeedKey:
      return "in place of object key";
    case State::arrayStart:
      return "at array start";
    case State::arrayGotValue:
      return "after array value";
    case State::arrayNeedValue:
      return "as array value";
  }
  return "<aaiie!>";
}

bool stateAcceptsToken(JsonStreamParserState state, JsonToken token) {
  switch (state) {
    case State::start:
      return token == JsonToken::arrayStart || token == JsonToken::objectStart;
    case State::objectStart:
      return token == JsonToken::objectEnd || token == JsonToken::string;
    case State::objectGotKey:
      return token == JsonToken::keyValueSeparator;
    case State::objectSeparator:
    case State::arrayNeedValue:
      return isValueToken(token);
    case State::objectGotValue:
      return token == JsonToken::objectEnd || token == JsonToken::valueSeparator;
    case State::objectNeedKey:
      return token == JsonToken::string;
    case State::arrayStart:
      return token == JsonToken::arrayEnd || isValueToken(token);
    case State::arrayGotValue:
      return token == JsonToken::arrayEnd || token == JsonToken::valueSeparator;
    case State::complete:
    case State::error:
      return false;
  }
  return false;
}

bool stateNeedsKey(JsonStreamParserState state) { return state == State::objectStart || state == State::objectNeedKey; }

JsonStreamParserState stateAfterToken(JsonStreamParserState state, JsonToken token, bool multipleDocuments) {
  switch (state) {
    case State::start:
      if (isContainerEnd(token)) return multipleDocuments ? State::start : State::complete;
      return State::error;
    case State::objectStart:
    case State::objectNeedKey:
      return State::objectGotKey;
    case State::objectGotKey:
      return State::objectSeparator;
    case State::objectSeparator:
      return State::objectGotValue;
    case State::objectGotValue:
      return token == JsonToken::valueSeparator ? State::objectNeedKey : state;
    case State::arrayStart:
    case State::arrayNeedValue:
      return State::arrayGotValue;
    case State::arrayGotValue:
      return token == JsonToken::valueSeparator ? State::arrayNeedValue : state;
    case State::complete:
    case State::error:
      return state;
  }
  return state;
}

}  // namespace framework
