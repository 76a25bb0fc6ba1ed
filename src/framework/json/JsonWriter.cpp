#include "src/framework/json/JsonWriter.h"

#include "src/framework/json/JsonStreamWriter.h"

namespace framework {

std::optional<std::string> JsonWriter::stringWithObject(const foundation::Value& value) {
  error_.clear();
  JsonStreamWriterAccumulator accumulator;
  JsonStreamWriter writer;
  writer.setSortKeys(sortKeys_);
  writer.setMaxDepth(maxDepth_);
  writer.setHumanReadable(humanReadable_);
  writer.setDelegate(&accumulator);
  const foundation::Value* container = &value;
  foundation::Value proxied;
  if (auto proxy = value.objectAs<JsonProxy>()) {
    proxied = proxy->proxyForJson();
    container = &proxied;
  }
  bool written = false;
  if (const auto* dictionary = container->getDictionary()) {
    written = writer.writeObject(*dictionary);
  } else if (const auto* array = container->getArray()) {
    written = writer.writeArray(*array);
  } else {
    error_ = "Not valid type for JSON";
    return std::nullopt;
  }
  if (!written) {
    error_ = writer.error();
    return std::nullopt;
  }
  return std::move(accumulator.data());
}

std::optional<foundation::Bytes> JsonWriter::dataWithObject(const foundation::Value& value) {
  auto text = stringWithObject(value);
  if (!text) return std::nullopt;
  return foundation::Bytes(text->begin(), text->end());
}

foundation::Result<std::string> JsonWriter::stringWithObjectOrError(const foundation::Value& value) {
  auto text = stringWithObject(value);
  if (!text) return foundation::makeError(kJsonWriterErrorDomain, 0, error_);
  return std::move(*text);
}

std::optional<std::string> JsonWriting::JSONRepresentation(const foundation::Value& value) {
  return JsonWriter().stringWithObject(value);
}

}  // namespace framework
