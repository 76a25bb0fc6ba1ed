#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"
#include "src/framework/request/QRVBaseDataRequest.h"
#include "src/http/HTTPRequestDelegate.h"
#include "src/http/ProgressDelegate.h"

namespace http {
class FormDataRequest;
}

namespace framework {

// A data request sent through the HTTP request engine: a GET query or a form post (url-encoded,
// or multipart once a picture or bytes are among the parameters), 10 s time-out, gzip replies
// allowed. The engine calls back on the main thread; the reply goes down the reply road of
// QRVBaseDataRequest, a transport failure to the failure callback and, unless the request is
// silent, was cancelled or was refused for its size, to the toast "当前无网络，请稍后再试！" on the indicator view.
class QRVHTTPBaseDataRequest : public QRVBaseDataRequest,
                               public http::HTTPRequestDelegate,
                               public http::ProgressDelegate {
 public:
  static constexpr double kTimeOutSeconds = 10.0;
  // The largest reply kept, far above any real one; files downloaded to disk have no bound.
  static constexpr std::uint64_t kMaxReplyBytes = 8u << 20;
  static constexpr double kPictureQuality = 0.8;
  static constexpr const char* kPictureFileName = "image.jpg";
  static constexpr const char* kPictureContentType = "image/jpeg";

  ~QRVHTTPBaseDataRequest() override;

  // Main thread. Cancels the engine request; once the engine has reported the cancellation
  // through the failure callback (without a toast), tells the delegate or the cancel block. A
  // request that has no exchange under way tells them at once.
  void cancelRequest();

  // Main thread. The engine request for the URL and the static and caller's parameters; an
  // error for a parameter that has no text (or, in a GET, is a picture or bytes).
  foundation::Result<std::shared_ptr<http::FormDataRequest>> generateRequestWithUrl(
      const std::string& url, const foundation::Dictionary& parameters);

  // Main thread. Builds and starts the engine request; a parameter that cannot be sent fails
  // the request on the next turn of the main loop instead.
  void doRequestWithParams(const foundation::Dictionary& parameters) override;
  // Main thread. Takes a cached reply dictionary as the result and calls back at once.
  bool onReceivedCacheData(const foundation::Value& cached) override;

  // Main thread. The engine request, once one was made.
  const std::shared_ptr<http::FormDataRequest>& request() const { return request_; }

  // --- Engine callbacks (main thread) ---
  void requestStarted(http::HTTPRequest& engineRequest) override;
  // A file download learns its length from "Content-Length".
  void requestDidReceiveResponseHeaders(http::HTTPRequest& engineRequest,
                                        const foundation::Dictionary& headers) override;
  // A file download's bytes; a negative count adds nothing.
  void requestDidReceiveBytes(http::HTTPRequest& engineRequest, std::int64_t amount) override;
  void requestFinished(http::HTTPRequest& engineRequest) override;
  void requestFailed(http::HTTPRequest& engineRequest) override;

 private:
  foundation::Status addFormFields(http::FormDataRequest& form, const foundation::Dictionary& parameters) const;
  void configure(http::FormDataRequest& form);
  void failBeforeSending(foundation::ErrorPtr error);
  // The reply body, inflated, as text in getResponseEncoding().
  foundation::Result<std::string> replyText(const http::HTTPRequest& engineRequest) const;
  bool shouldShowFailureToast(const foundation::ErrorPtr& error) const;
  // After the engine's last callback: the cancel asked for while the exchange ran.
  void reportPendingCancel();

  std::shared_ptr<http::FormDataRequest> request_;
  bool engineEnded_ = false;
  bool cancelPending_ = false;
};

}  // namespace framework
