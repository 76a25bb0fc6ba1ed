#pragma once

#include <string>

#include "platform/ui/Application.h"

// Facts about the device. Main thread.
namespace framework::device_additions {

// Main thread. Whether the system version is 4.0 or later and the main screen has more than one
// pixel per point.
bool isHighResolutionDevice();
// Main thread. The application's status-bar orientation.
ui::InterfaceOrientation currentOrientation();

// Any thread. The hardware address of interface "en0" as "%02X:%02X:%02X:%02X:%02X:%02X", or one of
// the failure texts "if_nametoindex failure" (no such interface), "sysctl mgmtInfoBase failure" (the
// interface list cannot be read) and "sysctl msgBuffer failure" (the interface has no such address).
std::string getMacAddress();
// Any thread. The same for any interface by name.
std::string macAddressOfInterface(const std::string& interfaceName);

}  // namespace framework::device_additions
