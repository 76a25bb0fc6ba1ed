#include "src/framework/json/JsonStreamParserState.h"

namespace framework {

using State = JsonStreamParserState;

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

}  // namespace framework
