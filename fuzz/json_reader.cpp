// Feeds arbitrary bytes to the JSON reader. Whatever it accepts, the writer must write, and the
// written text must read back to a value that writes the same text again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/foundation/Json.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using foundation::Json;
  auto value = Json::parse(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!value.ok()) {
    if (!value.error() || value.error()->description().empty()) std::abort();
    return 0;
  }
  auto written = Json::serialize(*value);
  if (!written.ok()) std::abort();
  auto again = Json::parse(*written);
  if (!again.ok()) std::abort();
  auto rewritten = Json::serialize(*again);
  if (!rewritten.ok() || *rewritten != *written) std::abort();
  return 0;
}
