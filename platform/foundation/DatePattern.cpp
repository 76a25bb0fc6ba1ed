#include "platform/foundation/DatePattern.h"

namespace foundation {
namespace {

bool isPatternLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

void appendLiteral(std::vector<DatePatternPiece>& pieces, std::string_view text) {
  if (text.empty()) return;
  if (pieces.empty() || pieces.back().isField()) pieces.push_back({});
  pieces.back().literal += text;
}

}  // namespace

bool DatePatternPiece::isNumeric() const {
  switch (letter) {
    case 'y':
    case 'd':
    case 'D':
    case 'h':
    case 'H':
    case 'k':
    case 'K':
    case 'm':
    case 's':
    case 'S':
      return true;
    case 'M':
    case 'L':
    case 'c':
    case 'e':
      return count <= 2;
    default:
      return false;
  }
}

std::vector<DatePatternPiece> parseDatePattern(std::string_view pattern) {
  std::vector<DatePatternPiece> pieces;
  std::size_t i = 0;
  while (i < pattern.size()) {
    char c = pattern[i];
    if (c == '\'') {
      if (i + 1 < pattern.size() && pattern[i + 1] == '\'') {
        appendLiteral(pieces, "'");
        i += 2;
        continue;
      }
      // Quoted text runs to the next lone quote (or the end); '' inside it is one quote.
      std::string quoted;
      for (++i; i < pattern.size(); ++i) {
        if (pattern[i] != '\'') {
          quoted += pattern[i];
        } else if (i + 1 < pattern.size() && pattern[i + 1] == '\'') {
          quoted += '\'';
          ++i;
        } else {
          ++i;
          break;
        }
      }
      appendLiteral(pieces, quoted);
    } else if (isPatternLetter(c)) {
      std::size_t end = pattern.find_first_not_of(c, i);
      if (end == std::string_view::npos) end = pattern.size();
      pieces.push_back({c, static_cast<int>(end - i), {}});
      i = end;
    } else {
      appendLiteral(pieces, pattern.substr(i, 1));
      ++i;
    }
  }
  return pieces;
}

}  // namespace foundation
