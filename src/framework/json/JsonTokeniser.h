#pragma once

#include <string>
#include <string_view>

#include "platform/foundation/Value.h"
#include "src/framework/json/JsonUTF8Stream.h"

namespace framework {

// What the tokeniser found; the numbers are those its callers and messages know.
enum class JsonToken : int {
  error = -1,
  eof = 0,  // no complete token in the input so far
  arrayStart = 1,
  arrayEnd = 2,
  objectStart = 3,
  objectEnd = 4,
  valueSeparator = 5,
  keyValueSeparator = 6,
  number = 7,
  string = 8,
  trueValue = 9,
  falseValue = 10,
  null = 11,
};

// The token's name in error messages ("start of array", "number", ...).
const char* jsonTokenName(JsonToken token);

// Cuts the input into JSON tokens. Input may arrive in pieces: a token cut short by the end of
// the input is left unread and reported as eof, so that more input can complete it.
// Not thread-safe.
class JsonTokeniser {
 public:
  // The bytes are read in place: the caller keeps them alive until keepUnread().
  void appendData(std::string_view bytes) { stream_.appendData(bytes); }
  // Copies an unfinished token out of the caller's bytes, so that they may go.
  void keepUnread() { stream_.keepUnread(); }
  JsonToken getToken();

  // The last error's text.
  const std::string& error() const { return error_; }
  // The text of the last string token, and the value of the last number token; callers may
  // move them out.
  std::string& string() { return string_; }
  foundation::Value& number() { return number_; }

 private:
  // Reads on in a string whose opening quote and first part are already taken.
  JsonToken getStringToken();
  // Leaves the stream after the part of a string decoded so far, and waits for more input.
  JsonToken waitInString(std::size_t decodedUpTo);
  // Appends the character of a \u escape at `at` (the backslash); eof when input is missing.
  JsonToken appendUnicodeEscape(std::string_view input, std::size_t& at);
  JsonToken getNumberToken();
  JsonToken getWordToken(std::string_view word, JsonToken token);
  JsonToken fail(std::string error);

  JsonUTF8Stream stream_;
  std::string error_;
  std::string string_;
  bool inString_ = false;  // the input ended inside a string: string_ holds its first part
  foundation::Value number_;
};

}  // namespace framework
