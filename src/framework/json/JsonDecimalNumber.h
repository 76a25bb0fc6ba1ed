#pragma once

#include <string>

#include "platform/foundation/Value.h"

namespace framework {

// A JSON number kept as its exact text: one with 19 or more digits, or one beyond the range of
// a double. The value type has no decimal kind, so the number travels as an object; the writer
// writes its text back unchanged. Immutable; any thread.
class JsonDecimalNumber : public foundation::Object {
 public:
  explicit JsonDecimalNumber(std::string text);

  const std::string& text() const { return text_; }
  // The nearest double (infinite when the text lies beyond the double range).
  double doubleValue() const { return doubleValue_; }

 private:
  std::string text_;
  double doubleValue_;
};

}  // namespace framework
