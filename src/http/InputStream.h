#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/foundation/Value.h"
#include "platform/net/InputStream.h"

namespace http {

class HTTPRequest;

// The stream through which the connection reads every request body. It forwards to a platform
// stream over a file or bytes and, while bandwidth is throttled, reads no more than the
// throttle allows and lets the request hold its read stream until the next measuring second.
// Every body byte read is counted in the process-wide bandwidth meter.
class InputStream final : public net::InputStream {
 public:
  // Any thread. A body stream over the file at `path` for `request` (not owned).
  static std::shared_ptr<InputStream> inputStreamWithFileAtPath(const std::string& path,
                                                                std::weak_ptr<HTTPRequest> request);
  // Any thread. A body stream over `data` for `request` (not owned).
  static std::shared_ptr<InputStream> inputStreamWithData(foundation::Bytes data, std::weak_ptr<HTTPRequest> request);

  // Any thread. Wraps `stream`, which this object owns.
  InputStream(std::shared_ptr<net::InputStream> stream, std::weak_ptr<HTTPRequest> request);

  // Stream's thread. Passed to the wrapped stream.
  foundation::Status open() override;
  // Stream's thread. The throttled read: at most the throttle's upload allowance (at least one
  // byte, so that a throttled body never looks ended), then the wrapped stream's result.
  long long read(std::uint8_t* buffer, std::size_t maxLength) override;
  // Stream's thread. Passed to the wrapped stream.
  void close() override;
  foundation::ErrorPtr error() const override;

  // Any thread.
  const std::shared_ptr<net::InputStream>& stream() const { return stream_; }
  std::shared_ptr<HTTPRequest> request() const { return request_.lock(); }

 private:
  // Makes the throttling decision and the request's throttling step one critical section for
  // every uploading request of the process.
  static std::mutex& throttlingLock();

  std::shared_ptr<net::InputStream> stream_;
  std::weak_ptr<HTTPRequest> request_;
};

}  // namespace http
