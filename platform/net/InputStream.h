#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace net {

// A source of bytes read in order: the body of a request, pulled by the read stream that sends
// it. Reads are synchronous and made on the thread of the read stream's run loop. Subclasses may
// wrap another stream (to count or throttle reads).
class InputStream {
 public:
  virtual ~InputStream() = default;

  // Stream's thread. Prepares reading; called once before the first read.
  virtual foundation::Status open() = 0;
  // Stream's thread. Reads up to `maxLength` bytes into `buffer`: the count read, 0 at the end,
  // a negative value on failure (error() then says why). Never blocks for long (files, memory).
  virtual long long read(std::uint8_t* buffer, std::size_t maxLength) = 0;
  // Stream's thread. Releases the source; reading afterwards is not allowed.
  virtual void close() = 0;
  // The failure of the last read, or nullptr.
  virtual foundation::ErrorPtr error() const = 0;

  // Any thread. A stream over bytes in memory.
  static std::shared_ptr<InputStream> withBytes(foundation::Bytes bytes);
  // Any thread. A stream over a file; opening fails when the file cannot be read.
  static std::shared_ptr<InputStream> withFileAtPath(std::string path);
};

}  // namespace net
