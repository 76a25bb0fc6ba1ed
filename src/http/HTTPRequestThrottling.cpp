// Requests and the process-wide bandwidth throttle: a throttled request holds its read stream
// (unscheduled) until the throttle's wake-up time, so no thread ever sleeps.
#include "platform/net/HTTPReadStream.h"
#include "src/http/BandwidthThrottle.h"
#include "src/http/HTTPRequest.h"

namespace http {

bool HTTPRequest::isBandwidthThrottled() { return BandwidthThrottle::shared().isBandwidthThrottled(); }

std::uint64_t HTTPRequest::maxBandwidthPerSecond() { return BandwidthThrottle::shared().maxBandwidthPerSecond(); }

void HTTPRequest::setMaxBandwidthPerSecond(std::uint64_t bytes) {
  BandwidthThrottle::shared().setMaxBandwidthPerSecond(bytes);
}

std::uint64_t HTTPRequest::averageBandwidthUsedPerSecond() {
  return BandwidthThrottle::shared().averageBandwidthUsedPerSecond();
}

void HTTPRequest::setShouldThrottleBandwidthForWWAN(bool throttle) {
  BandwidthThrottle::shared().setShouldThrottleBandwidthForWWAN(throttle, networkLoop());
}

void HTTPRequest::throttleBandwidthForWWANUsingLimit(std::uint64_t limit) {
  BandwidthThrottle::shared().throttleBandwidthForWWANUsingLimit(limit, networkLoop());
}

void HTTPRequest::performThrottling() {
  Lock lock(cancelledLock_);
  if (!readStream_) return;
  switch (BandwidthThrottle::shared().throttlingAction()) {
    case BandwidthThrottle::StreamAction::hold:
      unscheduleReadStream();
      break;
    case BandwidthThrottle::StreamAction::release:
      scheduleReadStream();
      break;
    case BandwidthThrottle::StreamAction::leave:
      break;
  }
}

}  // namespace http
