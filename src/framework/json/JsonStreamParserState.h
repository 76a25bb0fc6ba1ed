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
bool stateAcceptsToken(JsonStreamParserState state, JsonToken token);
// Whether a string here is an object key.
bool stateNeedsKey(JsonStreamParserState state);
// The state after `token` (for a container end: after the container, seen from the state it
// was opened in). `multipleDocuments` lets the start state begin again after a document.
JsonStreamParserState stateAfterToken(JsonStreamParserState state, JsonToken token, bool multipleDocuments);

}  // namespace framework
