#include "src/framework/network/NetWorkUitil.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "tests/framework/network/ManualNetwork.h"

namespace framework {
namespace {

using foundation::RunLoop;

constexpr net::ReachabilityFlags kFlagReachable = net::kReachabilityReachable;
constexpr net::ReachabilityFlags kFlagCellular = net::kReachabilityIsWWAN;
constexpr net::ReachabilityFlags kFlagTransient = net::kReachabilityTransientConnection;
constexpr net::ReachabilityFlags kFlagRequired = net::kReachabilityConnectionRequired;

TEST(NetWorkKindTest, EveryStatusHasItsText) {
  EXPECT_EQ(kindOfNetWorkForStatus(0), "没有网络");
  EXPECT_EQ(kindOfNetWorkForStatus(1), "wifi网络");
  EXPECT_EQ(kindOfNetWorkForStatus(2), "WWAN网络");
  EXPECT_EQ(kindOfNetWorkForStatus(3), "3G网络");
  EXPECT_EQ(kindOfNetWorkForStatus(4), "2G网络");
  EXPECT_EQ(kindOfNetWorkForStatus(5), "2G网络");
  EXPECT_EQ(kindOfNetWorkForStatus(-1), "2G网络");
}

class NetWorkUitilTest : public testing::ManualNetwork {
 protected:
  void countNotifications() {
    foundation::NotificationCenter::defaultCenter().addObserver(this, kReachabilityChangedNotification,
                                                                [this](const foundation::Notification& note) {
                                                                  ++notifications;
                                                                  onMainThread = RunLoop::isMainThread();
                                                                  sender = note.object.objectAs<Reachability>();
                                                                });
  }

  int notifications = 0;
  bool onMainThread = false;
  std::shared_ptr<Reachability> sender;
};

TEST_F(NetWorkUitilTest, KindFollowsTheProbesFlags) {
  struct Case {
    std::optional<net::ReachabilityFlags> flags;
    const char* kind;
    bool enabled;
  };
  const Case cases[] = {
      {kFlagReachable, "wifi网络", true},
      {kFlagReachable | kFlagCellular, "wifi网络", true},
      {kFlagReachable | kFlagCellular | kFlagTransient, "3G网络", true},
      {kFlagReachable | kFlagCellular | kFlagTransient | kFlagRequired, "2G网络", true},
      {kFlagReachable | kFlagRequired, "没有网络", false},
      {kFlagReachable | kFlagRequired | net::kReachabilityConnectionOnDemand, "wifi网络", true},
      {0, "没有网络", false},
      {std::nullopt, "没有网络", false},  // flags that cannot be read
  };
  NetWorkUitil& uitil = NetWorkUitil::defaultUitil();
  for (const Case& c : cases) {
    source->setFlags(c.flags);
    EXPECT_EQ(uitil.KindOfNetWork(), c.kind);
    EXPECT_EQ(uitil.isNetWorkEnable(), c.enabled) << c.kind;
  }
}

TEST_F(NetWorkUitilTest, OneSharedInstanceWatchingTheProbeHost) {
  NetWorkUitil& uitil = NetWorkUitil::defaultUitil();
  EXPECT_EQ(&uitil, &NetWorkUitil::defaultUitil());
  ASSERT_NE(uitil.reachability(), nullptr);
  EXPECT_EQ(source->watchCount(), 1u) << "init starts the notifier";
}

TEST_F(NetWorkUitilTest, NotifiesOnTheMainLoopOncePerChange) {
  countNotifications();
  NetWorkUitil& uitil = NetWorkUitil::defaultUitil();
  uitil.startNotifier();  // as the shell does at start-up, after init already started it
  ASSERT_TRUE(RunLoop::main().runUntil([&] { return notifications == 1; })) << "the probe's first answer";
  EXPECT_EQ(sender, uitil.reachability());

  source->setFlags(kFlagReachable | kFlagCellular | kFlagTransient);
  ASSERT_TRUE(RunLoop::main().runUntil([&] { return notifications == 2; }));
  EXPECT_EQ(sender->currentReachabilityStatus(), kReachableVia3G);
  settle();
  EXPECT_EQ(notifications, 2);
}

TEST_F(NetWorkUitilTest, MadeOnAnotherThreadItStillNotifiesOnTheMainThread) {
  countNotifications();
  std::thread([] { NetWorkUitil::defaultUitil(); }).join();
  ASSERT_TRUE(RunLoop::main().runUntil([&] { return notifications == 1; }));
  EXPECT_TRUE(onMainThread);
  EXPECT_EQ(source->watchCount(), 1u);
}

}  // namespace
}  // namespace framework
