#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/foundation/Result.h"
#include "platform/net/NetlinkInterfaceKind.h"

namespace net {

// A network interface as the kernel lists it.
struct NetlinkInterface {
  int index = 0;
  std::string name;
  unsigned flags = 0;  // IFF_* bits
  NetlinkInterfaceKind kind = NetlinkInterfaceKind::kOther;

  // Any thread.
  bool isUp() const;
  // Any thread. Up with its link working (carrier present, associated, dialled in).
  bool isRunning() const;
};

// A route that can carry traffic: a unicast route of the main table (IPv4 or IPv6), or a route
// of the local table to one of this machine's own IPv4 addresses.
struct NetlinkRoute {
  int family = 0;                 // AF_INET or AF_INET6
  bool isLocal = false;           // to an address of this machine
  std::uint32_t destination = 0;  // IPv4 in host byte order; 0 for IPv6 routes
  int prefixLength = 0;
  int interfaceIndex = 0;  // 0 when the route names none
  bool hasGateway = false;
  std::uint32_t metric = 0;
};

// The machine's interfaces and routes, filled from the kernel's dump replies. A value.
class NetlinkState {
 public:
  std::vector<NetlinkInterface> interfaces;
  std::vector<NetlinkRoute> routes;

  // Any thread. nullptr when no interface has the index.
  const NetlinkInterface* interfaceWithIndex(int index) const;

  // Any thread. Adds what one datagram of a dump reply holds (RTM_NEWLINK and RTM_NEWROUTE messages; others
  // are skipped) and says whether the dump is complete. Fails for a truncated or malformed
  // datagram, an error reply, or a dump the kernel interrupted (EAGAIN: ask again).
  foundation::Result<bool> addDumpReply(const std::uint8_t* data, std::size_t size);

 private:
  foundation::Status addLink(const std::uint8_t* body, std::size_t size);
  foundation::Status addRoute(const std::uint8_t* body, std::size_t size);
};

}  // namespace net
