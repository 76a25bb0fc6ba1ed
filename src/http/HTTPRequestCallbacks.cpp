// Callbacks to the delegate, the blocks and the queue, each carried to the main thread. The
// receivers are read when the call runs there, so a receiver cleared meanwhile hears nothing and
// one set on the main thread while the request runs hears what is delivered after that.
#include "platform/foundation/RunLoop.h"
#include "src/http/HTTPRequest.h"
#include "src/http/HTTPRequestBlocks.h"

namespace http {

void HTTPRequest::onMainThread(std::function<void(HTTPRequest&)> work) {
  foundation::performOnMainThread([request = self(), work = std::move(work)] { work(*request); });
}

void HTTPRequest::requestStarted() {
  if (error_ || isHEADRequest()) return;
  onMainThread([](HTTPRequest& request) {
    auto delegate = request.delegate();
    auto selector = request.lockedCopy(request.settings_.didStartSelector);
    auto block = request.blockCopy(&Blocks::started);
    if (delegate && selector) (delegate.get()->*selector)(request);
    if (block) block();
    if (auto queue = request.queue()) queue->requestStarted(request);
  });
}

void HTTPRequest::requestReceivedResponseHeaders(foundation::Dictionary headers) {
  if (error_ || isHEADRequest()) return;
  onMainThread([headers = std::move(headers)](HTTPRequest& request) {
    auto delegate = request.delegate();
    auto selector = request.lockedCopy(request.didReceiveResponseHeadersSelector_);
    auto block = request.blockCopy(&Blocks::headersReceived);
    if (delegate && selector) (delegate.get()->*selector)(request, headers);
    if (block) block(headers);
    if (auto queue = request.queue()) queue->requestDidReceiveResponseHeaders(request, headers);
  });
}

void HTTPRequest::requestRedirected() {
  if (error_ || isHEADRequest()) return;
  onMainThread([](HTTPRequest& request) {
    auto delegate = request.delegate();
    auto block = request.blockCopy(&Blocks::requestRedirected);
    if (delegate) delegate->requestRedirected(request);
    if (block) block();
  });
}

void HTTPRequest::requestWillRedirectToURL(std::string url) {
  if (error_ || isHEADRequest()) return;
  onMainThread([url = std::move(url)](HTTPRequest& request) {
    auto delegate = request.delegate();
    auto selector = request.lockedCopy(request.willRedirectSelector_);
    if (delegate && selector && delegate->respondsTo(HTTPRequestDelegate::Optional::willRedirect)) {
      (delegate.get()->*selector)(request, url);
    }
    auto queue = request.queue();
    if (queue && queue->respondsTo(HTTPRequestDelegate::Optional::willRedirect)) {
      queue->requestWillRedirectToURL(request, url);
    }
  });
}

void HTTPRequest::requestFinished() {
  if (error_ || isHEADRequest()) return;
  onMainThread([](HTTPRequest& request) {
    auto delegate = request.delegate();
    auto selector = request.lockedCopy(request.settings_.didFinishSelector);
    auto block = request.blockCopy(&Blocks::completion);
    if (delegate && selector) (delegate.get()->*selector)(request);
    if (block) block();
    if (auto queue = request.queue()) queue->requestFinished(request);
  });
}

void HTTPRequest::reportFailure() {
  onMainThread([](HTTPRequest& request) {
    auto delegate = request.delegate();
    auto selector = request.lockedCopy(request.settings_.didFailSelector);
    auto block = request.blockCopy(&Blocks::failure);
    if (delegate && selector) (delegate.get()->*selector)(request);
    if (block) block();
    if (auto queue = request.queue()) queue->requestFailed(request);
  });
}

bool HTTPRequest::hasDataReceiver() const {
  auto delegate = settings_.delegate.lock();
  return (delegate && delegate->respondsTo(HTTPRequestDelegate::Optional::didReceiveData)) ||
         static_cast<bool>(blocks_->dataReceived);
}

void HTTPRequest::passOnReceivedData(foundation::Bytes data) {
  onMainThread([data = std::move(data)](HTTPRequest& request) {
    auto delegate = request.delegate();
    auto selector = request.lockedCopy(request.didReceiveDataSelector_);
    auto block = request.blockCopy(&Blocks::dataReceived);
    if (delegate && selector && delegate->respondsTo(HTTPRequestDelegate::Optional::didReceiveData)) {
      (delegate.get()->*selector)(request, data);
    }
    if (block) block(data);
  });
}

void HTTPRequest::releaseBlocksOnMainThread() {
  // Blocks may hold objects that must be let go on the main thread.
  auto released = std::shared_ptr<Blocks>(std::exchange(blocks_, std::make_unique<Blocks>()));
  if (foundation::RunLoop::isMainThread() || released->empty()) return;
  foundation::performOnMainThread([released = std::move(released)]() mutable { released.reset(); });
}

}  // namespace http
