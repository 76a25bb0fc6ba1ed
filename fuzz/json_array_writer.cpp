// Two properties of the request-parameter JSON codec on arbitrary bytes:
// - taken as text, the writer's array of it is valid JSON that reads back to the same text
//   (or the writer refuses text that is not UTF-8);
// - taken as JSON, whatever the reader accepts the writer writes, and reading that again gives
//   the same value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/foundation/Json.h"
#include "platform/foundation/Utf8.h"
#include "src/framework/json/QRVJSONDeserializer.h"
#include "src/framework/json/QRVJSONSerializer.h"

namespace {

void writtenTextReadsBack(const std::string& text) {
  auto json = framework::QRVJSONSerializer::serializer().serializeArray(foundation::Array{text});
  if (!json.ok()) {
    if (foundation::isValidUtf8(text)) std::abort();
    return;
  }
  auto parsed = foundation::Json::parse(*json);
  if (!parsed.ok() || !(*parsed == foundation::Value(foundation::Array{text}))) std::abort();
}

void readValueWritesBack(const foundation::Bytes& bytes) {
  auto value = framework::QRVJSONDeserializer::deserializer().deserialize(bytes);
  if (!value.ok() || !value->has_value()) return;
  auto json = framework::QRVJSONSerializer::serializer().serializeObject(**value);
  if (!json.ok() || !foundation::Json::parse(*json).ok()) std::abort();
  auto again =
      framework::QRVJSONDeserializer::deserializer().deserialize(foundation::Bytes(json->begin(), json->end()));
  if (!again.ok() || !again->has_value() || !(**again == **value)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  writtenTextReadsBack(std::string(reinterpret_cast<const char*>(data), size));
  readValueWritesBack(foundation::Bytes(data, data + size));
  return 0;
}
