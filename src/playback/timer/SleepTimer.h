#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/foundation/RunLoop.h"

namespace playback {

inline constexpr const char* kTimerStartNotification = "notificationTimerStart";
inline constexpr const char* kTimerProgressNotification = "notificationTimerProgress";
inline constexpr const char* kTimerDoneNotification = "notificationTimerDone";
inline constexpr const char* kTimerStopNotification = "notificationTimerStop";

// The sleep timer: counts down minutes and seconds with a 1-second tick on the main run loop and
// announces the start, each tick, the end and a stop to the default notification centre (no
// sender; start and progress carry {"minute", "second"}). The player pauses at the end. One
// instance for the run; main thread only.
class SleepTimer {
 public:
  ~SleepTimer();
  SleepTimer(const SleepTimer&) = delete;
  SleepTimer& operator=(const SleepTimer&) = delete;

  // Main thread. The one timer.
  static SleepTimer& shareSleepTimer();

  // Main thread. Starts a countdown of `seconds`; "notificationTimerDone" comes one tick after
  // the progress that shows 0 : 00. A running countdown is stopped first. A negative count ends
  // at once.
  void startWithSecond(std::int64_t seconds);
  // Main thread. Stops a running countdown and says so; does nothing when none runs.
  void stop();
  // Main thread. "MM : SS" while timing ("07 : 05"), else empty.
  std::string currentLeftTimeString() const;

  bool isTiming() const { return isTiming_; }
  std::int64_t second() const { return second_; }
  std::int64_t minute() const { return minute_; }

  // Main thread; tests only. Stops the countdown silently and forgets the instance.
  static void resetForTesting();

 private:
  SleepTimer() = default;
  void tick();
  void postTime(const char* name) const;
  void endTimer();

  std::shared_ptr<foundation::Timer> timerTemp_;
  bool isTiming_ = false;
  std::int64_t second_ = 0;
  std::int64_t minute_ = 0;
};

}  // namespace playback
