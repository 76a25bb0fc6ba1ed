#pragma once

#include <cstdint>
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

// The largest exponent a number's text may carry, either way: 16 bits, as the exponent is kept.
// A larger one is refused rather than wrapped.
inline constexpr int kJsonMaxExponent = 32767;

// The token's name in error messages ("start of array", "number", ...).
const char* jsonTokenName(JsonToken token);

// Cuts the input into JSON tokens. Input may arrive in pieces: a token cut short by the end of
// the input is reported as eof, so that more input can complete it; a string or number goes on
// from where the last piece stopped. A number with a fraction or an exponent, or of 19 digits or
// more, is a foundation::DecimalNumber. Not thread-safe.
class JsonTokeniser {
 public:
  // The bytes are read in place: the caller keeps them alive until keepUnread().
  void appendData(std::string_view bytes) { stream_.appendData(bytes); }
  // Copies an unfinished token out of the caller's bytes, so that they may go.
  void keepUnread() { stream_.keepUnread(); }
  JsonToken getToken();
  // For when no more input follows: a number the input ends in is whole then, as though a byte
  // followed it, and is returned as the number token; otherwise eof.
  JsonToken endNumberAtEndOfInput();
  // Whether anything but white space is left, a token cut short included.
  bool hasUnreadInput();

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
  // Reads a number whose first byte is at the read position.
  JsonToken startNumberToken();
  // Reads on in a number whose bytes before `from` in the unread input, and in earlier pieces,
  // are already taken.
  JsonToken getNumberToken(std::size_t from = 0);
  JsonToken finishNumberToken(std::string_view input, std::size_t end);
  JsonToken getWordToken(std::string_view word, JsonToken token);
  JsonToken fail(std::string error);

  JsonUTF8Stream stream_;
  std::string error_;
  std::string string_;
  bool inString_ = false;  // the input ended inside a string: string_ holds its first part
  foundation::Value number_;

  // Where a number's reading stands, kept across pieces of input.
  enum class NumberPhase {
    afterMinus,
    leadingZero,
    integer,
    afterPoint,
    fraction,
    afterE,
    afterExponentSign,
    exponent
  };
  struct NumberScan {
    NumberPhase phase = NumberPhase::integer;
    bool negative = false;
    std::uint64_t mantissa = 0;
    int significantDigits = 0;  // counted up to 19, where the mantissa stops
    std::int64_t fractionDigits = 0;
    bool negativeExponent = false;
    int exponent = 0;
    std::string takenText;  // the number's text from earlier pieces

    // From this many digits on, a number is read from its text: the mantissa holds no more.
    static constexpr int kMostMantissaDigits = 19;
    // Digits count from the first that is not 0, so that "0.000123" loses no precision.
    void takeDigit(char digit) {
      if (significantDigits >= kMostMantissaDigits) return;
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(digit - '0');
      if (mantissa != 0) ++significantDigits;
    }
  };
  bool inNumber_ = false;  // the input ended inside a number: numberScan_ holds its first part
  NumberScan numberScan_;
};

}  // namespace framework
