#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace framework {

// The parser's input: the bytes not yet read and a read position. New bytes are read where
// the caller holds them whenever nothing is left over from before, so a whole document is
// never copied; keepUnread() then copies only an unfinished tail. Not thread-safe.
class JsonUTF8Stream {
 public:
  JsonUTF8Stream();
  // The view would still look into the other stream's buffer.
  JsonUTF8Stream(const JsonUTF8Stream&) = delete;
  JsonUTF8Stream& operator=(const JsonUTF8Stream&) = delete;

  // Makes `bytes` the next input, after what is still unread. The caller keeps them alive
  // until keepUnread().
  void appendData(std::string_view bytes);
  // Copies what is still unread into the stream's own buffer, so that the caller's bytes may go.
  void keepUnread();
  // The unread bytes.
  std::string_view unread() const { return input_.substr(index_); }
  void skip(std::size_t count) { index_ += count; }
  // Skips space, tab, line feed and carriage return.
  void skipWhitespace() {
    while (index_ < input_.size()) {
      char c = input_[index_];
      if (c != ' ' && c != '\t' && c != '\n' && c != '\r') return;
      ++index_;
    }
  }

 private:
  std::string buffer_;
  std::string_view input_;  // buffer_, or the caller's bytes until keepUnread()
  std::size_t index_ = 0;
};

}  // namespace framework
