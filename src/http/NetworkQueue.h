#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/Value.h"
#include "src/http/HTTPRequestQueueDelegate.h"

namespace http {

class HTTPRequest;

// Runs HTTP requests as a group. A new queue is suspended, so that it can be filled before
// anything starts (go() starts it); at most 4 requests run at once unless the width is changed.
// The queue sums the upload and the download progress of its requests for two progress
// delegates, forwards each request's events to its delegate through configurable callbacks,
// says when the last request has ended, and by default cancels every other request as soon as
// one fails. With accurate progress, a GET added before go() is preceded by a HEAD request that
// learns its size.
//
// Threads: requests report to the queue on the main thread, and the queue's users call it there;
// the fields are guarded by a lock of the queue's own, since requests also ask it (respondsTo)
// from the network thread.
class NetworkQueue : public foundation::OperationQueue,
                     public HTTPRequestQueueDelegate,
                     public std::enable_shared_from_this<NetworkQueue> {
 public:
  // Each is performed on the delegate: only while a delegate is set.
  using RequestSelector = std::function<void(HTTPRequest&)>;
  using HeadersSelector = std::function<void(HTTPRequest&, const foundation::Dictionary&)>;
  using RedirectSelector = std::function<void(HTTPRequest&, const std::string&)>;
  using QueueSelector = std::function<void(NetworkQueue&)>;

  static constexpr int kDefaultWidth = 4;
  // Above every named priority: HEAD requests go first.
  static constexpr int kHEADRequestPriority = 10;

  // Any thread. A new queue: suspended, 4 wide, cancelling the rest on a failure.
  static std::shared_ptr<NetworkQueue> queue();

  // Main thread. Lets the queued requests start.
  void go();
  // Main thread. Cancels everything, forgets the delegates and the callbacks (all but the
  // redirect one) and suspends the queue again.
  void reset();
  // Main thread. Adds a request (see the class comment); false, with a message on stderr, for
  // anything that is not an HTTPRequest, and for a request that cannot be queued.
  bool addOperation(std::shared_ptr<foundation::Operation> operation) override;
  // Main thread. Sets the byte counts and totals to 0, then cancels every request; each then
  // reports its failure (the cancelled code) like any other.
  void cancelAllOperations() override;
  // Main thread. A new suspended queue of width 4 with this one's delegate, callbacks, progress
  // delegates, failure rule, progress accuracy and user info; no requests and no counts.
  std::shared_ptr<NetworkQueue> copy() const;

  // --- Accessors (any thread) ---
  std::shared_ptr<HTTPRequestDelegate> delegate() const;
  void setDelegate(std::weak_ptr<HTTPRequestDelegate> delegate);
  void setRequestDidStartSelector(RequestSelector selector);
  void setRequestDidReceiveResponseHeadersSelector(HeadersSelector selector);
  void setRequestWillRedirectSelector(RedirectSelector selector);
  void setRequestDidFinishSelector(RequestSelector selector);
  void setRequestDidFailSelector(RequestSelector selector);
  void setQueueDidFinishSelector(QueueSelector selector);
  std::shared_ptr<ProgressDelegate> uploadProgressDelegate() const;
  // Also resets the delegate's progress to 0.
  void setUploadProgressDelegate(std::weak_ptr<ProgressDelegate> delegate);
  std::shared_ptr<ProgressDelegate> downloadProgressDelegate() const;
  // Also resets the delegate's progress to 0.
  void setDownloadProgressDelegate(std::weak_ptr<ProgressDelegate> delegate);
  std::uint64_t bytesUploadedSoFar() const;
  void setBytesUploadedSoFar(std::uint64_t bytes);
  std::uint64_t totalBytesToUpload() const;
  void setTotalBytesToUpload(std::uint64_t bytes);
  std::uint64_t bytesDownloadedSoFar() const;
  void setBytesDownloadedSoFar(std::uint64_t bytes);
  std::uint64_t totalBytesToDownload() const;
  void setTotalBytesToDownload(std::uint64_t bytes);
  bool shouldCancelAllRequestsOnFailure() const;
  void setShouldCancelAllRequestsOnFailure(bool cancel);
  // Requests added and not yet finished or failed.
  int requestsCount() const;
  void setRequestsCount(int count);
  // Count progress in bytes rather than in requests; given to each request as it is added.
  bool showAccurateProgress() const;
  void setShowAccurateProgress(bool accurate);
  foundation::Dictionary userInfo() const;
  void setUserInfo(foundation::Dictionary userInfo);

  // --- What the requests tell the queue (main thread) ---
  bool respondsTo(Optional method) const override;
  void requestStarted(HTTPRequest& request) override;
  void requestDidReceiveResponseHeaders(HTTPRequest& request, const foundation::Dictionary& headers) override;
  void requestWillRedirectToURL(HTTPRequest& request, const std::string& newURL) override;
  void requestFinished(HTTPRequest& request) override;
  void requestFailed(HTTPRequest& request) override;
  void authenticationNeededForRequest(HTTPRequest& request) override;
  void proxyAuthenticationNeededForRequest(HTTPRequest& request) override;
  void requestDidReceiveBytes(HTTPRequest& request, std::int64_t amount) override;
  void requestDidSendBytes(HTTPRequest& request, std::int64_t amount) override;
  void requestIncrementDownloadSizeBy(HTTPRequest& request, std::int64_t amount) override;
  void requestIncrementUploadSizeBy(HTTPRequest& request, std::int64_t amount) override;

 private:
  using Lock = std::scoped_lock<std::mutex>;
  enum class Direction { upload, download };
  // What one request has counted since its latest attempt began, so that a restart can take it
  // back instead of counting the same bytes twice.
  struct AttemptProgress {
    int starts = 0;
    std::int64_t bytesDownloaded = 0;
    std::int64_t downloadSizeAdded = 0;
  };

  NetworkQueue();
  void addHEADOperation(const std::shared_ptr<HTTPRequest>& request);
  // Counts `request` out; performs `selector`, then the queue-finished callback when it was the
  // last. Returns the count left.
  int requestEnded(HTTPRequest& request, const RequestSelector NetworkQueue::*selector);
  void addBytes(Direction direction, std::int64_t amount);
  void addTotal(Direction direction, std::int64_t amount);
  void reportProgress(Direction direction);
  static void resetProgress(const std::shared_ptr<ProgressDelegate>& delegate);
  // Under the lock. The callback to run now, or an empty one when there is no delegate to run
  // it on.
  template <class Selector>
  Selector selectorLocked(const Selector NetworkQueue::*selector) const;
  // A field read or written under the lock.
  template <class T>
  T lockedRead(const T& field) const {
    Lock lock(lock_);
    return field;
  }
  template <class T>
  void lockedWrite(T& field, T value) {
    Lock lock(lock_);
    field = std::move(value);
  }

  mutable std::mutex lock_;  // guards every field below
  std::weak_ptr<HTTPRequestDelegate> delegate_;
  RequestSelector requestDidStartSelector_;
  HeadersSelector requestDidReceiveResponseHeadersSelector_;
  RedirectSelector requestWillRedirectSelector_;
  RequestSelector requestDidFinishSelector_;
  RequestSelector requestDidFailSelector_;
  QueueSelector queueDidFinishSelector_;
  std::weak_ptr<ProgressDelegate> uploadProgressDelegate_;
  std::uint64_t bytesUploadedSoFar_ = 0;
  std::uint64_t totalBytesToUpload_ = 0;
  std::weak_ptr<ProgressDelegate> downloadProgressDelegate_;
  std::uint64_t bytesDownloadedSoFar_ = 0;
  std::uint64_t totalBytesToDownload_ = 0;
  bool shouldCancelAllRequestsOnFailure_ = true;
  int requestsCount_ = 0;
  bool showAccurateProgress_ = false;
  foundation::Dictionary userInfo_;
  // By owner, so that a new request at a freed one's address is not taken for it.
  std::map<std::weak_ptr<foundation::Operation>, AttemptProgress, std::owner_less<>> attempts_;
};

}  // namespace http
