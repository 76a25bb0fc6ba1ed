#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/foundation/RunLoop.h"

namespace foundation {

class ScheduledTimer;

// The timers of one run loop, ordered by due time and then by the order they were made. Timers
// are added and removed from any thread; handlers run only on the loop's thread (fireNextUntil).
class TimerSchedule : public std::enable_shared_from_this<TimerSchedule> {
 public:
  // `wake` (any thread) tells the loop that the earliest due time may have changed; `postToLoop`
  // runs a function on the loop's thread later.
  TimerSchedule(std::function<void()> wake, std::function<void(std::function<void()>)> postToLoop);

  // Any thread.
  std::shared_ptr<Timer> add(Duration interval, bool repeats, std::function<void()> handler);
  // Any thread. The due time of the earliest timer, or TimePoint::max().
  TimePoint earliest() const;
  // Loop thread. Fires the earliest timer if it is due at or before `limit`; returns whether it did.
  bool fireNextUntil(TimePoint limit);

 private:
  friend class ScheduledTimer;
  using Key = std::pair<TimePoint, std::uint64_t>;

  void insert(const std::shared_ptr<ScheduledTimer>& timer, TimePoint due);
  // Any thread. Takes an invalidated timer out and lets the loop release its handler.
  void remove(ScheduledTimer& timer);

  const std::function<void()> wake_;
  const std::function<void(std::function<void()>)> postToLoop_;
  mutable std::mutex mutex_;  // guards timers_, nextSequence_ and the timers' keys
  std::map<Key, std::shared_ptr<ScheduledTimer>> timers_;
  std::uint64_t nextSequence_ = 0;
};

// One timer of a TimerSchedule.
class ScheduledTimer final : public Timer, public std::enable_shared_from_this<ScheduledTimer> {
 public:
  ScheduledTimer(std::weak_ptr<TimerSchedule> schedule, Duration interval, bool repeats, std::function<void()> handler);

  void invalidate() override;
  bool isValid() const override { return valid_.load(); }
  Duration interval() const override { return step_; }
  TimePoint fireTime() const override;

 private:
  friend class TimerSchedule;
  // The due time after a firing due at `due`, skipping firings already missed at `now`.
  TimePoint nextDueAfter(TimePoint due, TimePoint now) const;

  const std::weak_ptr<TimerSchedule> schedule_;
  const TimePoint::duration step_;
  const bool repeats_;
  std::function<void()> handler_;  // called and released on the loop thread only
  std::atomic<bool> valid_{true};
  std::atomic<TimePoint::rep> dueTicks_{0};
  TimerSchedule::Key key_{};  // guarded by the schedule's mutex
};

}  // namespace foundation
