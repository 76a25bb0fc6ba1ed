#include "platform/net/ReachabilityEndpoint.h"

#include <arpa/inet.h>

#include <cerrno>

namespace net {

namespace {

constexpr std::size_t kMaxHostNameLength = 253;

bool isAcceptableHostName(std::string_view name) {
  if (name.empty() || name.size() > kMaxHostNameLength) return false;
  for (unsigned char c : name)
    if (c <= ' ' || c == 0x7f) return false;
  return true;
}

}  // namespace

foundation::Result<ReachabilityEndpoint> ReachabilityEndpoint::forHostName(std::string_view hostName) {
  if (!isAcceptableHostName(hostName))
    return foundation::posixError(EINVAL, "A reachability target needs a host name of 1 to 253 printable bytes");
  std::string name(hostName);
  in_addr literal{};
  if (inet_pton(AF_INET, name.c_str(), &literal) == 1) return forAddress(ntohl(literal.s_addr));
  ReachabilityEndpoint endpoint;
  endpoint.hostName_ = std::move(name);
  return endpoint;
}

ReachabilityEndpoint ReachabilityEndpoint::forAddress(std::uint32_t ipv4) {
  ReachabilityEndpoint endpoint;
  endpoint.address_ = ipv4;
  return endpoint;
}

}  // namespace net
