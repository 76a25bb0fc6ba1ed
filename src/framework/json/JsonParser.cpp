#include "src/framework/json/JsonParser.h"

#include "src/framework/json/JsonStreamParser.h"
#include "src/framework/json/JsonStreamParserAdapter.h"

namespace framework {

std::optional<foundation::Value> JsonParser::objectWithData(std::optional<std::string_view> data) {
  if (!data) {
    error_ = "Input was 'nil'";
    return std::nullopt;
  }
  JsonStreamParserAccumulator accumulator;
  JsonStreamParserAdapter adapter;
  adapter.setDelegate(&accumulator);
  JsonStreamParser parser;
  parser.setMaxDepth(maxDepth_);
  parser.setDelegate(&adapter);
  parser.parse(*data);
  switch (parser.finish()) {  // the whole input is given at once: nothing follows it
    case JsonStreamParserStatus::complete:
      return std::move(accumulator.value());
    case JsonStreamParserStatus::waitingForData:
      error_ = "Unexpected end of input";
      return std::nullopt;
    case JsonStreamParserStatus::error:
      break;
  }
  error_ = parser.error();
  return std::nullopt;
}

std::optional<foundation::Value> JsonParser::objectWithString(std::optional<std::string_view> text) {
  return objectWithData(text);
}

foundation::Result<foundation::Value> JsonParser::objectWithStringOrError(std::string_view text) {
  auto value = objectWithString(text);
  if (!value) return foundation::makeError(kJsonParserErrorDomain, 0, error_);
  return std::move(*value);
}

std::optional<foundation::Value> JsonParsing::JSONValue(std::string_view text) {
  return JsonParser().objectWithString(text);
}

}  // namespace framework
