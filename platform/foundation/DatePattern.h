#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace foundation {

// A date pattern of Unicode pattern letters ("yyyy-MM-dd HH:mm:ss", "EEE, dd MMM yyyy") cut
// into fields and literal text. Text in single quotes is literal, two single quotes stand for
// one; any character that is not an ASCII letter is literal too.
struct DatePatternPiece {
  char letter = 0;      // 0 for literal text
  int count = 0;        // how many times the letter repeats
  std::string literal;  // the text, for literal pieces

  bool isField() const { return letter != 0; }
  // Fields written with digits: they are read digit by digit when another such field follows.
  bool isNumeric() const;
};

// Any thread; pure.
std::vector<DatePatternPiece> parseDatePattern(std::string_view pattern);

}  // namespace foundation
