#include "src/http/NetworkQueue.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "platform/foundation/RunLoop.h"
#include "src/http/HTTPRequest.h"

namespace http {
namespace {

// The counters are unsigned: an amount that takes back more than was counted stops at 0.
std::uint64_t addSigned(std::uint64_t value, std::int64_t amount) {
  if (amount >= 0) return value + static_cast<std::uint64_t>(amount);
  std::uint64_t taken = amount == std::numeric_limits<std::int64_t>::min()
                            ? static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + 1
                            : static_cast<std::uint64_t>(-amount);
  return value > taken ? value - taken : 0;
}

}  // namespace

std::shared_ptr<NetworkQueue> NetworkQueue::queue() { return std::shared_ptr<NetworkQueue>(new NetworkQueue()); }

NetworkQueue::NetworkQueue() {
  setMaxConcurrentOperationCount(kDefaultWidth);
  setSuspended(true);
}

void NetworkQueue::go() { setSuspended(false); }

void NetworkQueue::reset() {
  cancelAllOperations();
  {
    Lock lock(lock_);
    delegate_.reset();
    uploadProgressDelegate_.reset();
    downloadProgressDelegate_.reset();
    requestDidStartSelector_ = nullptr;
    requestDidReceiveResponseHeadersSelector_ = nullptr;
    requestDidFinishSelector_ = nullptr;
    requestDidFailSelector_ = nullptr;
    queueDidFinishSelector_ = nullptr;
  }
  setSuspended(true);
}

void NetworkQueue::cancelAllOperations() {
  {
    Lock lock(lock_);
    bytesUploadedSoFar_ = 0;
    totalBytesToUpload_ = 0;
    bytesDownloadedSoFar_ = 0;
    totalBytesToDownload_ = 0;
  }
  foundation::OperationQueue::cancelAllOperations();
}

bool NetworkQueue::addOperation(std::shared_ptr<foundation::Operation> operation) {
  auto request = std::dynamic_pointer_cast<HTTPRequest>(operation);
  if (!request) {
    std::fprintf(stderr,
                 "AttemptToAddInvalidRequest: Attempted to add an object that was not an HTTPRequest to an "
                 "NetworkQueue\n");
    return false;
  }
  // A request that already failed has told its delegate and would never tell the queue.
  if (request->isFinished() || request->isExecuting() || request->error()) return false;

  bool accurate = showAccurateProgress();
  std::shared_ptr<HTTPRequest> head;
  if (accurate) {
    {
      // The upload total needs the body's length.
      HTTPRequest::Lock requestLock(request->cancelledLock_);
      request->buildPostBody();
    }
    if (request->error()) return false;
    if (request->requestMethod() == "GET" && isSuspended()) {
      head = request->HEADRequest();
      request->addDependency(head);
      if (request->shouldResetDownloadProgress()) {
        resetProgress(downloadProgressDelegate());
        request->setShouldResetDownloadProgress(false);
      }
    }
  }
  if (request->shouldResetUploadProgress()) {
    resetProgress(uploadProgressDelegate());
    request->setShouldResetUploadProgress(false);
  }

  auto previousQueue = request->queue();
  bool previousAccuracy = request->showAccurateProgress();
  request->setShowAccurateProgress(accurate);
  request->setQueue(shared_from_this());
  if (!foundation::OperationQueue::addOperation(request)) {
    request->setQueue(previousQueue);
    request->setShowAccurateProgress(previousAccuracy);
    if (head) request->removeDependency(head);
    return false;
  }
  {
    Lock lock(lock_);
    ++requestsCount_;
    if (accurate) {
      totalBytesToUpload_ += request->postLength();
    } else {
      // Each request counts as one unit each way, reported when it completes.
      totalBytesToDownload_ += 1;
      totalBytesToUpload_ += 1;
    }
  }
  if (head) addHEADOperation(head);
  return true;
}

void NetworkQueue::addHEADOperation(const std::shared_ptr<HTTPRequest>& request) {
  request->setQueuePriority(kHEADRequestPriority);
  request->setShowAccurateProgress(true);
  request->setQueue(shared_from_this());
  (void)foundation::OperationQueue::addOperation(request);
}

std::shared_ptr<NetworkQueue> NetworkQueue::copy() const {
  auto copied = queue();
  Lock lock(lock_);
  copied->delegate_ = delegate_;
  copied->requestDidStartSelector_ = requestDidStartSelector_;
  copied->requestDidReceiveResponseHeadersSelector_ = requestDidReceiveResponseHeadersSelector_;
  copied->requestWillRedirectSelector_ = requestWillRedirectSelector_;
  copied->requestDidFinishSelector_ = requestDidFinishSelector_;
  copied->requestDidFailSelector_ = requestDidFailSelector_;
  copied->queueDidFinishSelector_ = queueDidFinishSelector_;
  copied->uploadProgressDelegate_ = uploadProgressDelegate_;
  copied->downloadProgressDelegate_ = downloadProgressDelegate_;
  copied->shouldCancelAllRequestsOnFailure_ = shouldCancelAllRequestsOnFailure_;
  copied->showAccurateProgress_ = showAccurateProgress_;
  copied->userInfo_ = userInfo_;
  return copied;
}

// --- What the requests tell the queue ---

template <class Selector>
Selector NetworkQueue::selectorLocked(const Selector NetworkQueue::*selector) const {
  if (delegate_.expired()) return nullptr;
  return this->*selector;
}

bool NetworkQueue::respondsTo(Optional method) const {
  Lock lock(lock_);
  auto delegate = delegate_.lock();
  switch (method) {
    case Optional::willRedirect:
      return delegate && requestWillRedirectSelector_;
    case Optional::authenticationNeeded:
    case Optional::proxyAuthenticationNeeded:
      return delegate && delegate->respondsTo(method);
    case Optional::didReceiveData:
      return false;
  }
  return false;
}

void NetworkQueue::requestStarted(HTTPRequest& request) {
  bool withdrew = false;
  RequestSelector perform;
  {
    Lock lock(lock_);
    auto& attempt = attempts_[request.weak_from_this()];
    if (attempt.starts > 0 && (attempt.bytesDownloaded != 0 || attempt.downloadSizeAdded != 0)) {
      // A restart counts its bytes and its size again: take back what the last attempt counted.
      bytesDownloadedSoFar_ = addSigned(bytesDownloadedSoFar_, -attempt.bytesDownloaded);
      totalBytesToDownload_ = addSigned(totalBytesToDownload_, -attempt.downloadSizeAdded);
      withdrew = true;
    }
    attempt = AttemptProgress{attempt.starts + 1, 0, 0};
    perform = selectorLocked(&NetworkQueue::requestDidStartSelector_);
  }
  if (withdrew) reportProgress(Direction::download);
  if (perform) perform(request);
}

void NetworkQueue::requestDidReceiveResponseHeaders(HTTPRequest& request, const foundation::Dictionary& headers) {
  HeadersSelector perform;
  {
    Lock lock(lock_);
    perform = selectorLocked(&NetworkQueue::requestDidReceiveResponseHeadersSelector_);
  }
  if (perform) perform(request, headers);
}

void NetworkQueue::requestWillRedirectToURL(HTTPRequest& request, const std::string& newURL) {
  RedirectSelector perform;
  {
    Lock lock(lock_);
    perform = selectorLocked(&NetworkQueue::requestWillRedirectSelector_);
  }
  if (perform) perform(request, newURL);
}

int NetworkQueue::requestEnded(HTTPRequest& request, const RequestSelector NetworkQueue::*selector) {
  RequestSelector perform;
  QueueSelector finished;
  int left = 0;
  {
    Lock lock(lock_);
    left = --requestsCount_;
    attempts_.erase(request.weak_from_this());
    std::erase_if(attempts_, [](const auto& entry) { return entry.first.expired(); });
    perform = selectorLocked(selector);
    if (left == 0) finished = selectorLocked(&NetworkQueue::queueDidFinishSelector_);
  }
  if (perform) perform(request);
  if (finished) finished(*this);
  return left;
}

void NetworkQueue::requestFinished(HTTPRequest& request) {
  requestEnded(request, &NetworkQueue::requestDidFinishSelector_);
}

void NetworkQueue::requestFailed(HTTPRequest& request) {
  int left = requestEnded(request, &NetworkQueue::requestDidFailSelector_);
  if (left > 0 && shouldCancelAllRequestsOnFailure()) cancelAllOperations();
}

void NetworkQueue::authenticationNeededForRequest(HTTPRequest& request) {
  auto target = delegate();
  if (target && target->respondsTo(Optional::authenticationNeeded)) target->authenticationNeededForRequest(request);
}

void NetworkQueue::proxyAuthenticationNeededForRequest(HTTPRequest& request) {
  auto target = delegate();
  if (target && target->respondsTo(Optional::proxyAuthenticationNeeded)) {
    target->proxyAuthenticationNeededForRequest(request);
  }
}

void NetworkQueue::requestDidReceiveBytes(HTTPRequest& request, std::int64_t amount) {
  {
    Lock lock(lock_);
    bytesDownloadedSoFar_ = addSigned(bytesDownloadedSoFar_, amount);
    if (auto found = attempts_.find(request.weak_from_this()); found != attempts_.end()) {
      found->second.bytesDownloaded += amount;
    }
  }
  reportProgress(Direction::download);
}

void NetworkQueue::requestDidSendBytes(HTTPRequest&, std::int64_t amount) {
  {
    Lock lock(lock_);
    bytesUploadedSoFar_ = addSigned(bytesUploadedSoFar_, amount);
  }
  reportProgress(Direction::upload);
}

void NetworkQueue::requestIncrementDownloadSizeBy(HTTPRequest& request, std::int64_t amount) {
  Lock lock(lock_);
  totalBytesToDownload_ = addSigned(totalBytesToDownload_, amount);
  if (auto found = attempts_.find(request.weak_from_this()); found != attempts_.end() && found->second.starts > 0) {
    found->second.downloadSizeAdded += amount;
  }
}

void NetworkQueue::requestIncrementUploadSizeBy(HTTPRequest&, std::int64_t amount) {
  Lock lock(lock_);
  totalBytesToUpload_ = addSigned(totalBytesToUpload_, amount);
}

void NetworkQueue::reportProgress(Direction direction) {
  std::shared_ptr<ProgressDelegate> target;
  std::uint64_t done = 0;
  std::uint64_t total = 0;
  {
    Lock lock(lock_);
    bool up = direction == Direction::upload;
    target = (up ? uploadProgressDelegate_ : downloadProgressDelegate_).lock();
    done = up ? bytesUploadedSoFar_ : bytesDownloadedSoFar_;
    total = up ? totalBytesToUpload_ : totalBytesToDownload_;
  }
  // Nothing to measure against yet: no fraction rather than one that is not a number.
  if (!target || total == 0) return;
  double fraction = std::clamp(static_cast<double>(done) / static_cast<double>(total), 0.0, 1.0);
  target->setProgress(static_cast<float>(fraction));
}

void NetworkQueue::resetProgress(const std::shared_ptr<ProgressDelegate>& delegate) {
  if (!delegate) return;
  foundation::performOnMainThread([delegate] { delegate->setProgress(0); });
}

// --- Accessors ---

std::shared_ptr<HTTPRequestDelegate> NetworkQueue::delegate() const { return lockedRead(delegate_).lock(); }
void NetworkQueue::setDelegate(std::weak_ptr<HTTPRequestDelegate> delegate) {
  lockedWrite(delegate_, std::move(delegate));
}
void NetworkQueue::setRequestDidStartSelector(RequestSelector selector) {
  lockedWrite(requestDidStartSelector_, std::move(selector));
}
void NetworkQueue::setRequestDidReceiveResponseHeadersSelector(HeadersSelector selector) {
  lockedWrite(requestDidReceiveResponseHeadersSelector_, std::move(selector));
}
void NetworkQueue::setRequestWillRedirectSelector(RedirectSelector selector) {
  lockedWrite(requestWillRedirectSelector_, std::move(selector));
}
void NetworkQueue::setRequestDidFinishSelector(RequestSelector selector) {
  lockedWrite(requestDidFinishSelector_, std::move(selector));
}
void NetworkQueue::setRequestDidFailSelector(RequestSelector selector) {
  lockedWrite(requestDidFailSelector_, std::move(selector));
}
void NetworkQueue::setQueueDidFinishSelector(QueueSelector selector) {
  lockedWrite(queueDidFinishSelector_, std::move(selector));
}

std::shared_ptr<ProgressDelegate> NetworkQueue::uploadProgressDelegate() const {
  return lockedRead(uploadProgressDelegate_).lock();
}
void NetworkQueue::setUploadProgressDelegate(std::weak_ptr<ProgressDelegate> delegate) {
  lockedWrite(uploadProgressDelegate_, delegate);
  resetProgress(delegate.lock());
}
std::shared_ptr<ProgressDelegate> NetworkQueue::downloadProgressDelegate() const {
  return lockedRead(downloadProgressDelegate_).lock();
}
void NetworkQueue::setDownloadProgressDelegate(std::weak_ptr<ProgressDelegate> delegate) {
  lockedWrite(downloadProgressDelegate_, delegate);
  resetProgress(delegate.lock());
}

std::uint64_t NetworkQueue::bytesUploadedSoFar() const { return lockedRead(bytesUploadedSoFar_); }
void NetworkQueue::setBytesUploadedSoFar(std::uint64_t bytes) { lockedWrite(bytesUploadedSoFar_, bytes); }
std::uint64_t NetworkQueue::totalBytesToUpload() const { return lockedRead(totalBytesToUpload_); }
void NetworkQueue::setTotalBytesToUpload(std::uint64_t bytes) { lockedWrite(totalBytesToUpload_, bytes); }
std::uint64_t NetworkQueue::bytesDownloadedSoFar() const { return lockedRead(bytesDownloadedSoFar_); }
void NetworkQueue::setBytesDownloadedSoFar(std::uint64_t bytes) { lockedWrite(bytesDownloadedSoFar_, bytes); }
std::uint64_t NetworkQueue::totalBytesToDownload() const { return lockedRead(totalBytesToDownload_); }
void NetworkQueue::setTotalBytesToDownload(std::uint64_t bytes) { lockedWrite(totalBytesToDownload_, bytes); }
bool NetworkQueue::shouldCancelAllRequestsOnFailure() const { return lockedRead(shouldCancelAllRequestsOnFailure_); }
void NetworkQueue::setShouldCancelAllRequestsOnFailure(bool cancel) {
  lockedWrite(shouldCancelAllRequestsOnFailure_, cancel);
}
int NetworkQueue::requestsCount() const { return lockedRead(requestsCount_); }
void NetworkQueue::setRequestsCount(int count) { lockedWrite(requestsCount_, count); }
bool NetworkQueue::showAccurateProgress() const { return lockedRead(showAccurateProgress_); }
void NetworkQueue::setShowAccurateProgress(bool accurate) { lockedWrite(showAccurateProgress_, accurate); }
foundation::Dictionary NetworkQueue::userInfo() const { return lockedRead(userInfo_); }
void NetworkQueue::setUserInfo(foundation::Dictionary userInfo) { lockedWrite(userInfo_, std::move(userInfo)); }

}  // namespace http
