#pragma once

#include <optional>
#include <string>

namespace foundation {

// What the system tells about the device it runs on and about this application, in one place.
// Plain values; any thread.
struct DeviceInfo {
  std::string name;           // the machine's host name
  std::string model;          // the hardware kind ("x86_64", "aarch64")
  std::string systemName;     // "Linux"
  std::string systemVersion;  // the kernel's version numbers ("6.1.0")
  std::string bundleName;     // "ZunoRadio"
  std::string bundleIdentifier;
  std::string bundleVersion;       // build version
  std::string bundleShortVersion;  // version shown to users
  bool multitaskingSupported = true;

  // Any thread. This device and application: the test override, else read from the system.
  static DeviceInfo current();
  // Any thread. Test hook: current() answers these values until reset with nullopt.
  static void setCurrentForTesting(std::optional<DeviceInfo> info);

  // Any thread. An identifier of this installation, made once (a UUID) and kept in the
  // Preferences folder of the application home; a missing or damaged file gets a new one. If it
  // cannot be stored, the same identifier is still answered for the rest of the run.
  static std::string deviceIdentifier();
};

}  // namespace foundation
