#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace framework {

// The parser's input: one growing buffer of bytes and a read position. Not thread-safe.
class JsonUTF8Stream {
 public:
  JsonUTF8Stream();

  // Appends bytes, first dropping those already read so the buffer does not grow with the input.
  void appendData(std::string_view bytes);
  // The unread bytes.
  std::string_view unread() const { return std::string_view(data_).substr(index_); }
  void skip(std::size_t count) { index_ += count; }
  // Skips space, tab, line feed and carriage return.
  void skipWhitespace();

 private:
  std::string data_;
  std::size_t index_ = 0;
};

}  // namespace framework
