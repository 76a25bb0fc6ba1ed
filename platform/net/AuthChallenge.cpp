#include "platform/net/AuthChallenge.h"

#include <cctype>

#include "platform/net/URLParts.h"

namespace net {
namespace {

bool isTokenChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) ||
         std::string_view("!#$%&'*+-.^_`|~/").find(c) != std::string_view::npos;
}

class ChallengeScanner {
 public:
  explicit ChallengeScanner(std::string_view text) : text_(text) {}

  std::vector<AuthChallenge> scan() {
    std::vector<AuthChallenge> challenges;
    skipSeparators();
    while (!atEnd()) {
      std::string scheme = readToken();
      if (scheme.empty()) {  // garbage: drop up to the next comma
        while (!atEnd() && text_[at_] != ',') ++at_;
        skipSeparators();
        continue;
      }
      // A challenge may run straight into the next one without a comma between.
      while (!scheme.empty()) {
        challenges.push_back(AuthChallenge{scheme, {}, {}});
        scheme = readParameters(challenges.back());
      }
      skipSeparators();
    }
    return challenges;
  }

 private:
  bool atEnd() const { return at_ >= text_.size(); }
  void skipSpaces() {
    while (!atEnd() && (text_[at_] == ' ' || text_[at_] == '\t')) ++at_;
  }
  void skipSeparators() {
    while (!atEnd() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == ',')) ++at_;
  }
  std::string readToken() {
    std::size_t start = at_;
    while (!atEnd() && isTokenChar(text_[at_])) ++at_;
    return std::string(text_.substr(start, at_ - start));
  }
  std::string readQuoted() {
    std::string value;
    ++at_;  // opening quote
    while (!atEnd() && text_[at_] != '"') {
      if (text_[at_] == '\\' && at_ + 1 < text_.size()) ++at_;
      value += text_[at_++];
    }
    if (!atEnd()) ++at_;
    return value;
  }

  // Reads "name=value" pairs (or one token68) up to the next challenge; returns the scheme of a
  // following challenge when one starts, else "".
  std::string readParameters(AuthChallenge& challenge) {
    bool first = true;
    while (true) {
      skipSpaces();
      if (atEnd()) return "";
      if (text_[at_] == ',') {
        ++at_;
        skipSeparators();
        if (atEnd()) return "";
      }
      std::size_t itemStart = at_;
      std::string name = readToken();
      if (name.empty()) {
        while (!atEnd() && text_[at_] != ',') ++at_;
        continue;
      }
      skipSpaces();
      if (!atEnd() && text_[at_] == '=') {
        std::size_t equals = at_;
        while (!atEnd() && text_[at_] == '=') ++at_;
        skipSpaces();
        bool token68 = at_ - equals > 1 || atEnd() || text_[at_] == ',';
        if (token68 && first) {
          challenge.token68 = std::string(text_.substr(itemStart, at_ - itemStart));
          while (!challenge.token68.empty() && challenge.token68.back() == ' ') challenge.token68.pop_back();
          return "";
        }
        std::string value = (!atEnd() && text_[at_] == '"') ? readQuoted() : readToken();
        challenge.params[toLowerASCII(name)] = value;
      } else if (first && (atEnd() || text_[at_] == ',')) {
        challenge.token68 = name;
        return "";
      } else {
        return name;
      }
      first = false;
    }
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

}  // namespace

std::vector<AuthChallenge> parseAuthChallenges(std::string_view value) { return ChallengeScanner(value).scan(); }

}  // namespace net
