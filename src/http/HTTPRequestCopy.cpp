// Copying a request: its configuration, never the state of an exchange.
#include "src/http/HTTPRequest.h"

namespace http {

std::shared_ptr<HTTPRequest> HTTPRequest::copy() const {
  Lock lock(cancelledLock_);
  auto copied = makeRequestOfSameClass(url_);
  copyInto(*copied);
  return copied;
}

void HTTPRequest::copyInto(HTTPRequest& copy) const {
  // The copy is new: no other thread knows it yet, so its settings are set without its lock.
  copy.settings_ = settings_;
}

HTTPRequestSettings HTTPRequest::settings() const { return lockedCopy(settings_); }

}  // namespace http
