#pragma once

#include <string>

#include "platform/foundation/Value.h"

namespace http {

class HTTPRequest;

// What a request tells its delegate, always on the main thread. Every method is optional: the
// defaults do nothing. A delegate names, through respondsTo(), the optional methods whose mere
// presence changes what the request does.
class HTTPRequestDelegate {
 public:
  enum class Optional {
    willRedirect,    // the request waits for redirectToURL() before following a redirect
    didReceiveData,  // the body is handed over piecewise and not stored by the request
    authenticationNeeded,
    proxyAuthenticationNeeded,
  };

  virtual ~HTTPRequestDelegate() = default;

  // Main thread. Whether this delegate implements the optional method.
  virtual bool respondsTo(Optional) const { return false; }

  virtual void requestStarted(HTTPRequest&) {}
  virtual void requestDidReceiveResponseHeaders(HTTPRequest&, const foundation::Dictionary& /*headers*/) {}
  virtual void requestWillRedirectToURL(HTTPRequest&, const std::string& /*newURL*/) {}
  virtual void requestFinished(HTTPRequest&) {}
  virtual void requestFailed(HTTPRequest&) {}
  virtual void requestRedirected(HTTPRequest&) {}
  virtual void requestDidReceiveData(HTTPRequest&, const foundation::Bytes& /*data*/) {}
  virtual void authenticationNeededForRequest(HTTPRequest&) {}
  virtual void proxyAuthenticationNeededForRequest(HTTPRequest&) {}
};

}  // namespace http
