#pragma once

#include "src/framework/json/JsonTokeniser.h"

namespace framework {

// The stream parser's grammatical positions; the parser keeps one and a stack of saved ones.
enum class JsonStreamParserState {
  start,
  complete,
  error,
  objectStart,
  objectGotKey,
  objectSeparator,
  objectGotValue,
  objectNeedKey,
  arrayStart,
  arrayGotValue,
  arrayNeedValue,
};

// Its name in error messages ("before outer-most array or object", "as array value", ...).
const char* jsonStateName(JsonStreamParserState state);

// The rest is inline: the parser asks it for every token.
namespace detail {
inline bool isValueToken(JsonToken token) {
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

inline bool isContainerEnd(JsonToken token) { return token == JsonToken::arrayEnd || token == JsonToken::objectEnd; }
}  // namespace detail

inline bool stateAcceptsToken(JsonStreamParserState state, JsonToken token) {
  switch (state) {
    case JsonStreamParserState::start:
      return token == JsonToken::arrayStart || token == JsonToken::objectStart;
    case JsonStreamParserState::objectStart:
      return token == JsonToken::objectEnd || token == JsonToken::string;
    case JsonStreamParserState::objectGotKey:
      return token == JsonToken::keyValueSeparator;
    case JsonStreamParserState::objectSeparator:
    case JsonStreamParserState::arrayNeedValue:
      return detail::isValueToken(token);
    case JsonStreamParserState::objectGotValue:
      return token == JsonToken::objectEnd || token == JsonToken::valueSeparator;
    case JsonStreamParserState::objectNeedKey:
      return token == JsonToken::string;
    case JsonStreamParserState::arrayStart:
      return token == JsonToken::arrayEnd || detail::isValueToken(token);
    case JsonStreamParserState::arrayGotValue:
      return token == JsonToken::arrayEnd || token == JsonToken::valueSeparator;
    case JsonStreamParserState::complete:
    case JsonStreamParserState::error:
      return false;
  }
  return false;
}

// Whether a string here is an object key.
inline bool stateNeedsKey(JsonStreamParserState state) {
  return state == JsonStreamParserState::objectStart || state == JsonStreamParserState::objectNeedKey;
}

// The state after `token` (for a container end: after the container, seen from the state it
// was opened in). `multipleDocuments` lets the start state begin again after a document.
inline JsonStreamParserState stateAfterToken(JsonStreamParserState state, JsonToken token, bool multipleDocuments) {
  switch (state) {
    case JsonStreamParserState::start:
      if (detail::isContainerEnd(token))
        return multipleDocuments ? JsonStreamParserState::start : JsonStreamParserState::complete;
      return JsonStreamParserState::error;
    case JsonStreamParserState::objectStart:
    case JsonStreamParserState::objectNeedKey:
      return JsonStreamParserState::objectGotKey;
    case JsonStreamParserState::objectGotKey:
      return JsonStreamParserState::objectSeparator;
    case JsonStreamParserState::objectSeparator:
      return JsonStreamParserState::objectGotValue;
    case JsonStreamParserState::objectGotValue:
      return token == JsonToken::valueSeparator ? JsonStreamParserState::objectNeedKey : state;
    case JsonStreamParserState::arrayStart:
    case JsonStreamParserState::arrayNeedValue:
      return JsonStreamParserState::arrayGotValue;
    case JsonStreamParserState::arrayGotValue:
      return token == JsonToken::valueSeparator ? JsonStreamParserState::arrayNeedValue : state;
    case JsonStreamParserState::complete:
    case JsonStreamParserState::error:
      return state;
  }
  return state;
}

}  // namespace framework
