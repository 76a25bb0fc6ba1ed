// Feeds arbitrary bytes to the JSON stream parser in pieces whose sizes the first byte chooses.
// The pieces must give the same outcome as the whole: the same error, or the same value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "src/framework/json/JsonParser.h"
#include "src/framework/json/JsonStreamParser.h"
#include "src/framework/json/JsonStreamParserAdapter.h"
#include "src/framework/json/JsonWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t pieceSize = data[0] % 16 + 1;
  std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);

  framework::JsonStreamParserAccumulator accumulator;
  framework::JsonStreamParserAdapter adapter;
  adapter.setDelegate(&accumulator);
  framework::JsonStreamParser stream;
  stream.setDelegate(&adapter);
  for (std::size_t at = 0; at < input.size(); at += pieceSize) stream.parse(input.substr(at, pieceSize));
  auto status = stream.finish();

  framework::JsonParser whole;
  auto expected = whole.objectWithData(input);
  if (expected) {
    if (status != framework::JsonStreamParserStatus::complete) std::abort();
    auto a = framework::JsonWriting::JSONRepresentation(accumulator.value());
    auto b = framework::JsonWriting::JSONRepresentation(*expected);
    if (a != b) std::abort();
  } else if (status == framework::JsonStreamParserStatus::error && stream.error() != whole.error()) {
    std::abort();
  }
  return 0;
}
