#include "src/http/BandwidthThrottle.h"

#include <algorithm>

#include "platform/foundation/RunLoop.h"
#include "platform/net/ReachabilityEndpoint.h"
#include "platform/net/ReachabilityFlags.h"
#include "platform/net/ReachabilitySource.h"

namespace http {

BandwidthThrottle::~BandwidthThrottle() { unsubscribeFromNetworkReachabilityNotifications(); }

BandwidthThrottle& BandwidthThrottle::shared() {
  static BandwidthThrottle* throttle = new BandwidthThrottle();  // used by requests until exit
  return *throttle;
}

bool BandwidthThrottle::isThrottledLocked() const {
  // A maximum of 0 is no limit, also on the mobile network (it would divide by zero).
  if (maxBandwidthPerSecond_ == 0) return false;
  return isOnWWAN_ || !throttleOnlyOnWWAN_;
}

bool BandwidthThrottle::isBandwidthThrottled() const {
  Lock lock(lock_);
  return isThrottledLocked();
}

std::uint64_t BandwidthThrottle::maxBandwidthPerSecond() const {
  Lock lock(lock_);
  return maxBandwidthPerSecond_;
}

void BandwidthThrottle::setMaxBandwidthPerSecond(std::uint64_t bytes) {
  Lock lock(lock_);
  maxBandwidthPerSecond_ = bytes;
}

void BandwidthThrottle::incrementBandwidthUsedInLastSecond(std::uint64_t bytes) {
  Lock lock(lock_);
  bandwidthUsedInLastSecond_ += bytes;
}

void BandwidthThrottle::recordBandwidthUsage() {
  Lock lock(lock_);
  recordLocked();
}

void BandwidthThrottle::recordLocked() {
  if (bandwidthUsedInLastSecond_ == 0) {
    usageSamples_.clear();
  } else {
    // Seconds that went by without a measurement push the oldest samples out.
    double left = measurementDate_ ? foundation::Duration(*measurementDate_ - now()).count() : 0.0;
    while ((left < 0 || usageSamples_.size() >= kMaxSamples) && !usageSamples_.empty()) {
      usageSamples_.pop_front();
      left += 1;
    }
  }
  usageSamples_.push_back(bandwidthUsedInLastSecond_);
  measurementDate_ = now() + std::chrono::duration_cast<foundation::TimePoint::duration>(foundation::Duration(1));
  bandwidthUsedInLastSecond_ = 0;
  std::uint64_t total = 0;
  for (auto sample : usageSamples_) total += sample;
  averageBandwidthUsedPerSecond_ = total / usageSamples_.size();
}

void BandwidthThrottle::measureBandwidthUsage() {
  Lock lock(lock_);
  measureLocked();
}

void BandwidthThrottle::measureLocked() {
  if (!measurementDate_ || now() >= *measurementDate_) recordLocked();
  if (isThrottledLocked() && bandwidthUsedInLastSecond_ > maxBandwidthPerSecond_) {
    double over = static_cast<double>(bandwidthUsedInLastSecond_ - maxBandwidthPerSecond_) /
                  static_cast<double>(maxBandwidthPerSecond_);
    wakeUpDate_ =
        *measurementDate_ + std::chrono::duration_cast<foundation::TimePoint::duration>(foundation::Duration(over));
  }
}

std::uint64_t BandwidthThrottle::averageBandwidthUsedPerSecond() const {
  Lock lock(lock_);
  return averageBandwidthUsedPerSecond_;
}

std::uint64_t BandwidthThrottle::maxUploadReadLength() {
  Lock lock(lock_);
  std::uint64_t length = maxBandwidthPerSecond_ / 4;
  if (maxBandwidthPerSecond_ != 0 && bandwidthUsedInLastSecond_ + length > maxBandwidthPerSecond_) {
    length =
        bandwidthUsedInLastSecond_ < maxBandwidthPerSecond_ ? maxBandwidthPerSecond_ - bandwidthUsedInLastSecond_ : 0;
  }
  if (length == 0 || !measurementDate_ || now() >= *measurementDate_) wakeUpDate_ = measurementDate_;
  return length;
}

std::uint64_t BandwidthThrottle::maxDownloadReadLength() const {
  Lock lock(lock_);
  std::uint64_t left =
      bandwidthUsedInLastSecond_ < maxBandwidthPerSecond_ ? maxBandwidthPerSecond_ - bandwidthUsedInLastSecond_ : 0;
  return std::max<std::uint64_t>(left / 4, 1);
}

bool BandwidthThrottle::holdsStreams() const {
  Lock lock(lock_);
  return isThrottledLocked() && wakeUpDate_ && now() < *wakeUpDate_;
}

BandwidthThrottle::StreamAction BandwidthThrottle::throttlingAction() {
  Lock lock(lock_);
  measureLocked();
  if (!isThrottledLocked()) return StreamAction::release;
  if (!wakeUpDate_) return StreamAction::leave;
  return now() < *wakeUpDate_ ? StreamAction::hold : StreamAction::release;
}

std::optional<foundation::TimePoint> BandwidthThrottle::wakeUpTime() const {
  Lock lock(lock_);
  return wakeUpDate_;
}

void BandwidthThrottle::setShouldThrottleBandwidthForWWAN(bool throttle, foundation::RunLoop& watchLoop) {
  if (throttle) {
    throttleBandwidthForWWANUsingLimit(kWWANLimit, watchLoop);
    return;
  }
  unsubscribeFromNetworkReachabilityNotifications();
  Lock lock(lock_);
  maxBandwidthPerSecond_ = 0;
  throttleOnlyOnWWAN_ = false;
  isOnWWAN_ = false;
}

void BandwidthThrottle::throttleBandwidthForWWANUsingLimit(std::uint64_t limit, foundation::RunLoop& watchLoop) {
  {
    Lock lock(lock_);
    throttleOnlyOnWWAN_ = true;
    maxBandwidthPerSecond_ = limit;
  }
  registerForNetworkReachabilityNotifications(watchLoop);
  reachabilityChanged();
}

void BandwidthThrottle::registerForNetworkReachabilityNotifications(foundation::RunLoop& watchLoop) {
  // The watch is made on the loop it reports on.
  watchLoop.perform(
      [this] {
        auto watch =
            net::ReachabilitySource::system()->watch(foundation::RunLoop::current(), [this] { reachabilityChanged(); });
        std::scoped_lock guard(watchLock_);
        // Without a way to watch, the state read at each throttling change still holds.
        watch_ = watch.ok() ? std::move(*watch) : nullptr;
      },
      true);
}

void BandwidthThrottle::unsubscribeFromNetworkReachabilityNotifications() {
  std::unique_ptr<net::ReachabilityWatch> ended;
  std::scoped_lock guard(watchLock_);
  ended = std::move(watch_);
}

void BandwidthThrottle::reachabilityChanged() {
  bool onWWAN = isNetworkReachableViaWWAN();
  Lock lock(lock_);
  isOnWWAN_ = onWWAN;
}

bool BandwidthThrottle::isNetworkReachableViaWWAN() {
  auto flags = net::ReachabilitySource::system()->flags(net::ReachabilityEndpoint::forAddress(0));
  return flags && (*flags & net::kReachabilityReachable) && (*flags & net::kReachabilityIsWWAN);
}

void BandwidthThrottle::resetForTesting() {
  unsubscribeFromNetworkReachabilityNotifications();
  Lock lock(lock_);
  maxBandwidthPerSecond_ = 0;
  bandwidthUsedInLastSecond_ = 0;
  measurementDate_.reset();
  usageSamples_.clear();
  averageBandwidthUsedPerSecond_ = 0;
  wakeUpDate_.reset();
  throttleOnlyOnWWAN_ = false;
  isOnWWAN_ = false;
}

}  // namespace http
