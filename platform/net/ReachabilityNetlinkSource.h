#pragma once

#include "platform/net/NetlinkState.h"
#include "platform/net/ReachabilitySource.h"

namespace net {

// The flags of this machine, from its interfaces and routes as netlink lists them, read afresh
// on every question (a local exchange with the kernel; no name is ever looked up).
//
// How the machine's state maps to the flags:
//  * A host name or 0.0.0.0 (any internet connection) is answered from the default route
//    (IPv4 or IPv6, main table) that traffic would take: the working link with the lowest
//    metric. A wireless, wired or other local link gives reachable (plus is-direct when the
//    route has no gateway), which the application counts as Wi-Fi. A mobile-network modem gives
//    reachable + is-WWAN + transient connection, and adds connection required while the modem
//    link is up but not yet connected. Loopback never counts: a machine with only loopback is
//    not reachable.
//  * A link-local address (169.254.0.0/16) is reachable + is-direct while a wireless, wired or
//    other local link is running: such addresses are on-link there.
//  * Any other IPv4 address takes the route the kernel would choose: one of the machine's own
//    addresses is reachable + is-direct; otherwise the longest matching main-table route is
//    classified like a default route.
// Intervention, on-traffic and on-demand connections have no counterpart on this machine.
class ReachabilityNetlinkSource final : public ReachabilitySource {
 public:
  // Any thread. Reads the state now; nullopt when netlink cannot be read.
  std::optional<ReachabilityFlags> flags(const ReachabilityEndpoint& endpoint) override;
  // Thread of `loop`. A NetlinkMonitor on the loop.
  foundation::Result<std::unique_ptr<ReachabilityWatch>> watch(foundation::RunLoop& loop,
                                                               std::function<void()> changed) override;

  // Any thread. The flags of `endpoint` in `state`, by the rules above.
  static ReachabilityFlags flagsFor(const NetlinkState& state, const ReachabilityEndpoint& endpoint);
};

}  // namespace net
