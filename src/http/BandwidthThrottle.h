#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/foundation/Clock.h"

namespace foundation {
class RunLoop;
}

namespace net {
class ReachabilityWatch;
}

namespace http {

// The process-wide bandwidth meter and throttle: counts the body bytes that every request reads
// or sends per second, keeps the last few one-second samples, and tells throttled streams when
// they may move again. Nothing ever sleeps: streams are held (unscheduled) until a wake-up time
// and uploads read short. Optionally throttles only while the device is on the mobile network.
// Every method may be called from any thread; all state is under one lock.
class BandwidthThrottle {
 public:
  // Bytes per second allowed on the mobile network by setShouldThrottleBandwidthForWWAN(true).
  static constexpr std::uint64_t kWWANLimit = 14800;
  static constexpr std::size_t kMaxSamples = 6;

  // What a throttled request does with its read stream now.
  enum class StreamAction { leave, hold, release };

  BandwidthThrottle() = default;
  ~BandwidthThrottle();
  BandwidthThrottle(const BandwidthThrottle&) = delete;
  BandwidthThrottle& operator=(const BandwidthThrottle&) = delete;

  // Any thread. The one that every request shares; lives for the run.
  static BandwidthThrottle& shared();

  // Any thread. Whether reads are limited now: a maximum is set and either the throttle applies
  // everywhere or the device is on the mobile network.
  bool isBandwidthThrottled() const;
  // Any thread. Bytes per second; 0 means no limit.
  std::uint64_t maxBandwidthPerSecond() const;
  void setMaxBandwidthPerSecond(std::uint64_t bytes);
  // Any thread. Counts body bytes read or sent in the current second.
  void incrementBandwidthUsedInLastSecond(std::uint64_t bytes);
  // Any thread. Closes the measuring second when it is over and, when throttled and over the
  // limit, moves the wake-up time past the excess.
  void measureBandwidthUsage();
  // Any thread. Closes one measuring second: keeps its count as a sample and restarts counting.
  void recordBandwidthUsage();
  // Any thread. Mean of the kept samples; 0 without any.
  std::uint64_t averageBandwidthUsedPerSecond() const;
  // Any thread; only meaningful while throttled. How many body bytes an upload may read now: a
  // quarter of the maximum at most, and what is left of this second's allowance. At 0 the
  // upload waits for the next second.
  std::uint64_t maxUploadReadLength();
  // Any thread; only meaningful while throttled. How many response bytes a download may read
  // now: a quarter of what is left of this second's allowance, at least 1.
  std::uint64_t maxDownloadReadLength() const;
  // Any thread. Whether streams are held now: throttled, and the wake-up time lies ahead.
  bool holdsStreams() const;
  // Any thread. Measures, then tells what a throttled request does with its read stream: hold it
  // until the wake-up time, release it once that has passed or when nothing is throttled.
  StreamAction throttlingAction();
  // Any thread. When held streams may read again; nullopt when none was set.
  std::optional<foundation::TimePoint> wakeUpTime() const;

  // Any thread; `watchLoop` must run. True: throttle to kWWANLimit while on the mobile network
  // (watching the network on `watchLoop`). False: stop watching, no maximum, not on mobile.
  void setShouldThrottleBandwidthForWWAN(bool throttle, foundation::RunLoop& watchLoop);
  // Any thread; `watchLoop` must run. Throttle to `limit` bytes per second while on the mobile
  // network only; a limit of 0 throttles nothing.
  void throttleBandwidthForWWANUsingLimit(std::uint64_t limit, foundation::RunLoop& watchLoop);
  // Any thread. Reads afresh whether the device is on the mobile network.
  void reachabilityChanged();
  // Any thread. Whether the internet connection currently goes over the mobile network.
  static bool isNetworkReachableViaWWAN();

  // Any thread; for tests. Back to the state of a new process: no limit, no samples, no dates.
  void resetForTesting();

 private:
  using Lock = std::scoped_lock<std::mutex>;
  static foundation::TimePoint now() { return foundation::Clock::current().now(); }
  bool isThrottledLocked() const;
  void measureLocked();
  void recordLocked();
  void registerForNetworkReachabilityNotifications(foundation::RunLoop& watchLoop);
  void unsubscribeFromNetworkReachabilityNotifications();

  mutable std::mutex lock_;
  std::uint64_t maxBandwidthPerSecond_ = 0;
  std::uint64_t bandwidthUsedInLastSecond_ = 0;
  std::optional<foundation::TimePoint> measurementDate_;  // end of the current measuring second
  std::deque<std::uint64_t> usageSamples_;
  std::uint64_t averageBandwidthUsedPerSecond_ = 0;
  std::optional<foundation::TimePoint> wakeUpDate_;
  bool throttleOnlyOnWWAN_ = false;
  bool isOnWWAN_ = false;

  std::mutex watchLock_;  // guards watch_; never held with lock_
  std::unique_ptr<net::ReachabilityWatch> watch_;
};

}  // namespace http
