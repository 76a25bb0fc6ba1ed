// Feeds arbitrary bytes to the XML property-list reader. Whatever it accepts, the writer must
// write, and the written document must read back to a value that writes the same document.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/foundation/PropertyList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using foundation::PropertyList;
  auto value = PropertyList::parse(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!value.ok()) {
    if (!value.error() || value.error()->description().empty()) std::abort();
    return 0;
  }
  auto written = PropertyList::serialize(*value);
  if (!written.ok()) std::abort();
  auto again = PropertyList::parse(*written);
  if (!again.ok()) std::abort();
  auto rewritten = PropertyList::serialize(*again);
  if (!rewritten.ok() || *rewritten != *written) std::abort();
  return 0;
}
