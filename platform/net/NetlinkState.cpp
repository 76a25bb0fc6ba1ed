#include "platform/net/NetlinkState.h"

#include <arpa/inet.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>

namespace net {

namespace {

// Netlink messages and attributes start on 4-byte boundaries.
constexpr std::size_t align4(std::size_t length) { return (length + 3) & ~std::size_t{3}; }

foundation::ErrorPtr malformed(const char* what) {
  return foundation::posixError(EBADMSG, std::string("Reading the network state: ") + what);
}

template <class T>
T read(const std::uint8_t* at) {
  T value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

// Calls `visit(type, payload, payloadSize)` for each attribute in [data, data + size); fails
// when an attribute's length runs past the end.
using AttributeVisitor = std::function<foundation::Status(unsigned, const std::uint8_t*, std::size_t)>;
foundation::Status forEachAttribute(const std::uint8_t* data, std::size_t size, const AttributeVisitor& visit) {
  std::size_t offset = 0;
  while (size - offset >= sizeof(rtattr)) {
    const auto header = read<rtattr>(data + offset);
    if (header.rta_len < sizeof(rtattr) || header.rta_len > size - offset)
      return malformed("attribute overruns its message");
    const unsigned type = header.rta_type & NLA_TYPE_MASK;
    if (auto status = visit(type, data + offset + sizeof(rtattr), header.rta_len - sizeof(rtattr)); !status)
      return status;
    offset += std::min(align4(header.rta_len), size - offset);
  }
  return {};
}

std::optional<std::uint32_t> readU32(const std::uint8_t* payload, std::size_t size) {
  if (size < sizeof(std::uint32_t)) return std::nullopt;
  return read<std::uint32_t>(payload);
}

// A route's next hops: one from its RTA_OIF and RTA_GATEWAY, or one per entry of RTA_MULTIPATH.
struct NextHop {
  int interfaceIndex = 0;
  bool hasGateway = false;
};

bool isGatewayAttribute(unsigned type) { return type == RTA_GATEWAY || type == RTA_VIA; }

foundation::Status addNextHops(const std::uint8_t* data, std::size_t size, std::vector<NextHop>& hops) {
  std::size_t offset = 0;
  while (size - offset >= sizeof(rtnexthop)) {
    const auto header = read<rtnexthop>(data + offset);
    if (header.rtnh_len < sizeof(rtnexthop) || header.rtnh_len > size - offset)
      return malformed("next hop overruns its route");
    NextHop hop{header.rtnh_ifindex, false};
    const std::size_t attributes = align4(sizeof(rtnexthop));
    if (header.rtnh_len > attributes) {
      auto status = forEachAttribute(data + offset + attributes, header.rtnh_len - attributes,
                                     [&hop](unsigned type, const std::uint8_t*, std::size_t) {
                                       if (isGatewayAttribute(type)) hop.hasGateway = true;
                                       return foundation::Status();
                                     });
      if (!status) return status;
    }
    hops.push_back(hop);
    offset += std::min(align4(header.rtnh_len), size - offset);
  }
  return {};
}

bool isWanted(const rtmsg& route, std::uint32_t table) {
  if (route.rtm_family != AF_INET && route.rtm_family != AF_INET6) return false;
  if (table == RT_TABLE_MAIN && route.rtm_type == RTN_UNICAST) return true;
  return table == RT_TABLE_LOCAL && route.rtm_type == RTN_LOCAL && route.rtm_family == AF_INET;
}

}  // namespace

bool NetlinkInterface::isUp() const { return (flags & IFF_UP) != 0; }

bool NetlinkInterface::isRunning() const { return isUp() && (flags & IFF_RUNNING) != 0; }

const NetlinkInterface* NetlinkState::interfaceWithIndex(int index) const {
  auto found = std::find_if(interfaces.begin(), interfaces.end(), [index](const auto& i) { return i.index == index; });
  return found == interfaces.end() ? nullptr : &*found;
}

foundation::Result<bool> NetlinkState::addDumpReply(const std::uint8_t* data, std::size_t size) {
  std::size_t offset = 0;
  while (offset < size) {
    if (size - offset < sizeof(nlmsghdr)) return malformed("truncated message header");
    const auto header = read<nlmsghdr>(data + offset);
    if (header.nlmsg_len < sizeof(nlmsghdr) || header.nlmsg_len > size - offset)
      return malformed("message overruns its datagram");
    if (header.nlmsg_flags & NLM_F_DUMP_INTR)
      return foundation::posixError(EAGAIN, "Reading the network state: dump interrupted by a change");
    const std::uint8_t* body = data + offset + align4(sizeof(nlmsghdr));
    const std::size_t bodySize = header.nlmsg_len - std::min<std::size_t>(header.nlmsg_len, align4(sizeof(nlmsghdr)));
    switch (header.nlmsg_type) {
      case NLMSG_DONE:
        return true;
      case NLMSG_ERROR: {
        if (bodySize < sizeof(int)) return malformed("truncated error reply");
        const int code = read<int>(body);
        if (code != 0) return foundation::posixError(code < 0 ? -code : code, "Reading the network state");
        break;
      }
      case RTM_NEWLINK:
        if (auto status = addLink(body, bodySize); !status) return status.error();
        break;
      case RTM_NEWROUTE:
        if (auto status = addRoute(body, bodySize); !status) return status.error();
        break;
      default:
        break;
    }
    offset += std::min(align4(header.nlmsg_len), size - offset);
  }
  return false;
}

foundation::Status NetlinkState::addLink(const std::uint8_t* body, std::size_t size) {
  if (size < sizeof(ifinfomsg)) return malformed("truncated interface message");
  const auto info = read<ifinfomsg>(body);
  NetlinkInterface link{info.ifi_index, {}, info.ifi_flags, NetlinkInterfaceKind::kOther};
  const std::size_t attributes = align4(sizeof(ifinfomsg));
  if (size > attributes) {
    auto status = forEachAttribute(body + attributes, size - attributes,
                                   [&link](unsigned type, const std::uint8_t* payload, std::size_t length) {
                                     if (type == IFLA_IFNAME) {
                                       const auto* text = reinterpret_cast<const char*>(payload);
                                       link.name.assign(text, strnlen(text, length));
                                     }
                                     return foundation::Status();
                                   });
    if (!status) return status;
  }
  std::erase_if(interfaces, [&link](const auto& known) { return known.index == link.index; });
  interfaces.push_back(std::move(link));
  return {};
}

foundation::Status NetlinkState::addRoute(const std::uint8_t* body, std::size_t size) {
  if (size < sizeof(rtmsg)) return malformed("truncated route message");
  const auto message = read<rtmsg>(body);
  const int maxPrefix = message.rtm_family == AF_INET6 ? 128 : 32;
  if (message.rtm_dst_len > maxPrefix) return malformed("route prefix longer than its address");

  std::uint32_t table = message.rtm_table;
  std::uint32_t destination = 0;
  std::uint32_t metric = 0;
  NextHop single;
  std::vector<NextHop> hops;
  const std::size_t attributes = align4(sizeof(rtmsg));
  if (size > attributes) {
    auto status = forEachAttribute(body + attributes, size - attributes,
                                   [&](unsigned type, const std::uint8_t* payload, std::size_t length) {
                                     if (type == RTA_TABLE) table = readU32(payload, length).value_or(table);
                                     if (type == RTA_PRIORITY) metric = readU32(payload, length).value_or(0);
                                     if (type == RTA_OIF)
                                       single.interfaceIndex = static_cast<int>(readU32(payload, length).value_or(0));
                                     if (type == RTA_DST && message.rtm_family == AF_INET)
                                       destination = ntohl(readU32(payload, length).value_or(0));
                                     if (isGatewayAttribute(type)) single.hasGateway = true;
                                     if (type == RTA_MULTIPATH) return addNextHops(payload, length, hops);
                                     return foundation::Status();
                                   });
    if (!status) return status;
  }
  if (!isWanted(message, table)) return {};
  if (hops.empty()) hops.push_back(single);
  for (const NextHop& hop : hops)
    routes.push_back(NetlinkRoute{message.rtm_family, message.rtm_type == RTN_LOCAL, destination, message.rtm_dst_len,
                                  hop.interfaceIndex, hop.hasGateway, metric});
  return {};
}

}  // namespace net
