#include "platform/foundation/Clock.h"

#include <atomic>
#include <mutex>
#include <vector>

#include "platform/foundation/RunLoop.h"

namespace foundation {
namespace {

using Nanoseconds = std::chrono::nanoseconds;

// Steps beyond this (about 31 years) are cut to it; not-a-number and negative steps are none.
constexpr Duration kLongestStep(1e9);

// Clocks stay alive once installed: a reference read from Clock::current() on another thread
// must not dangle when a test installs the next clock.
class InstalledClocks {
 public:
  Clock& active() const { return *active_.load(std::memory_order_acquire); }

  void install(std::shared_ptr<Clock> clock) {
    std::lock_guard lock(mutex_);
    Clock* raw = clock ? clock.get() : &real_;
    if (clock) keptAlive_.push_back(std::move(clock));
    active_.store(raw, std::memory_order_release);
  }

 private:
  RealClock real_;
  std::atomic<Clock*> active_{&real_};
  std::mutex mutex_;
  std::vector<std::shared_ptr<Clock>> keptAlive_;
};

InstalledClocks& installedClocks() {
  static auto* clocks = new InstalledClocks();  // lives for the run; loops read it at exit
  return *clocks;
}

// What Clock::current() hands out: always reads the clock installed at the moment.
class CurrentClock final : public Clock {
 public:
  TimePoint now() const override { return installedClocks().active().now(); }
  Date wallNow() const override { return installedClocks().active().wallNow(); }
};

}  // namespace

Clock& Clock::current() {
  static auto* current = new CurrentClock();  // lives for the run; loop threads read it at exit
  return *current;
}

void Clock::setCurrent(std::shared_ptr<Clock> clock) {
  installedClocks().install(std::move(clock));
  RunLoop::wakeAllLoops();
}

void Clock::useRealClock() { setCurrent(nullptr); }

TimePoint RealClock::now() const { return std::chrono::steady_clock::now(); }

Date RealClock::wallNow() const {
  auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
  return Date{std::chrono::duration<double>(sinceEpoch).count()};
}

ManualClock::ManualClock(Date wallStart) : start_(std::chrono::steady_clock::now()), wallStart_(wallStart) {}

TimePoint ManualClock::now() const { return start_ + Nanoseconds(offsetNanos_.load()); }

Date ManualClock::wallNow() const {
  return Date{wallStart_.secondsSince1970 + std::chrono::duration<double>(now() - start_).count()};
}

void ManualClock::setTime(TimePoint time) {
  offsetNanos_.store(std::chrono::duration_cast<Nanoseconds>(time - start_).count());
}

void ManualClock::advance(Duration by) {
  const Duration step = by > Duration::zero() ? std::min(by, kLongestStep) : Duration::zero();
  const TimePoint target = now() + std::chrono::duration_cast<Nanoseconds>(step);
  RunLoop& loop = RunLoop::current();
  for (TimePoint due = loop.nextFireTime(); due <= target; due = loop.nextFireTime()) {
    if (due > now()) setTime(due);
    loop.fireNextTimerUntil(due);
  }
  setTime(target);
  RunLoop::wakeAllLoops();
}

}  // namespace foundation
