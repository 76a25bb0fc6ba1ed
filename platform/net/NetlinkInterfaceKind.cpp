#include "platform/net/NetlinkInterfaceKind.h"

#include <net/if.h>
#include <sys/stat.h>

#include <fstream>

namespace net {

namespace {

bool isPlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

bool exists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

bool ueventSaysWWAN(const std::string& ueventPath) {
  std::ifstream uevent(ueventPath);
  std::string line;
  while (std::getline(uevent, line))
    if (line == "DEVTYPE=wwan") return true;
  return false;
}

}  // namespace

NetlinkInterfaceKind netlinkInterfaceKind(const std::string& name, unsigned flags, const std::string& sysfsRoot) {
  if (flags & IFF_LOOPBACK) return NetlinkInterfaceKind::kLoopback;
  if (!isPlainName(name)) return NetlinkInterfaceKind::kOther;
  const std::string folder = sysfsRoot + "/" + name;
  if (exists(folder + "/wireless") || exists(folder + "/phy80211")) return NetlinkInterfaceKind::kWireless;
  if (name.starts_with("wwan") || ueventSaysWWAN(folder + "/uevent")) return NetlinkInterfaceKind::kWWAN;
  return NetlinkInterfaceKind::kOther;
}

}  // namespace net
