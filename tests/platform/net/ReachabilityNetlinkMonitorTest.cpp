#include <arpa/inet.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

#include "platform/foundation/RunLoop.h"
#include "platform/net/ReachabilityNetlinkSource.h"

namespace net {
namespace {

using foundation::RunLoop;

const ReachabilityEndpoint kLoopbackAddress = ReachabilityEndpoint::forAddress(0x7F000001);

// Brings the loopback link of the calling thread's network namespace up or down; the errno on
// failure.
int setLoopback(bool up) {
  const int fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
  if (fd < 0) return errno;
  struct {
    nlmsghdr header;
    ifinfomsg link;
  } request{};
  request.header.nlmsg_len = sizeof request;
  request.header.nlmsg_type = RTM_NEWLINK;
  request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_ACK;
  request.link.ifi_index = static_cast<int>(if_nametoindex("lo"));
  request.link.ifi_flags = up ? IFF_UP : 0;
  request.link.ifi_change = IFF_UP;
  int result = EIO;
  if (::send(fd, &request, sizeof request, 0) == static_cast<ssize_t>(sizeof request)) {
    struct {
      nlmsghdr header;
      nlmsgerr error;
    } reply{};
    if (::recv(fd, &reply, sizeof reply, 0) >= static_cast<ssize_t>(sizeof reply) &&
        reply.header.nlmsg_type == NLMSG_ERROR)
      result = -reply.error.error;
  }
  ::close(fd);
  return result;
}

// A thread in a network namespace of its own (only a loopback link, down), so that the test
// changes a network without touching the machine's.
TEST(ReachabilityNetlinkMonitorTest, HearsALinkComeUpAndReadsTheNewState) {
  foundation::LoopThread thread("private network");
  RunLoop& loop = thread.loop();
  bool isolated = false;
  loop.perform([&] { isolated = ::unshare(CLONE_NEWNET) == 0; }, true);
  if (!isolated) GTEST_SKIP() << "no permission to make a network namespace";

  ReachabilityNetlinkSource source;
  std::unique_ptr<ReachabilityWatch> watch;
  std::atomic<int> changes{0};
  int heard = 0;
  std::optional<ReachabilityFlags> before;
  int raised = -1;
  loop.perform(
      [&] {
        before = source.flags(kLoopbackAddress);
        auto started = source.watch(loop, [&] {
          ++changes;
          RunLoop::main().post([&heard] { ++heard; });
        });
        if (started) watch = std::move(started).value();
        raised = setLoopback(true);
      },
      true);
  ASSERT_NE(watch, nullptr);
  ASSERT_EQ(raised, 0) << std::strerror(raised);
  EXPECT_EQ(before, 0u) << "loopback down: not even this machine's own address";

  ASSERT_TRUE(RunLoop::main().runUntil([&] { return heard > 0; }));
  std::optional<ReachabilityFlags> ownAddress, internet;
  loop.perform(
      [&] {
        ownAddress = source.flags(kLoopbackAddress);
        internet = source.flags(ReachabilityEndpoint::forAddress(0));
        watch.reset();
      },
      true);
  EXPECT_EQ(ownAddress, kReachabilityReachable | kReachabilityIsDirect);
  EXPECT_EQ(internet, 0u) << "loopback alone is no network";

  const int changesWhenStopped = changes;
  loop.perform([] { EXPECT_EQ(setLoopback(false), 0); }, true);
  for (int roundTrip = 0; roundTrip < 3; ++roundTrip) loop.perform([] {}, true);
  EXPECT_EQ(changes, changesWhenStopped) << "no calls once the watch is gone";
}

}  // namespace
}  // namespace net
