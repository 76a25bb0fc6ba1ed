// Feeds arbitrary bytes to the response parser in pieces of varying size, as a socket would.
// The first byte chooses the piece size and whether the request was HEAD.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/net/HTTPResponseParser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool noBody = (data[0] & 1) != 0;
  const std::size_t pieceSize = 1 + (data[0] >> 1);
  ++data;
  --size;

  std::size_t bodyBytes = 0;
  net::HTTPResponseParser parser(noBody, [&](const std::uint8_t*, std::size_t count) { bodyBytes += count; });
  std::string pending;
  for (std::size_t offset = 0; offset < size && !parser.isDone() && !parser.error(); offset += pieceSize) {
    pending.append(reinterpret_cast<const char*>(data) + offset, std::min(pieceSize, size - offset));
    const std::size_t used = parser.feed(reinterpret_cast<const std::uint8_t*>(pending.data()), pending.size());
    if (used > pending.size()) std::abort();
    pending.erase(0, used);
  }
  parser.finish();
  // The end is either a complete response or an error, never both; the body never exceeds the input.
  if (parser.isDone() == (parser.error() != nullptr)) std::abort();
  if (bodyBytes > size) std::abort();
  if (parser.isDone() && !parser.isHeaderComplete()) std::abort();
  return 0;
}
