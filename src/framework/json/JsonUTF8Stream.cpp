#include "src/framework/json/JsonUTF8Stream.h"

namespace framework {

JsonUTF8Stream::JsonUTF8Stream() { data_.reserve(4096); }

void JsonUTF8Stream::appendData(std::string_view bytes) {
  if (index_ > 0) {
    data_.erase(0, index_);
    index_ = 0;
  }
  data_.append(bytes);
}

void JsonUTF8Stream::skipWhitespace() {
  while (index_ < data_.size()) {
    char c = data_[index_];
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') return;
    ++index_;
  }
}

}  // namespace framework
