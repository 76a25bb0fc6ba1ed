#pragma once

#include <cstdint>

namespace http {

class HTTPRequest;

// Receives a request's upload or download progress, always on the main thread. Every method is
// optional. Amounts are increments: a negative amount takes back progress reported before.
class ProgressDelegate {
 public:
  virtual ~ProgressDelegate() = default;

  // The fraction done, from 0 to 1.
  virtual void setProgress(float /*progress*/) {}
  virtual void requestDidReceiveBytes(HTTPRequest&, std::int64_t /*amount*/) {}
  virtual void requestDidSendBytes(HTTPRequest&, std::int64_t /*amount*/) {}
  virtual void requestIncrementDownloadSizeBy(HTTPRequest&, std::int64_t /*amount*/) {}
  virtual void requestIncrementUploadSizeBy(HTTPRequest&, std::int64_t /*amount*/) {}
};

}  // namespace http
