#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/foundation/Error.h"
#include "platform/net/HTTPMessage.h"

namespace net {

// Parses one HTTP/1.x response from bytes as they arrive: the head into an HTTPMessage, the body
// decoded from its framing (Content-Length, chunked, or up to the end of the connection) and
// handed to a sink. Interim 1xx responses (other than 101) are skipped. Heads above
// kMaxResponseHeadBytes, malformed status lines, fields or chunk framing are errors. Not
// thread-safe: one owner at a time.
class HTTPResponseParser {
 public:
  using BodySink = std::function<void(const std::uint8_t* data, std::size_t size)>;

  // `noBody`: the request was HEAD, so no body follows whatever the head says.
  HTTPResponseParser(bool noBody, BodySink sink);
  ~HTTPResponseParser();
  HTTPResponseParser(const HTTPResponseParser&) = delete;
  HTTPResponseParser& operator=(const HTTPResponseParser&) = delete;

  // Feeds bytes; returns how many were used. Unused bytes (an incomplete head) must be given
  // again with more after them. Bytes after the end of the response are not used. Returns 0 and
  // sets error() on malformed input; after an error or the end, feeding does nothing.
  std::size_t feed(const std::uint8_t* data, std::size_t size);
  // The connection ended. Completes a body that runs to the end of the connection; otherwise an
  // unfinished response becomes an error (a body cut short is never an end).
  void finish();

  bool gotSomeBytes() const;
  bool isHeaderComplete() const;
  bool isDone() const;
  // The response allows the connection to carry another exchange (valid once done).
  bool keepsConnection() const;
  // The head so far (status and fields once complete).
  const HTTPMessage& head() const;
  foundation::ErrorPtr error() const;
  // Whether the failure was the connection ending before the response did.
  bool endedEarly() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace net
