#include "platform/foundation/TimerSchedule.h"

#include <algorithm>

namespace foundation {
namespace {

using Ticks = TimePoint::duration;

// Repeating timers are held to this shortest interval so that one cannot starve its loop.
constexpr Ticks kShortestRepeat = std::chrono::microseconds(100);
// Longer intervals (the platform's "distant future") are cut to this, about 31 years.
constexpr Duration kLongestInterval(1e9);

Ticks toTicks(Duration interval, bool repeats) {
  const Duration bounded = interval > Duration::zero() ? std::min(interval, kLongestInterval) : Duration::zero();
  const auto ticks = std::chrono::duration_cast<Ticks>(bounded);
  return repeats ? std::max(ticks, kShortestRepeat) : ticks;
}

}  // namespace

TimerSchedule::TimerSchedule(std::function<void()> wake, std::function<void(std::function<void()>)> postToLoop)
    : wake_(std::move(wake)), postToLoop_(std::move(postToLoop)) {}

std::shared_ptr<Timer> TimerSchedule::add(Duration interval, bool repeats, std::function<void()> handler) {
  auto timer = std::make_shared<ScheduledTimer>(weak_from_this(), interval, repeats, std::move(handler));
  {
    std::lock_guard lock(mutex_);
    insert(timer, Clock::current().now() + toTicks(interval, repeats));
  }
  wake_();
  return timer;
}

void TimerSchedule::insert(const std::shared_ptr<ScheduledTimer>& timer, TimePoint due) {
  timer->key_ = Key{due, ++nextSequence_};
  timer->dueTicks_.store(due.time_since_epoch().count());
  timers_.emplace(timer->key_, timer);
}

TimePoint TimerSchedule::earliest() const {
  std::lock_guard lock(mutex_);
  return timers_.empty() ? TimePoint::max() : timers_.begin()->first.first;
}

bool TimerSchedule::fireNextUntil(TimePoint limit) {
  std::shared_ptr<ScheduledTimer> timer;
  {
    std::lock_guard lock(mutex_);
    auto first = timers_.begin();
    if (first == timers_.end() || first->first.first > limit) return false;
    const TimePoint due = first->first.first;
    timer = std::move(first->second);
    timers_.erase(first);
    if (!timer->isValid()) return true;  // invalidated on another thread just now
    if (timer->repeats_) {
      insert(timer, timer->nextDueAfter(due, Clock::current().now()));
    } else {
      timer->valid_.store(false);
    }
  }
  if (timer->handler_) timer->handler_();
  if (!timer->isValid()) timer->handler_ = nullptr;  // drop what the handler holds, as the loop does
  return true;
}

void TimerSchedule::remove(ScheduledTimer& timer) {
  std::shared_ptr<ScheduledTimer> removed;
  {
    std::lock_guard lock(mutex_);
    auto found = timers_.find(timer.key_);
    if (found != timers_.end() && found->second.get() == &timer) {
      removed = std::move(found->second);
      timers_.erase(found);
    }
  }
  // The handler may be running right now; it is released on the loop's thread afterwards.
  postToLoop_([self = timer.shared_from_this()] { self->handler_ = nullptr; });
}

ScheduledTimer::ScheduledTimer(std::weak_ptr<TimerSchedule> schedule, Duration interval, bool repeats,
                               std::function<void()> handler)
    : schedule_(std::move(schedule)),
      step_(toTicks(interval, repeats)),
      repeats_(repeats),
      handler_(std::move(handler)) {}

void ScheduledTimer::invalidate() {
  if (!valid_.exchange(false)) return;
  if (auto schedule = schedule_.lock()) schedule->remove(*this);
}

TimePoint ScheduledTimer::fireTime() const { return TimePoint(Ticks(dueTicks_.load())); }

TimePoint ScheduledTimer::nextDueAfter(TimePoint due, TimePoint now) const {
  TimePoint next = due + step_;
  if (next <= now) next += step_ * ((now - next) / step_ + 1);
  return next;
}

}  // namespace foundation
