#include "src/playback/database/BusyRetry.h"

#include <chrono>
#include <thread>

namespace playback {

BusyRetry::BusyRetry(int limit) : limit_(limit) {}

bool BusyRetry::waitBeforeRetry() {
  if (limit_ > 0 && retries_ > limit_) return false;
  ++retries_;
  std::this_thread::sleep_for(std::chrono::microseconds(20));
  return true;
}

}  // namespace playback
