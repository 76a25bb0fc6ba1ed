// Feeds arbitrary bytes to the stream-parsing JSON reader as one document. Whatever it accepts,
// the writer must write, and the written text must read back to text that writes the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "src/framework/json/JsonParser.h"
#include "src/framework/json/JsonWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  framework::JsonParser parser;
  auto value = parser.objectWithData(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!value) {
    if (parser.error().empty()) std::abort();
    return 0;
  }
  framework::JsonWriter writer;
  writer.setMaxDepth(0);
  auto written = writer.stringWithObject(*value);
  if (!written) std::abort();
  auto again = parser.objectWithString(*written);
  if (!again || writer.stringWithObject(*again) != written) std::abort();
  return 0;
}
