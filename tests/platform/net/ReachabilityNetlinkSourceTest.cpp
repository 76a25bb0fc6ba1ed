#include <arpa/inet.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/foundation/RunLoop.h"
#include "platform/net/NetlinkMonitor.h"
#include "platform/net/NetlinkSocket.h"
#include "platform/net/NetlinkState.h"
#include "platform/net/ReachabilityNetlinkSource.h"

namespace net {
namespace {

constexpr unsigned kRunning = IFF_UP | IFF_RUNNING;
constexpr ReachabilityFlags kCellular = kReachabilityReachable | kReachabilityIsWWAN | kReachabilityTransientConnection;

std::uint32_t ipv4(const char* text) {
  in_addr address{};
  EXPECT_EQ(inet_pton(AF_INET, text, &address), 1);
  return ntohl(address.s_addr);
}

NetlinkRoute defaultRoute(int interfaceIndex, std::uint32_t metric = 0, int family = AF_INET) {
  return NetlinkRoute{family, false, 0, 0, interfaceIndex, true, metric};
}

NetlinkInterface link(int index, const char* name, NetlinkInterfaceKind kind, unsigned flags = kRunning) {
  return NetlinkInterface{index, name, flags, kind};
}

ReachabilityFlags internet(const NetlinkState& state) {
  return ReachabilityNetlinkSource::flagsFor(state, ReachabilityEndpoint::forAddress(0));
}

ReachabilityFlags host(const NetlinkState& state) {
  return ReachabilityNetlinkSource::flagsFor(state, ReachabilityEndpoint::forHostName("radio.example").value());
}

ReachabilityFlags address(const NetlinkState& state, const char* text) {
  return ReachabilityNetlinkSource::flagsFor(state, ReachabilityEndpoint::forAddress(ipv4(text)));
}

NetlinkState loopbackOnly() {
  NetlinkState state;
  state.interfaces.push_back(link(1, "lo", NetlinkInterfaceKind::kLoopback, kRunning | IFF_LOOPBACK));
  state.routes.push_back(NetlinkRoute{AF_INET, true, ipv4("127.0.0.0"), 8, 1, false, 0});
  return state;
}

TEST(ReachabilityNetlinkSourceTest, DefaultRouteDecidesTheInternetAndHostNames) {
  NetlinkState state = loopbackOnly();
  state.routes.push_back(defaultRoute(1));   // through loopback
  state.routes.push_back(defaultRoute(42));  // through an interface that is gone
  state.interfaces.push_back(link(2, "eth0", NetlinkInterfaceKind::kOther, IFF_UP));
  state.routes.push_back(defaultRoute(2));  // no carrier
  EXPECT_EQ(internet(state), 0u);
  EXPECT_EQ(host(state), 0u);

  state.interfaces.push_back(link(3, "wlan0", NetlinkInterfaceKind::kWireless));
  state.routes.push_back(defaultRoute(3, 0, AF_INET6));
  EXPECT_EQ(internet(state), kReachabilityReachable) << "an IPv6 default route is enough";
  EXPECT_EQ(host(state), kReachabilityReachable);
  state.routes.back().hasGateway = false;  // a point-to-point link straight to the network
  EXPECT_EQ(internet(state), kReachabilityReachable | kReachabilityIsDirect);
}

TEST(ReachabilityNetlinkSourceTest, ModemLinksAreTheMobileNetworkWhenTrafficWouldTakeThem) {
  NetlinkState state = loopbackOnly();
  state.interfaces.push_back(link(2, "eth0", NetlinkInterfaceKind::kOther));
  state.interfaces.push_back(link(3, "wwan0", NetlinkInterfaceKind::kWWAN));
  state.routes.push_back(defaultRoute(2, 600));
  state.routes.push_back(defaultRoute(3, 100));
  EXPECT_EQ(internet(state), kCellular) << "lowest metric";

  state.interfaces.back().flags = IFF_UP;  // up, not yet connected
  EXPECT_EQ(internet(state), kReachabilityReachable) << "a working link beats a modem that must connect";

  state.interfaces[1].flags = IFF_UP;  // the wired link lost its carrier
  EXPECT_EQ(internet(state), kCellular | kReachabilityConnectionRequired);

  state.interfaces.back().flags = 0;
  EXPECT_EQ(internet(state), 0u);
}

TEST(ReachabilityNetlinkSourceTest, AddressesFollowTheLongestRoute) {
  NetlinkState state = loopbackOnly();
  state.interfaces.push_back(link(2, "eth0", NetlinkInterfaceKind::kOther));
  state.interfaces.push_back(link(3, "wwan0", NetlinkInterfaceKind::kWWAN));
  state.routes.push_back(NetlinkRoute{AF_INET, false, ipv4("10.0.0.0"), 8, 2, false, 100});
  state.routes.push_back(NetlinkRoute{AF_INET, true, ipv4("10.0.0.5"), 32, 2, false, 0});
  EXPECT_EQ(address(state, "10.1.2.3"), kReachabilityReachable | kReachabilityIsDirect);
  EXPECT_EQ(address(state, "192.0.2.1"), 0u);
  EXPECT_EQ(address(state, "127.0.0.1"), kReachabilityReachable | kReachabilityIsDirect) << "own loopback address";
  EXPECT_EQ(address(state, "10.0.0.5"), kReachabilityReachable | kReachabilityIsDirect) << "own address";

  state.routes.push_back(defaultRoute(3));
  EXPECT_EQ(address(state, "192.0.2.1"), kCellular);
  EXPECT_EQ(address(state, "10.1.2.3"), kReachabilityReachable | kReachabilityIsDirect);
}

TEST(ReachabilityNetlinkSourceTest, LinkLocalNeedsARunningLocalLink) {
  NetlinkState state = loopbackOnly();
  EXPECT_EQ(address(state, "169.254.0.0"), 0u);
  state.interfaces.push_back(link(3, "wwan0", NetlinkInterfaceKind::kWWAN));
  state.interfaces.push_back(link(2, "wlan0", NetlinkInterfaceKind::kWireless, IFF_UP));
  EXPECT_EQ(address(state, "169.254.0.0"), 0u);
  state.interfaces.back().flags = kRunning;
  EXPECT_EQ(address(state, "169.254.0.0"), kReachabilityReachable | kReachabilityIsDirect);
}

// Dump replies built as the kernel writes them.
class NetlinkBytes {
 public:
  NetlinkBytes& message(std::uint16_t type, const void* body, std::size_t size, std::uint16_t flags = NLM_F_MULTI) {
    start_ = bytes_.size();
    nlmsghdr header{};
    header.nlmsg_type = type;
    header.nlmsg_flags = flags;
    append(&header, sizeof header);
    append(body, size);
    finish();
    return *this;
  }
  NetlinkBytes& attribute(std::uint16_t type, const void* payload, std::size_t size) {
    rtattr header{static_cast<unsigned short>(sizeof(rtattr) + size), type};
    append(&header, sizeof header);
    append(payload, size);
    finish();
    return *this;
  }
  NetlinkBytes& done() {
    int zero = 0;
    return message(NLMSG_DONE, &zero, sizeof zero);
  }
  std::vector<std::uint8_t>& bytes() { return bytes_; }

 private:
  void append(const void* data, std::size_t size) {
    const auto* from = static_cast<const std::uint8_t*>(data);
    bytes_.insert(bytes_.end(), from, from + size);
    bytes_.resize((bytes_.size() + 3) & ~std::size_t{3});
  }
  // The message's length covers everything appended since it started.
  void finish() {
    const auto length = static_cast<std::uint32_t>(bytes_.size() - start_);
    std::memcpy(bytes_.data() + start_, &length, sizeof length);
  }

  std::vector<std::uint8_t> bytes_;
  std::size_t start_ = 0;
};

NetlinkBytes& addLink(NetlinkBytes& out, int index, unsigned flags, const char* name) {
  ifinfomsg info{};
  info.ifi_index = index;
  info.ifi_flags = flags;
  return out.message(RTM_NEWLINK, &info, sizeof info).attribute(IFLA_IFNAME, name, std::strlen(name) + 1);
}

rtmsg routeMessage(unsigned char table, unsigned char type, unsigned char prefix = 0) {
  rtmsg route{};
  route.rtm_family = AF_INET;
  route.rtm_table = table;
  route.rtm_type = type;
  route.rtm_dst_len = prefix;
  return route;
}

TEST(ReachabilityNetlinkSourceTest, DumpRepliesFillTheState) {
  NetlinkBytes reply;
  addLink(reply, 1, kRunning | IFF_LOOPBACK, "lo");
  addLink(reply, 2, kRunning, "wlan0");
  const rtmsg main = routeMessage(RT_TABLE_MAIN, RTN_UNICAST);
  const std::uint32_t oif = 2, metric = 600, gateway = htonl(ipv4("192.168.1.1"));
  reply.message(RTM_NEWROUTE, &main, sizeof main)
      .attribute(RTA_OIF, &oif, sizeof oif)
      .attribute(RTA_PRIORITY, &metric, sizeof metric)
      .attribute(RTA_GATEWAY, &gateway, sizeof gateway);
  const rtmsg unreachable = routeMessage(RT_TABLE_MAIN, RTN_UNREACHABLE);
  reply.message(RTM_NEWROUTE, &unreachable, sizeof unreachable);
  const rtmsg local = routeMessage(RT_TABLE_LOCAL, RTN_LOCAL, 32);
  const std::uint32_t own = htonl(ipv4("192.168.1.20"));
  reply.message(RTM_NEWROUTE, &local, sizeof local)
      .attribute(RTA_DST, &own, sizeof own)
      .attribute(RTA_OIF, &oif, sizeof oif);

  NetlinkState state;
  auto more = state.addDumpReply(reply.bytes().data(), reply.bytes().size());
  ASSERT_TRUE(more.ok()) << more.error()->debugText();
  EXPECT_FALSE(*more);
  ASSERT_EQ(state.interfaces.size(), 2u);
  EXPECT_EQ(state.interfaceWithIndex(2)->name, "wlan0");
  ASSERT_EQ(state.routes.size(), 2u) << "the unreachable route is left out";
  EXPECT_EQ(state.routes[0].metric, 600u);
  EXPECT_TRUE(state.routes[0].hasGateway);
  EXPECT_EQ(state.routes[0].interfaceIndex, 2);
  EXPECT_TRUE(state.routes[1].isLocal);
  EXPECT_EQ(state.routes[1].destination, ipv4("192.168.1.20"));

  NetlinkBytes end;
  end.done();
  EXPECT_TRUE(*state.addDumpReply(end.bytes().data(), end.bytes().size()));
}

TEST(ReachabilityNetlinkSourceTest, DamagedRepliesAreRefused) {
  auto errorOf = [](std::vector<std::uint8_t> bytes) {
    NetlinkState state;
    auto result = state.addDumpReply(bytes.data(), bytes.size());
    return result.ok() ? 0LL : result.error()->code();
  };
  NetlinkBytes good;
  addLink(good, 2, kRunning, "eth0");
  std::vector<std::uint8_t> whole = good.bytes();

  EXPECT_EQ(errorOf({whole.begin(), whole.begin() + 10}), EBADMSG) << "truncated header";
  std::vector<std::uint8_t> cut(whole.begin(), whole.end() - 4);
  EXPECT_EQ(errorOf(cut), EBADMSG) << "message longer than the datagram";

  std::vector<std::uint8_t> overrun = whole;
  const std::size_t attributeAt = NLMSG_HDRLEN + NLMSG_ALIGN(sizeof(ifinfomsg));
  const std::uint16_t hugeLength = 200;
  std::memcpy(overrun.data() + attributeAt, &hugeLength, sizeof hugeLength);
  EXPECT_EQ(errorOf(overrun), EBADMSG) << "attribute overruns its message";

  const nlmsgerr refused{-EPERM, {}};
  NetlinkBytes error;
  error.message(NLMSG_ERROR, &refused, sizeof refused);
  EXPECT_EQ(errorOf(error.bytes()), EPERM);

  NetlinkBytes interrupted;
  ifinfomsg info{};
  interrupted.message(RTM_NEWLINK, &info, sizeof info, NLM_F_MULTI | NLM_F_DUMP_INTR);
  EXPECT_EQ(errorOf(interrupted.bytes()), EAGAIN);
}

class InterfaceKindTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = std::filesystem::temp_directory_path() / ("reach-sysfs-" + std::to_string(::getpid()) + "-" +
                                                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(root / "net");
  }
  void TearDown() override { std::filesystem::remove_all(root); }

  void make(const std::string& path, const std::string& content = "") {
    std::filesystem::create_directories((root / path).parent_path());
    std::ofstream(root / path) << content;
  }
  NetlinkInterfaceKind kindOf(const std::string& name, unsigned flags = kRunning) {
    return netlinkInterfaceKind(name, flags, (root / "net").string());
  }

  std::filesystem::path root;
};

TEST_F(InterfaceKindTest, SysfsTellsWirelessAndModemLinks) {
  make("net/wlp2s0/wireless/x");
  make("net/wlan1/phy80211");
  make("net/usb0/uevent", "INTERFACE=usb0\nDEVTYPE=wwan\n");
  make("net/eth0/uevent", "INTERFACE=eth0\n");
  EXPECT_EQ(kindOf("wlp2s0"), NetlinkInterfaceKind::kWireless);
  EXPECT_EQ(kindOf("wlan1"), NetlinkInterfaceKind::kWireless);
  EXPECT_EQ(kindOf("usb0"), NetlinkInterfaceKind::kWWAN);
  EXPECT_EQ(kindOf("wwan0"), NetlinkInterfaceKind::kWWAN);
  EXPECT_EQ(kindOf("eth0"), NetlinkInterfaceKind::kOther);
  EXPECT_EQ(kindOf("lo", kRunning | IFF_LOOPBACK), NetlinkInterfaceKind::kLoopback);
}

TEST_F(InterfaceKindTest, NamesThatLeaveSysfsAreNotLookedUp) {
  make("outside/wireless");
  EXPECT_EQ(kindOf("../outside"), NetlinkInterfaceKind::kOther);
  EXPECT_EQ(kindOf(".."), NetlinkInterfaceKind::kOther);
  EXPECT_EQ(kindOf(""), NetlinkInterfaceKind::kOther);
}

// The machine's own state: only what every Linux machine has is asserted.
TEST(ReachabilityNetlinkSourceTest, ReadsThisMachine) {
  auto state = NetlinkSocket::readState();
  ASSERT_TRUE(state.ok()) << state.error()->debugText();
  bool hasLoopback = false;
  for (const auto& link : state->interfaces) hasLoopback |= link.kind == NetlinkInterfaceKind::kLoopback;
  EXPECT_TRUE(hasLoopback);

  ReachabilityNetlinkSource source;
  EXPECT_EQ(source.flags(ReachabilityEndpoint::forAddress(ipv4("127.0.0.1"))),
            kReachabilityReachable | kReachabilityIsDirect);
  EXPECT_TRUE(source.flags(ReachabilityEndpoint::forAddress(0)).has_value());

  auto watch = source.watch(foundation::RunLoop::main(), [] {});
  ASSERT_TRUE(watch.ok()) << watch.error()->debugText();
  foundation::RunLoop::main().pumpOnce();
}

}  // namespace
}  // namespace net
