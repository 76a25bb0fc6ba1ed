#pragma once

namespace ui {

// How the device is held, numbered as the platform numbers it.
enum class DeviceOrientation : int {
  unknown = 0,
  portrait = 1,
  portraitUpsideDown = 2,
  landscapeLeft = 3,
  landscapeRight = 4,
  faceUp = 5,
  faceDown = 6,
};

// The device as views see it: how it is held. Turning it posts
// kDeviceOrientationDidChangeNotification on the default notification centre while someone has
// asked for those notifications. There is no motion sensor here: the system (tests) turns it.
// Main thread only.
class Device {
 public:
  // Main thread. The one device, kept for the run.
  static Device& current();

  // Main thread.
  DeviceOrientation orientation() const { return orientation_; }
  void setOrientation(DeviceOrientation orientation);

  // Main thread. Counted: notifications flow while more begins than ends were asked.
  bool isGeneratingDeviceOrientationNotifications() const { return generating_ > 0; }
  void beginGeneratingDeviceOrientationNotifications() { ++generating_; }
  void endGeneratingDeviceOrientationNotifications();

  // Main thread. Portrait and no notifications (tests only).
  void resetForTesting();

 private:
  Device() = default;

  DeviceOrientation orientation_ = DeviceOrientation::portrait;
  int generating_ = 0;
};

}  // namespace ui
