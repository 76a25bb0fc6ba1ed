#include "src/http/NetworkActivityIndicator.h"

#include <algorithm>

#include "platform/foundation/RunLoop.h"

namespace http {
namespace {

foundation::TimePoint afterHideDelay(foundation::TimePoint from) {
  return from + std::chrono::duration_cast<foundation::TimePoint::duration>(
                    foundation::Duration(NetworkActivityIndicator::kHideDelaySeconds));
}

}  // namespace

NetworkActivityIndicator& NetworkActivityIndicator::shared() {
  static NetworkActivityIndicator* indicator = new NetworkActivityIndicator();  // used until exit
  return *indicator;
}

void NetworkActivityIndicator::streamScheduled() {
  std::scoped_lock lock(mutex_);
  ++runningRequestCount_;
  if (shouldUpdate_) visible_.store(true);
}

void NetworkActivityIndicator::streamUnscheduled() {
  foundation::TimePoint due;
  {
    std::scoped_lock lock(mutex_);
    --runningRequestCount_;
    if (!shouldUpdate_ || runningRequestCount_ != 0) return;
    lastUnscheduled_ = foundation::Clock::current().now();
    due = afterHideDelay(lastUnscheduled_);
    // A check already due in time looks at the last unscheduling when it runs.
    if (hidePending_ && pendingHideDue_ <= due) return;
    hidePending_ = true;
    pendingHideDue_ = due;
  }
  foundation::performOnMainThread([this, due] { scheduleHide(due); });
}

void NetworkActivityIndicator::scheduleHide(foundation::TimePoint due) {
  foundation::Duration wait = due - foundation::Clock::current().now();
  foundation::RunLoop::main().scheduleTimer(std::max(wait, foundation::Duration(0)), false, [this] { hideIfNeeded(); });
}

std::int64_t NetworkActivityIndicator::runningRequestCount() const {
  std::scoped_lock lock(mutex_);
  return runningRequestCount_;
}

void NetworkActivityIndicator::setShouldUpdate(bool update) {
  std::scoped_lock lock(mutex_);
  shouldUpdate_ = update;
}

void NetworkActivityIndicator::hideIfNeeded() {
  foundation::TimePoint due;
  {
    std::scoped_lock lock(mutex_);
    if (runningRequestCount_ != 0) {
      hidePending_ = false;  // the next unscheduling arranges a new check
      return;
    }
    due = afterHideDelay(lastUnscheduled_);
    if (foundation::Clock::current().now() >= due) {
      hidePending_ = false;
      visible_.store(false);
      return;
    }
    pendingHideDue_ = due;
  }
  scheduleHide(due);
}

}  // namespace http
