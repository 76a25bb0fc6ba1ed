// Progress: computed on the network thread as increments and delivered on the main thread.
#include <algorithm>

#include "platform/foundation/RunLoop.h"
#include "src/http/HTTPRequest.h"
#include "src/http/HTTPRequestBlocks.h"

namespace http {

std::recursive_mutex& HTTPRequest::progressLock() {
  static std::recursive_mutex* lock = new std::recursive_mutex();  // used until exit
  return *lock;
}

void HTTPRequest::updateProgressIndicators() {
  if (isHEADRequest()) return;
  // Counted in units, a request reports once, when it is complete.
  if (!settings_.showAccurateProgress && (!complete_ || updatedProgress_)) return;
  updateUploadProgress();
  updateDownloadProgress();
}

void HTTPRequest::updateDownloadProgress() {
  if (!headersRead_ || needsRedirect_ || (contentLength_ == 0 && !complete_)) return;
  std::uint64_t read = totalBytesRead_ + partialDownloadSize_;
  std::int64_t amount = 1;
  if (settings_.showAccurateProgress && contentLength_ != 0) {
    amount = static_cast<std::int64_t>(read - lastBytesRead_);
    if (amount == 0) return;
  } else {
    updatedProgress_ = true;
  }
  std::uint64_t total = contentLength_ + partialDownloadSize_;
  deliverProgress(ProgressReceiver::queue, [amount](ProgressDelegate& receiver, HTTPRequest& request) {
    receiver.requestDidReceiveBytes(request, amount);
  });
  deliverProgress(ProgressReceiver::downloadDelegate, [amount](ProgressDelegate& receiver, HTTPRequest& request) {
    receiver.requestDidReceiveBytes(request, amount);
  });
  deliverFraction(ProgressReceiver::downloadDelegate, read, total);
  callProgressBlock(&Blocks::bytesReceived, amount, total);
  lastBytesRead_ = read;
}

void HTTPRequest::updateUploadProgress() {
  if (isCancelled() || totalBytesSent_ == 0) return;
  if (uploadBufferSize_ == 0 && totalBytesSent_ != settings_.postLength) {
    // What the platform swallowed into its send buffer at once is not progress yet.
    uploadBufferSize_ = totalBytesSent_;
    incrementUploadSizeBy(-static_cast<std::int64_t>(uploadBufferSize_));
  }
  std::int64_t amount = 0;
  if (settings_.showAccurateProgress) {
    if (totalBytesSent_ == settings_.postLength || lastBytesSent_ != 0) {
      amount = static_cast<std::int64_t>(totalBytesSent_ - lastBytesSent_);
    }
  } else {
    amount = 1;
    updatedProgress_ = true;
  }
  if (amount == 0) return;
  deliverProgress(ProgressReceiver::queue, [amount](ProgressDelegate& receiver, HTTPRequest& request) {
    receiver.requestDidSendBytes(request, amount);
  });
  deliverProgress(ProgressReceiver::uploadDelegate, [amount](ProgressDelegate& receiver, HTTPRequest& request) {
    receiver.requestDidSendBytes(request, amount);
  });
  std::uint64_t sentBeyondBuffer = totalBytesSent_ > uploadBufferSize_ ? totalBytesSent_ - uploadBufferSize_ : 0;
  std::uint64_t lengthBeyondBuffer =
      settings_.postLength > uploadBufferSize_ ? settings_.postLength - uploadBufferSize_ : 0;
  deliverFraction(ProgressReceiver::uploadDelegate, sentBeyondBuffer, lengthBeyondBuffer);
  callProgressBlock(&Blocks::bytesSent, amount, settings_.postLength);
}

void HTTPRequest::incrementDownloadSizeBy(std::int64_t amount) {
  deliverProgress(ProgressReceiver::queue, [amount](ProgressDelegate& receiver, HTTPRequest& request) {
    receiver.requestIncrementDownloadSizeBy(request, amount);
  });
  deliverProgress(ProgressReceiver::downloadDelegate, [amount](ProgressDelegate& receiver, HTTPRequest& request) {
    receiver.requestIncrementDownloadSizeBy(request, amount);
  });
  callSizeBlock(&Blocks::downloadSizeIncremented, amount);
}

void HTTPRequest::incrementUploadSizeBy(std::int64_t amount) {
  deliverProgress(ProgressReceiver::queue, [amount](ProgressDelegate& receiver, HTTPRequest& request) {
    receiver.requestIncrementUploadSizeBy(request, amount);
  });
  deliverProgress(ProgressReceiver::uploadDelegate, [amount](ProgressDelegate& receiver, HTTPRequest& request) {
    receiver.requestIncrementUploadSizeBy(request, amount);
  });
  callSizeBlock(&Blocks::uploadSizeIncremented, amount);
}

void HTTPRequest::removeUploadProgressSoFar() {
  auto amount = -static_cast<std::int64_t>(totalBytesSent_);
  deliverProgress(ProgressReceiver::queue, [amount](ProgressDelegate& receiver, HTTPRequest& request) {
    receiver.requestDidSendBytes(request, amount);
  });
  deliverProgress(ProgressReceiver::uploadDelegate, [amount](ProgressDelegate& receiver, HTTPRequest& request) {
    receiver.requestDidSendBytes(request, amount);
  });
  deliverFraction(ProgressReceiver::uploadDelegate, 0, settings_.postLength);
  callProgressBlock(&Blocks::bytesSent, amount, settings_.postLength);
}

std::shared_ptr<ProgressDelegate> HTTPRequest::progressReceiver(ProgressReceiver receiver) const {
  Lock lock(cancelledLock_);
  switch (receiver) {
    case ProgressReceiver::queue:
      return queue_;
    case ProgressReceiver::uploadDelegate:
      return settings_.uploadProgressDelegate.lock();
    case ProgressReceiver::downloadDelegate:
      return settings_.downloadProgressDelegate.lock();
  }
  return nullptr;
}

void HTTPRequest::deliverProgress(ProgressReceiver receiver,
                                  std::function<void(ProgressDelegate&, HTTPRequest&)> call) {
  onMainThread([receiver, call = std::move(call)](HTTPRequest& request) {
    if (auto target = request.progressReceiver(receiver)) call(*target, request);
  });
}

void HTTPRequest::deliverFraction(ProgressReceiver receiver, std::uint64_t progress, std::uint64_t total) {
  if (total == 0) return;  // nothing to measure against
  auto fraction = static_cast<float>(std::clamp(static_cast<double>(progress) / static_cast<double>(total), 0.0, 1.0));
  std::scoped_lock lock(progressLock());
  deliverProgress(receiver, [fraction](ProgressDelegate& target, HTTPRequest&) { target.setProgress(fraction); });
}

void HTTPRequest::callProgressBlock(ProgressBlock Blocks::*member, std::int64_t amount, std::uint64_t total) {
  onMainThread([member, amount, total](HTTPRequest& request) {
    auto block = request.blockCopy(member);
    if (block) block(static_cast<std::uint64_t>(amount), total);
  });
}

void HTTPRequest::callSizeBlock(SizeBlock Blocks::*member, std::int64_t amount) {
  onMainThread([member, amount](HTTPRequest& request) {
    auto block = request.blockCopy(member);
    if (block) block(amount);
  });
}

}  // namespace http
