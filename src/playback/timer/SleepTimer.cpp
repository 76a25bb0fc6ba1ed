#include "src/playback/timer/SleepTimer.h"

#include <cstdio>

#include "platform/foundation/NoDestructor.h"
#include "platform/foundation/NotificationCenter.h"
#include "src/playback/managers/TrackHelper.h"

namespace playback {
namespace {

std::unique_ptr<SleepTimer>& sharedInstance() {
  static foundation::NoDestructor<std::unique_ptr<SleepTimer>> instance;
  return *instance;
}

// Two digits below 10 with a leading zero, else as it is.
std::string twoDigits(std::int64_t n) {
  char text[24];
  std::snprintf(text, sizeof text, n > 9 ? "%lld" : "0%lld", static_cast<long long>(n));
  return text;
}

}  // namespace

SleepTimer::~SleepTimer() { endTimer(); }

SleepTimer& SleepTimer::shareSleepTimer() {
  auto& instance = sharedInstance();
  if (!instance) instance.reset(new SleepTimer());
  return *instance;
}

void SleepTimer::resetForTesting() { sharedInstance().reset(); }

void SleepTimer::startWithSecond(std::int64_t seconds) {
  // Two countdowns at once would tick twice a second and end twice.
  stop();
  if (seconds < 0) {
    minute_ = second_ = 0;
    foundation::NotificationCenter::defaultCenter().postNotificationName(kTimerDoneNotification);
    return;
  }
  minute_ = seconds / 60;
  second_ = seconds - 60 * minute_;
  isTiming_ = true;
  postTime(kTimerStartNotification);
  postTime(kTimerProgressNotification);
  timerTemp_ = foundation::RunLoop::main().scheduleTimer(foundation::Duration(1.0), true, [this] { tick(); });
  TrackHelper::sendClickEventWithAction("setting_timer");
}

void SleepTimer::stop() {
  if (!isTiming_) return;
  endTimer();
  foundation::NotificationCenter::defaultCenter().postNotificationName(kTimerStopNotification);
}

std::string SleepTimer::currentLeftTimeString() const {
  if (!isTiming_) return {};
  return twoDigits(minute_) + " : " + twoDigits(second_);
}

void SleepTimer::tick() {
  if (second_ >= 1) {
    --second_;
  } else if (minute_ >= 1) {
    --minute_;
    second_ = 59;
  } else {
    endTimer();
    foundation::NotificationCenter::defaultCenter().postNotificationName(kTimerDoneNotification);
    return;
  }
  postTime(kTimerProgressNotification);
}

void SleepTimer::postTime(const char* name) const {
  foundation::NotificationCenter::defaultCenter().postNotificationName(
      name, {}, foundation::Dictionary{{"minute", minute_}, {"second", second_}});
}

void SleepTimer::endTimer() {
  if (timerTemp_) timerTemp_->invalidate();
  timerTemp_.reset();
  isTiming_ = false;
}

}  // namespace playback
