#include "src/framework/json/JsonUTF8Stream.h"

namespace framework {

JsonUTF8Stream::JsonUTF8Stream() {
  buffer_.reserve(4096);
  input_ = buffer_;
}

void JsonUTF8Stream::appendData(std::string_view bytes) {
  if (index_ >= input_.size()) {
    input_ = bytes;
  } else {  // an unfinished token waits in the buffer: the new bytes complete it there
    buffer_.erase(0, index_);
    buffer_.append(bytes);
    input_ = buffer_;
  }
  index_ = 0;
}

void JsonUTF8Stream::keepUnread() {
  if (input_.data() == buffer_.data()) return;
  buffer_.assign(unread());
  input_ = buffer_;
  index_ = 0;
}

}  // namespace framework
