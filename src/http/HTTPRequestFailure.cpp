// Watching a running request (time-outs, restarts) and ending it when it does not succeed.
#include "platform/net/HTTPMessage.h"
#include "platform/net/HTTPReadStream.h"
#include "platform/net/NetErrors.h"
#include "src/http/ConnectionPool.h"
#include "src/http/HTTPRequest.h"

namespace http {
namespace {

foundation::TimePoint now() { return foundation::Clock::current().now(); }

constexpr const char* kConnectionFailure = "A connection failure occurred";
constexpr const char* kSSLProblem =
    ": SSL problem (Possible causes may include a bad/expired/self-signed certificate, clock set to wrong date)";

}  // namespace

void HTTPRequest::checkRequestStatus() {
  Lock lock(cancelledLock_);
  if (isCancelled() || complete_) return;
  if (shouldTimeOut()) {
    if (settings_.numberOfTimesToRetryOnTimeout > retryCount_) {
      retryAfterTimeOut();
    } else {
      failWithError(requestTimedOutError());
      cancelLoad();
      complete_ = true;
    }
    return;
  }
  if (!readStream_) return;
  if (settings_.postLength != 0) {
    lastBytesSent_ = totalBytesSent_;
    totalBytesSent_ = readStream_->requestBodyBytesWritten();
    if (totalBytesSent_ > lastBytesSent_) lastActivityTime_ = now();
  }
  performThrottling();
  updateProgressIndicators();
}

bool HTTPRequest::shouldTimeOut() const {
  if (!readStream_ || !readStreamIsScheduled_ || !lastActivityTime_ || settings_.timeOutSeconds <= 0) return false;
  double idle = std::chrono::duration<double>(now() - *lastActivityTime_).count();
  if (idle <= settings_.timeOutSeconds) return false;
  if (settings_.postLength == 0 || (uploadBufferSize_ != 0 && totalBytesSent_ > uploadBufferSize_)) return true;
  // The platform may still be pushing the first buffer-full of a body out: allow it longer.
  return idle > 1.5 * settings_.timeOutSeconds;
}

void HTTPRequest::retryAfterTimeOut() {
  // The timed-out attempt is dropped whole: its stream, its connection (the server may still be
  // writing into it) and its open files, so that the partial size counts every byte on disk and
  // no stale bytes are appended later.
  forgetConnectionRecord();
  connectionCanBeReused_ = false;
  destroyReadStream();
  (void)closeDownloadFiles();
  if (auto measured = updatePartialDownloadSize(); !measured.ok()) {
    failWithError(measured.error());
    return;
  }
  sentRangeStart_ = partialDownloadSize_;
  if (partialDownloadSize_ != 0) {
    request_->setHeaderFieldValue("Range", "bytes=" + std::to_string(partialDownloadSize_) + "-");
  } else {
    request_->setHeaderFieldValue("Range", std::nullopt);
  }
  request_->setHeaderFieldValue("If-Range", storedResumeValidator());
  ++retryCount_;
  startRequest();
}

void HTTPRequest::handleStreamError() {
  foundation::ErrorPtr streamError = readStream_ ? readStream_->error() : nullptr;
  bool wasReused = readStream_ && readStream_->connectionWasReused();
  if (!error_) {
    // Only a connection that was reused may be sent again: a fresh one might have been processed.
    if (streamError && wasReused && net::isRestartCase(*streamError) && retryUsingNewConnection()) return;
    keepHeadOfFailedResponse();
    std::string description = kConnectionFailure;
    if (streamError && net::isTLSError(*streamError)) description += kSSLProblem;
    cancelLoad();
    failWithError(makeRequestError(HTTPRequestErrorCode::connectionFailure, description, streamError));
  } else {
    cancelLoad();
  }
  checkRequestStatus();
}

bool HTTPRequest::retryUsingNewConnection() {
  if (retryCount_ != 0) return false;
  willRetryRequest_ = true;
  cancelLoad();
  willRetryRequest_ = false;
  forgetConnectionRecord();
  ++retryCount_;
  startRequest();
  return true;
}

void HTTPRequest::forgetConnectionRecord() {
  auto& pool = ConnectionPool::shared();
  std::scoped_lock poolLock(pool.lock());
  if (!connectionInfo_) return;
  connectionInfo_->request.reset();
  pool.remove(connectionInfo_);
  connectionInfo_.reset();
}

void HTTPRequest::failWithError(foundation::ErrorPtr error) {
  complete_ = true;
  if (!isRequestError(error, HTTPRequestErrorCode::authenticationNeeded) &&
      !isRequestError(error, HTTPRequestErrorCode::tooManyRedirects)) {
    // A failed connection is never reused.
    forgetConnectionRecord();
    destroyReadStream();
  }
  if (connectionCanBeReused_ && connectionInfo_) {
    std::scoped_lock poolLock(ConnectionPool::shared().lock());
    connectionInfo_->expires = now() + std::chrono::duration_cast<foundation::TimePoint::duration>(
                                           foundation::Duration(settings_.persistentConnectionTimeoutSeconds));
  }
  if (isCancelled() || error_) return;  // the first failure wins
  if (fallBackToCache(error)) return;
  error_ = error;
  if (auto main = mainRequest_.lock()) {
    // The main request's fields are its own: read and written under its lock. A main request
    // that failed by itself has reported it: a queue counts each request once.
    Lock mainLock(main->cancelledLock_);
    if (!main->error_) {
      main->error_ = error;
      main->reportFailure();
    }
  } else {
    reportFailure();
  }
  if (isExecuting()) markAsFinished();
}

void HTTPRequest::fail(foundation::ErrorPtr error) {
  Lock lock(cancelledLock_);
  failWithError(std::move(error));
}

void HTTPRequest::cancel() {
  networkLoop().post([request = self()] { request->cancelOnRequestThread(); });
}

void HTTPRequest::cancelOnRequestThread() {
  Lock lock(cancelledLock_);
  // A request waiting for its delegate to confirm a redirect or to supply credentials has
  // completed one exchange but is still running: it can be cancelled, or it would hold its
  // queue's place for good.
  bool waitingForAnswer = complete_ && (needsRedirect_ || authenticationNeeded_ != 0) && isExecuting();
  if (isCancelled() || (complete_ && !waitingForAnswer)) return;
  failWithError(requestCancelledError());
  complete_ = true;
  cancelLoad();
  if (PACFileRequest_) PACFileRequest_->cancel();
  foundation::Operation::cancel();
}

void HTTPRequest::clearDelegatesAndCancel() {
  {
    Lock lock(cancelledLock_);
    settings_.delegate.reset();
    queue_.reset();
    settings_.uploadProgressDelegate.reset();
    settings_.downloadProgressDelegate.reset();
    releaseBlocksOnMainThread();
  }
  cancel();
}

void HTTPRequest::cancelLoad() {
  destroyReadStream();
  postBodyReadStream_.reset();
  if (auto failed = removePartialFiles(); !failed.ok()) failWithError(failed.error());
}

foundation::Status HTTPRequest::removePartialFiles() {
  foundation::Status result;
  auto keepFirst = [&result](foundation::Status status) {
    if (result.ok() && !status.ok()) result = std::move(status);
  };
  if (!isFileDownload()) {
    if (!complete_) rawResponseData_.clear();
  } else {
    (void)closeDownloadFiles();
    if (!complete_ && !settings_.allowResumeForFileDownloads && !settings_.temporaryFileDownloadPath.empty()) {
      keepFirst(removeFileAtPath(settings_.temporaryFileDownloadPath));
      settings_.temporaryFileDownloadPath.clear();
    }
    if (!temporaryUncompressedDataDownloadPath_.empty()) {
      keepFirst(removeFileAtPath(temporaryUncompressedDataDownloadPath_));
      temporaryUncompressedDataDownloadPath_.clear();
    }
  }
  if (authenticationNeeded_ == 0 && !willRetryRequest_ && didCreateTemporaryPostDataFile_) {
    keepFirst(removeTemporaryUploadFiles());
    didCreateTemporaryPostDataFile_ = false;
  }
  return result;
}

}  // namespace http
