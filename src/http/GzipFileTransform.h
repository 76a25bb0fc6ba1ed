#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace http {

// The file-to-file loop that both gzip codecs share: the destination is created empty first,
// then the source is read in chunks of kGzipFileChunkSize, each chunk is transformed and the
// result written. `verb` ("Compression" or "Decompression") starts every error text.
inline constexpr std::size_t kGzipFileChunkSize = 262144;

struct GzipFileSteps {
  std::string verb;
  // Transforms one chunk; `isLast` is true for the chunk that reaches the end of the source.
  std::function<foundation::Result<foundation::Bytes>(const std::uint8_t*, std::size_t, bool isLast)> transform;
  // Ends the codec stream once the source is done.
  std::function<foundation::Status()> close;
};

// Any thread.
foundation::Status transformGzipFile(const std::string& sourcePath, const std::string& destinationPath,
                                     const GzipFileSteps& steps);

}  // namespace http
