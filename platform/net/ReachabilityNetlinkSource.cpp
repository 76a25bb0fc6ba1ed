#include "platform/net/ReachabilityNetlinkSource.h"

#include <sys/socket.h>

#include <tuple>

#include "platform/net/NetlinkMonitor.h"
#include "platform/net/NetlinkSocket.h"

namespace net {

namespace {

constexpr std::uint32_t kLinkLocalNetwork = 0xA9FE0000;  // 169.254.0.0/16

// A link that can take traffic now, or a modem link that can once it has connected.
bool canCarry(const NetlinkInterface* link) {
  if (!link || link->kind == NetlinkInterfaceKind::kLoopback || !link->isUp()) return false;
  return link->isRunning() || link->kind == NetlinkInterfaceKind::kWWAN;
}

bool isLocalNetworkLink(const NetlinkInterface& link) {
  return link.kind != NetlinkInterfaceKind::kLoopback && link.kind != NetlinkInterfaceKind::kWWAN && link.isRunning();
}

bool covers(const NetlinkRoute& route, std::uint32_t address) {
  if (route.family != AF_INET) return false;
  if (route.prefixLength == 0) return true;
  return ((route.destination ^ address) >> (32 - route.prefixLength)) == 0;
}

ReachabilityFlags flagsForRoute(const NetlinkRoute& route, const NetlinkInterface& link) {
  if (link.kind == NetlinkInterfaceKind::kWWAN) {
    ReachabilityFlags flags = kReachabilityReachable | kReachabilityIsWWAN | kReachabilityTransientConnection;
    return link.isRunning() ? flags : flags | kReachabilityConnectionRequired;
  }
  return kReachabilityReachable | (route.hasGateway ? 0 : kReachabilityIsDirect);
}

// Picks among usable routes that `eligible` accepts: the longest prefix, then a working link
// before one that must connect first, then the lowest metric; the first listed wins a tie.
template <class Eligible>
ReachabilityFlags flagsForBestRoute(const NetlinkState& state, Eligible eligible) {
  const NetlinkRoute* best = nullptr;
  const NetlinkInterface* bestLink = nullptr;
  auto rank = [](const NetlinkRoute& route, const NetlinkInterface& link) {
    return std::make_tuple(-route.prefixLength, link.isRunning() ? 0 : 1, route.metric);
  };
  for (const NetlinkRoute& route : state.routes) {
    const NetlinkInterface* link = state.interfaceWithIndex(route.interfaceIndex);
    if (route.isLocal || !eligible(route) || !canCarry(link)) continue;
    if (!best || rank(route, *link) < rank(*best, *bestLink)) {
      best = &route;
      bestLink = link;
    }
  }
  return best ? flagsForRoute(*best, *bestLink) : 0;
}

ReachabilityFlags flagsForAddress(const NetlinkState& state, std::uint32_t address) {
  for (const NetlinkRoute& route : state.routes)
    if (route.isLocal && covers(route, address)) return kReachabilityReachable | kReachabilityIsDirect;
  return flagsForBestRoute(state, [address](const NetlinkRoute& route) { return covers(route, address); });
}

ReachabilityFlags flagsForLinkLocal(const NetlinkState& state) {
  for (const NetlinkInterface& link : state.interfaces)
    if (isLocalNetworkLink(link)) return kReachabilityReachable | kReachabilityIsDirect;
  return 0;
}

}  // namespace

std::optional<ReachabilityFlags> ReachabilityNetlinkSource::flags(const ReachabilityEndpoint& endpoint) {
  auto state = NetlinkSocket::readState();
  if (!state) return std::nullopt;
  return flagsFor(*state, endpoint);
}

foundation::Result<std::unique_ptr<ReachabilityWatch>> ReachabilityNetlinkSource::watch(foundation::RunLoop& loop,
                                                                                        std::function<void()> changed) {
  auto monitor = NetlinkMonitor::start(loop, std::move(changed));
  if (!monitor) return monitor.error();
  return std::unique_ptr<ReachabilityWatch>(std::move(monitor).value());
}

ReachabilityFlags ReachabilityNetlinkSource::flagsFor(const NetlinkState& state, const ReachabilityEndpoint& endpoint) {
  if (endpoint.isHostName() || endpoint.address() == 0)
    return flagsForBestRoute(state, [](const NetlinkRoute& route) { return route.prefixLength == 0; });
  if ((endpoint.address() >> 16) == (kLinkLocalNetwork >> 16)) return flagsForLinkLocal(state);
  return flagsForAddress(state, endpoint.address());
}

}  // namespace net
