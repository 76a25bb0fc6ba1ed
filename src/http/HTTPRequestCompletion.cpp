// The end of the stream: totals, files put into place, the connection returned, success reported.
#include "platform/foundation/FileManager.h"
#include "platform/net/HTTPReadStream.h"
#include "src/http/ConnectionPool.h"
#include "src/http/DataDecompressor.h"
#include "src/http/HTTPRequest.h"

namespace http {
namespace {

foundation::ErrorPtr moveError(const std::string& from, const std::string& to, foundation::ErrorPtr underlying) {
  return makeRequestError(HTTPRequestErrorCode::fileManagement,
                          "Failed to move file from '" + from + "' to '" + to + "'", std::move(underlying));
}

}  // namespace

void HTTPRequest::handleStreamComplete() {
  setStatusTimer(nullptr);
  downloadComplete_ = true;
  if (!headersRead_) {
    readResponseHeaders();
    if (complete_ || !readStream_) return;  // a 304 answered from the cache (or failed)
  }
  foundation::ErrorPtr fileError;
  {
    std::scoped_lock progress(progressLock());
    lastBytesSent_ = totalBytesSent_;
    totalBytesSent_ = readStream_->requestBodyBytesWritten();
    complete_ = true;
    if (contentLength_ == 0) contentLength_ = totalBytesRead_;
    updateProgressIndicators();
    postBodyReadStream_.reset();
    dataDecompressor_.reset();
    if (isFileDownload()) {
      std::string validatorPath = resumeValidatorPath();
      fileError = putDownloadInPlace();
      // The partial file is gone (into place or removed): its validator goes with it.
      if (settings_.temporaryFileDownloadPath.empty()) (void)removeFileAtPath(validatorPath);
    }
    if (!fileError) fileError = inflateErrorOfBodyInMemory();
    // With resume, a redirect's body was dropped and no file was put in place.
    if (!fileError && !(needsRedirect_ && settings_.shouldRedirect && settings_.allowResumeForFileDownloads))
      storeInCache();
    if (didCreateTemporaryPostDataFile_ && authenticationNeeded_ == 0) {
      if (auto removed = removeTemporaryUploadFiles(); !removed.ok() && !fileError) fileError = removed.error();
    }
  }
  releaseConnectionRecord();
  if (authenticationNeeded_ == 0) destroyReadStream();
  if (needsRedirect_ || authenticationNeeded_ != 0) return;  // the event step goes on with them
  if (fileError) {
    failWithError(fileError);
  } else {
    requestFinished();
  }
  markAsFinished();
}

foundation::ErrorPtr HTTPRequest::putDownloadInPlace() {
  foundation::ErrorPtr error = closeDownloadFiles();
  // With resume allowed, the partial file waits for the next location of a redirect.
  if (needsRedirect_ && settings_.shouldRedirect && settings_.allowResumeForFileDownloads) return error;
  if (!error && !fileOutputOpened_) {
    // No body arrived. A redirect, a challenge or an error page without one leaves the files as
    // they were; a successful empty reply still gives its (empty) file, and the final reply to a
    // resumed download is still checked against the partial file.
    if (!bodylessReplyTouchesFiles()) return nullptr;
    if (auto opened = openDownloadFile(); !opened.ok()) return opened.error();
    error = closeDownloadFiles();
  }
  if (error) return error;

  const bool compressed = isResponseCompressedLocked() && !replyCompletesPartialFile_;
  if (compressed && shouldWaitToInflateCompressedResponses_) {
    auto inflated = DataDecompressor::uncompressDataFromFile(settings_.temporaryFileDownloadPath,
                                                             settings_.downloadDestinationPath);
    if (!inflated.ok()) error = inflated.error();
    if (auto removed = removeFileAtPath(settings_.temporaryFileDownloadPath); !removed.ok() && !error)
      error = removed.error();
    settings_.temporaryFileDownloadPath.clear();
  } else if (compressed) {
    auto moved =
        foundation::FileManager::moveItem(temporaryUncompressedDataDownloadPath_, settings_.downloadDestinationPath);
    if (!moved.ok())
      error = moveError(temporaryUncompressedDataDownloadPath_, settings_.downloadDestinationPath, moved.error());
    temporaryUncompressedDataDownloadPath_.clear();
    if (auto removed = removeFileAtPath(settings_.temporaryFileDownloadPath); !removed.ok() && !error)
      error = removed.error();
    settings_.temporaryFileDownloadPath.clear();
  } else {
    if (auto removed = removeFileAtPath(settings_.downloadDestinationPath); !removed.ok()) return removed.error();
    auto moved =
        foundation::FileManager::moveItem(settings_.temporaryFileDownloadPath, settings_.downloadDestinationPath);
    if (!moved.ok())
      return moveError(settings_.temporaryFileDownloadPath, settings_.downloadDestinationPath, moved.error());
    settings_.temporaryFileDownloadPath.clear();
  }
  return error;
}

bool HTTPRequest::bodylessReplyTouchesFiles() const {
  if (needsRedirect_ || authenticationNeeded_ != 0) return false;
  return (responseStatusCode_ >= 200 && responseStatusCode_ < 300) || sentRangeStart_ != 0;
}

foundation::ErrorPtr HTTPRequest::inflateErrorOfBodyInMemory() const {
  if (isFileDownload() || hasDataReceiver() || !shouldWaitToInflateCompressedResponses_ || rawResponseData_.empty() ||
      !isResponseCompressedLocked()) {
    return nullptr;
  }
  // A body that cannot be inflated is a failed request, as it is for a download.
  auto inflated = DataDecompressor::uncompressData(rawResponseData_);
  return inflated.ok() ? nullptr : inflated.error();
}

foundation::ErrorPtr HTTPRequest::closeDownloadFiles() {
  foundation::ErrorPtr error;
  for (auto* stream : {&fileDownloadOutputStream_, &inflatedFileDownloadOutputStream_}) {
    if (!*stream) continue;
    // Closing reports what some file systems only notice then (a full disk).
    if (auto closed = (*stream)->close(); !closed.ok() && !error) {
      error = makeRequestError(HTTPRequestErrorCode::fileManagement,
                               "Failed to write to file at path '" + (*stream)->path() + "'", closed.error());
    }
    stream->reset();
  }
  return error;
}

void HTTPRequest::releaseConnectionRecord() {
  auto& pool = ConnectionPool::shared();
  std::scoped_lock poolLock(pool.lock());
  if (!connectionCanBeReused_) unscheduleReadStream();
  if (!connectionInfo_) return;
  connectionInfo_->request.reset();
  connectionInfo_->expires =
      foundation::Clock::current().now() + std::chrono::duration_cast<foundation::TimePoint::duration>(
                                               foundation::Duration(settings_.persistentConnectionTimeoutSeconds));
  if (!connectionCanBeReused_) {
    // The socket closes with the stream; a later request must not expect it under this record.
    pool.remove(connectionInfo_);
    connectionInfo_.reset();
  }
}

}  // namespace http
