#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>

#include "platform/foundation/Value.h"

namespace foundation {

using Duration = std::chrono::duration<double>;  // seconds, as the platform counts time intervals
using TimePoint = std::chrono::steady_clock::time_point;

// The source of time for timers and for "now". Real by default; tests install a ManualClock and
// step it, so nothing ever sleeps. Any thread.
class Clock {
 public:
  virtual ~Clock() = default;
  // Any thread. Monotonic time read by timers.
  virtual TimePoint now() const = 0;
  // Any thread. Wall-clock time read by dates.
  virtual Date wallNow() const = 0;

  // Any thread. The process-wide clock. The reference stays valid for the whole run and always
  // reads whichever clock is installed at the moment of the call.
  static Clock& current();
  // Any thread; for tests. Installs `clock` (nullptr means the real clock) and wakes every run
  // loop so that it re-reads its timers against the new clock. Best done before timers exist.
  static void setCurrent(std::shared_ptr<Clock> clock);
  // Any thread; for tests. Goes back to the real clock.
  static void useRealClock();
};

class RealClock final : public Clock {
 public:
  // Any thread.
  TimePoint now() const override;
  // Any thread.
  Date wallNow() const override;
};

// A clock that only moves when told. It starts at the real monotonic time of its creation, so
// timers made before it was installed keep roughly their place. advance() walks forward through
// the due times of the timers on the calling thread's run loop, firing each with the clock set to
// its due time, in order (timers scheduled by those handlers fire too if they fall due within the
// step); other loops are then woken to fire theirs at the final time.
class ManualClock final : public Clock {
 public:
  // Any thread.
  explicit ManualClock(Date wallStart = Date{1'700'000'000});
  // Any thread.
  TimePoint now() const override;
  // Any thread. Moves with now().
  Date wallNow() const override;
  // One thread at a time, usually the test's main thread. Negative steps count as zero, steps
  // over 1e9 s as 1e9 s.
  void advance(Duration by);

 private:
  void setTime(TimePoint time);

  const TimePoint start_;
  const Date wallStart_;
  std::atomic<std::int64_t> offsetNanos_{0};  // read from any thread, moved by advance()
};

}  // namespace foundation
