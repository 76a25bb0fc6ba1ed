#include "platform/ui/Device.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/ApplicationNotifications.h"

namespace ui {

Device& Device::current() {
  static Device* device = new Device();  // views reach it from destructors
  return *device;
}

void Device::setOrientation(DeviceOrientation orientation) {
  if (orientation_ == orientation) return;
  orientation_ = orientation;
  if (isGeneratingDeviceOrientationNotifications()) {
    foundation::NotificationCenter::defaultCenter().postNotificationName(kDeviceOrientationDidChangeNotification);
  }
}

void Device::endGeneratingDeviceOrientationNotifications() {
  if (generating_ > 0) --generating_;
}

void Device::resetForTesting() {
  orientation_ = DeviceOrientation::portrait;
  generating_ = 0;
}

}  // namespace ui
