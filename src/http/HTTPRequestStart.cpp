// Starting a request and its main step on the network thread.
#include <exception>

#include "platform/foundation/OperationQueue.h"
#include "platform/net/HTTPMessage.h"
#include "src/http/HTTPRequest.h"

namespace http {

void HTTPRequest::startAsynchronous() { sharedQueue().addOperation(self()); }

void HTTPRequest::start() {
  if (isExecuting() || isFinished()) return;
  markExecuting();
  networkLoop().post([request = self()] { request->main(); });
}

void HTTPRequest::main() {
  Lock lock(cancelledLock_);
  try {
    runMainStep();
  } catch (const std::exception& exception) {
    failWithError(makeRequestError(HTTPRequestErrorCode::unexpectedException, exception.what()));
  }
}

void HTTPRequest::runMainStep() {
  if (error_) {  // cancelled while it waited in its queue
    complete_ = true;
    markAsFinished();
    return;
  }
  complete_ = false;
  didUseCachedResponse_ = false;
  if (url_.empty()) {
    failWithError(unableToCreateRequestError());
    return;
  }
  if (!isHEADRequest()) buildPostBody();
  if (error_) return;
  keepCacheOnlyForGET();
  if (auto created = createMessage(); !created.ok()) {
    failWithError(created.error());
    return;
  }
  if (auto main = mainRequest_.lock()) {
    Lock mainLock(main->cancelledLock_);
    main->buildRequestHeaders();
  }
  buildRequestHeaders();
  if (error_ || answerFromCache()) return;
  applyAuthorizationHeader();
  applyRequestHeadersToMessage();
  if (error_) return;
  if (configureProxies()) startRequest();
}

foundation::Status HTTPRequest::createMessage() {
  request_.reset();
  presentedProxyCredentials_.reset();
  auto version = settings_.useHTTPVersionOne ? net::HTTPVersion::HTTP1_0 : net::HTTPVersion::HTTP1_1;
  auto message = net::HTTPMessage::createRequest(settings_.requestMethod, url_, version);
  if (!message.ok()) return unableToCreateRequestError();
  request_ = std::move(*message);
  return {};
}

void HTTPRequest::markAsFinished() {
  request_.reset();
  setStatusTimer(nullptr);
  markFinished();
  // A synchronous caller looks at its condition again only when its loop runs something.
  if (synchronousLoop_) synchronousLoop_->post([] {});
}

}  // namespace http
