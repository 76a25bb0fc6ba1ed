#pragma once

#include <string>

namespace net {

// What sort of link a network interface is, as far as reachability cares.
enum class NetlinkInterfaceKind {
  kLoopback,
  kWireless,  // an 802.11 interface
  kWWAN,      // a mobile-network modem
  kOther,     // Ethernet, bridges, tunnels and the rest
};

// Any thread. The kind of the interface `name` with the given IFF_* flags: loopback by its
// flag; wireless when <sysfsRoot>/<name> has a "wireless" or "phy80211" entry; mobile network
// when its name starts with "wwan" or its uevent says DEVTYPE=wwan; else other. A name that
// could step outside sysfsRoot is never looked up.
NetlinkInterfaceKind netlinkInterfaceKind(const std::string& name, unsigned flags,
                                          const std::string& sysfsRoot = "/sys/class/net");

}  // namespace net
