#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/foundation/Result.h"

namespace net {

// What a reachability target watches: a host name, or an IPv4 address (0.0.0.0 standing for
// any internet connection). A value; any thread.
class ReachabilityEndpoint {
 public:
  // Any thread. A host name; text that is a dotted IPv4 address makes an address endpoint.
  // Fails for an empty name, one over 253 bytes, or one with spaces or control characters.
  static foundation::Result<ReachabilityEndpoint> forHostName(std::string_view hostName);
  // Any thread. An IPv4 address in host byte order.
  static ReachabilityEndpoint forAddress(std::uint32_t ipv4);

  // Any thread.
  bool isHostName() const { return !hostName_.empty(); }
  // Any thread. Empty for an address endpoint.
  const std::string& hostName() const { return hostName_; }
  // Any thread. Host byte order; 0 for a host-name endpoint.
  std::uint32_t address() const { return address_; }

  friend bool operator==(const ReachabilityEndpoint&, const ReachabilityEndpoint&) = default;

 private:
  ReachabilityEndpoint() = default;

  std::string hostName_;
  std::uint32_t address_ = 0;
};

}  // namespace net
