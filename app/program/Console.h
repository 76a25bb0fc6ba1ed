#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace zunoradio {

// "1 song", "3 songs": a count with its noun.
std::string counted(std::size_t count, const std::string& one, const std::string& many);

// A description (an error's, say) as the end of one of the program's sentences: a lower-case start
// unless it begins with an abbreviation ("HTTP"), no full stop.
std::string sentenceEnd(std::string text);

// Where the program speaks: one line per event, and on a terminal one status line (the playing
// position) that is rewritten in place beneath them. Main thread.
class Console {
 public:
  // The streams stay owned by the caller; `terminal` says whether `out` shows in-place updates.
  Console(std::FILE* out, std::FILE* errors, bool terminal);

  // A line of its own; it pushes the status line down.
  void line(const std::string& text);
  // A sentence saying why something failed, on the error stream.
  void error(const std::string& text);
  // The status line: rewritten in place on a terminal, not shown otherwise.
  void status(const std::string& text);
  bool isTerminal() const { return terminal_; }

 private:
  void clearStatus();

  std::FILE* out_;
  std::FILE* errors_;
  bool terminal_;
  bool statusShown_ = false;
};

}  // namespace zunoradio
