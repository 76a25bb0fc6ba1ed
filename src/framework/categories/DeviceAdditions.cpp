#include "src/framework/categories/DeviceAdditions.h"

#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <sys/socket.h>

#include <cstdio>
#include <cstring>

#include "platform/ui/Screen.h"

namespace framework::device_additions {
namespace {

constexpr int kHardwareAddressLength = 6;

std::string formatAddress(const unsigned char* bytes) {
  char text[18];
  std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", bytes[0], bytes[1], bytes[2], bytes[3], bytes[4],
                bytes[5]);
  return text;
}

}  // namespace

ui::InterfaceOrientation currentOrientation() { return ui::Application::shared().statusBarOrientation(); }

bool isHighResolutionDevice() {
  const ui::Screen& screen = ui::Screen::main();
  return screen.systemVersionNumber() >= 4.0 && screen.scale() > 1.0;
}

std::string getMacAddress() { return macAddressOfInterface("en0"); }

std::string macAddressOfInterface(const std::string& interfaceName) {
  if (::if_nametoindex(interfaceName.c_str()) == 0) return "if_nametoindex failure";
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return "sysctl mgmtInfoBase failure";
  std::string address = "sysctl msgBuffer failure";
  for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
    if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_PACKET || !entry->ifa_name ||
        interfaceName != entry->ifa_name) {
      continue;
    }
    sockaddr_ll link{};
    std::memcpy(&link, entry->ifa_addr, sizeof link);
    if (link.sll_halen == kHardwareAddressLength) address = formatAddress(link.sll_addr);
    break;
  }
  ::freeifaddrs(list);
  return address;
}

}  // namespace framework::device_additions
