#pragma once

#include <functional>
#include <memory>

#include "platform/foundation/Clock.h"

namespace foundation {
class OperationQueue;
}

namespace media {

// Radians per second about each axis.
struct RotationRate {
  double x = 0, y = 0, z = 0;
};

struct GyroData {
  RotationRate rotationRate;
};

// The gyroscope. This device has none of its own: rotation comes from injectRotationRate(), which
// stands for the hardware. Main thread unless said.
class MotionManager {
 public:
  static std::shared_ptr<MotionManager> create();
  ~MotionManager();

  bool isGyroAvailable() const { return true; }
  // Whether updates are being delivered (between start and stop).
  bool isGyroActive() const;
  foundation::Duration gyroUpdateInterval() const { return interval_; }
  void setGyroUpdateInterval(foundation::Duration interval) { interval_ = interval; }

  // Each update runs `handler` on `queue`; a second start replaces the first.
  void startGyroUpdates(std::shared_ptr<foundation::OperationQueue> queue,
                        std::function<void(const GyroData&)> handler);
  void stopGyroUpdates();

  // Any thread. Every active manager hears of the rotation on its queue.
  static void injectRotationRate(RotationRate rate);

  struct Updates;  // a started delivery, shared with updates in flight

 private:
  MotionManager() = default;
  foundation::Duration interval_{0.01};
  std::shared_ptr<Updates> updates_;
};

}  // namespace media
