#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "platform/foundation/Clock.h"

namespace http {

// The status bar's network activity indicator as the engine drives it: on while any request's
// read stream is scheduled, off half a second after the last one is unscheduled, so that a
// request following another at once causes no flicker.
class NetworkActivityIndicator {
 public:
  static constexpr double kHideDelaySeconds = 0.5;

  // Any thread. The one indicator of the process.
  static NetworkActivityIndicator& shared();

  // Network thread. A request's read stream was scheduled: count it and show the indicator.
  void streamScheduled();
  // Network thread. A read stream was unscheduled: when none is left, arrange the delayed hide
  // on the main thread.
  void streamUnscheduled();

  // Any thread. Requests whose read stream is scheduled now.
  std::int64_t runningRequestCount() const;
  // Any thread. Whether the indicator shows.
  bool isVisible() const { return visible_.load(); }
  // Any thread. Whether requests drive the indicator at all (on by default).
  void setShouldUpdate(bool update);

 private:
  NetworkActivityIndicator() = default;
  // Main thread. Hides the indicator once no stream has been scheduled for the delay.
  void hideIfNeeded();
  // Main thread. Runs hideIfNeeded() at `due`.
  void scheduleHide(foundation::TimePoint due);

  mutable std::mutex mutex_;  // guards what follows
  std::int64_t runningRequestCount_ = 0;
  bool shouldUpdate_ = true;
  // One pending check serves every unscheduling before it: it looks at the last one.
  bool hidePending_ = false;
  foundation::TimePoint pendingHideDue_{};
  foundation::TimePoint lastUnscheduled_{};
  std::atomic<bool> visible_{false};
};

}  // namespace http
