#include "src/framework/json/JsonStreamParserAdapter.h"

#include <iterator>

namespace framework {

JsonStreamParserAdapter::JsonStreamParserAdapter() {
  keyStack_.reserve(32);
  stack_.reserve(32);
}

void JsonStreamParserAdapter::containerStarted(bool isArray) {
  if (++depth_ <= levelsToSkip_) return;
  if (openCount_ == stack_.size()) stack_.emplace_back();
  stack_[openCount_++].isArray = isArray;
}

namespace {
// The gathered members in a vector of their own size; the scratch keeps its room for the next
// container at this depth, so growing it is paid once per depth, not once per container.
template <class T>
std::vector<T> takeExactly(std::vector<T>& scratch) {
  std::vector<T> exact(std::make_move_iterator(scratch.begin()), std::make_move_iterator(scratch.end()));
  scratch.clear();
  return exact;
}
}  // namespace

void JsonStreamParserAdapter::containerEnded(JsonStreamParser& parser) {
  if (depth_-- <= levelsToSkip_) return;
  Container& finished = stack_[--openCount_];
  if (finished.isArray) {
    addValue(parser, foundation::Value(takeExactly(finished.array)));
  } else {
    addValue(parser, foundation::Value(foundation::Dictionary(takeExactly(finished.entries))));
  }
}

void JsonStreamParserAdapter::addValue(JsonStreamParser& parser, foundation::Value&& value) {
  if (openCount_ == 0) {
    if (!delegate_) return;
    if (auto* array = value.getArray()) {
      delegate_->parserFoundArray(parser, std::move(*array));
    } else {
      delegate_->parserFoundObject(parser, std::move(value));
    }
    return;
  }
  Container& current = stack_[openCount_ - 1];
  if (current.isArray) {
    current.array.push_back(std::move(value));
  } else {
    current.entries.emplace_back(std::move(keyStack_.back()), std::move(value));
    keyStack_.pop_back();
  }
}

void JsonStreamParserAdapter::parserFoundObjectStart(JsonStreamParser&) { containerStarted(false); }

void JsonStreamParserAdapter::parserFoundObjectKey(JsonStreamParser&, std::string key) {
  keyStack_.push_back(std::move(key));
}

void JsonStreamParserAdapter::parserFoundObjectEnd(JsonStreamParser& parser) { containerEnded(parser); }

void JsonStreamParserAdapter::parserFoundArrayStart(JsonStreamParser&) { containerStarted(true); }

void JsonStreamParserAdapter::parserFoundArrayEnd(JsonStreamParser& parser) { containerEnded(parser); }

void JsonStreamParserAdapter::parserFoundBoolean(JsonStreamParser& parser, bool value) { addValue(parser, value); }

void JsonStreamParserAdapter::parserFoundNull(JsonStreamParser& parser) { addValue(parser, foundation::Value()); }

void JsonStreamParserAdapter::parserFoundNumber(JsonStreamParser& parser, foundation::Value number) {
  addValue(parser, std::move(number));
}

void JsonStreamParserAdapter::parserFoundString(JsonStreamParser& parser, std::string text) {
  addValue(parser, foundation::Value(std::move(text)));
}

void JsonStreamParserAccumulator::parserFoundArray(JsonStreamParser&, foundation::Array array) {
  value_ = std::move(array);
}

void JsonStreamParserAccumulator::parserFoundObject(JsonStreamParser&, foundation::Value value) {
  value_ = std::move(value);
}

}  // namespace framework
