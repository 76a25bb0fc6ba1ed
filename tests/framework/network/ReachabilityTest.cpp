#include "src/framework/network/Reachability.h"

#include <arpa/inet.h>

#include <gtest/gtest.h>

#include <vector>

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "tests/framework/network/ManualNetwork.h"

namespace framework {
namespace {

using foundation::RunLoop;
using net::ReachabilityFlags;

constexpr ReachabilityFlags kReachable = net::kReachabilityReachable;
constexpr ReachabilityFlags kCellular = net::kReachabilityIsWWAN;
constexpr ReachabilityFlags kTransient = net::kReachabilityTransientConnection;
constexpr ReachabilityFlags kRequired = net::kReachabilityConnectionRequired;
constexpr ReachabilityFlags kOnTraffic = net::kReachabilityConnectionOnTraffic;
constexpr ReachabilityFlags kOnDemand = net::kReachabilityConnectionOnDemand;
constexpr ReachabilityFlags kIntervention = net::kReachabilityInterventionRequired;
constexpr ReachabilityFlags kDirect = net::kReachabilityIsDirect;

TEST(ReachabilityFlagTest, NetworkStatusFollowsTheFlagTable) {
  struct Case {
    ReachabilityFlags flags;
    NetworkStatus status;
  };
  const Case cases[] = {
      {0, kNotReachable},
      {kCellular | kTransient | kRequired, kNotReachable},  // not reachable comes first
      {kReachable, kReachableViaWiFi},
      {kReachable | kCellular, kReachableViaWiFi},  // no transient flag: counted as Wi-Fi
      {kReachable | kTransient, kReachableViaWiFi},
      {kReachable | kCellular | kTransient, kReachableVia3G},
      {kReachable | kCellular | kTransient | kRequired, kReachableVia2G},
      {kReachable | kCellular | kTransient | kRequired | kIntervention, kReachableVia2G},
      {kReachable | kRequired, kNotReachable},
      {kReachable | kRequired | kOnDemand, kReachableViaWiFi},
      {kReachable | kRequired | kOnTraffic, kReachableViaWiFi},
      {kReachable | kRequired | kOnDemand | kIntervention, kNotReachable},
      {kReachable | kCellular | kRequired | kOnTraffic, kReachableViaWiFi},
      {kReachable | kCellular | kRequired, kNotReachable},
  };
  for (const Case& c : cases) EXPECT_EQ(Reachability::networkStatusForFlags(c.flags), c.status) << "flags " << c.flags;
}

TEST(ReachabilityFlagTest, LocalWiFiNeedsADirectReachableLink) {
  EXPECT_EQ(Reachability::localWiFiStatusForFlags(kReachable | kDirect), kReachableViaWiFi);
  EXPECT_EQ(Reachability::localWiFiStatusForFlags(kReachable | kDirect | kCellular | kRequired), kReachableViaWiFi);
  EXPECT_EQ(Reachability::localWiFiStatusForFlags(kReachable), kNotReachable);
  EXPECT_EQ(Reachability::localWiFiStatusForFlags(kDirect), kNotReachable);
}

TEST(ReachabilityFactoryTest, RefusesWhatCannotBeWatched) {
  EXPECT_EQ(Reachability::reachabilityWithHostName(""), nullptr);
  EXPECT_EQ(Reachability::reachabilityWithHostName("bad host"), nullptr);
  sockaddr_in wrongFamily{};
  wrongFamily.sin_family = AF_INET6;
  EXPECT_EQ(Reachability::reachabilityWithAddress(wrongFamily), nullptr);
  EXPECT_NE(Reachability::reachabilityWithHostName("radio.example"), nullptr);
  EXPECT_NE(Reachability::reachabilityForInternetConnection(), nullptr);
}

class ReachabilityTest : public testing::ManualNetwork {
 protected:
  // Every change notification of `reachability`, with the status read while it is delivered.
  void observe(const std::shared_ptr<Reachability>& reachability) {
    foundation::NotificationCenter::defaultCenter().addObserver(
        this, kReachabilityChangedNotification,
        [this](const foundation::Notification& note) {
          auto sender = note.object.objectAs<Reachability>();
          statuses.push_back(sender ? sender->currentReachabilityStatus() : -1);
        },
        foundation::Value(reachability));
  }
  bool notified(std::size_t count) {
    return RunLoop::main().runUntil([&] { return statuses.size() >= count; });
  }

  std::vector<NetworkStatus> statuses;
};

TEST_F(ReachabilityTest, StatusIsReadFromTheFlagsNow) {
  auto internet = Reachability::reachabilityForInternetConnection();
  auto localWiFi = Reachability::reachabilityForLocalWiFi();
  EXPECT_EQ(internet->currentReachabilityStatus(), kReachableViaWiFi);
  EXPECT_EQ(localWiFi->currentReachabilityStatus(), kNotReachable) << "reachable but not direct";
  EXPECT_FALSE(internet->connectionRequired());

  source->setFlags(kReachable | kDirect | kRequired);
  EXPECT_EQ(internet->currentReachabilityStatus(), kNotReachable);
  EXPECT_EQ(localWiFi->currentReachabilityStatus(), kReachableViaWiFi);
  EXPECT_TRUE(internet->connectionRequired());

  source->setFlags(std::nullopt);
  EXPECT_EQ(internet->currentReachabilityStatus(), kNotReachable);
  EXPECT_EQ(localWiFi->currentReachabilityStatus(), kNotReachable);
  EXPECT_FALSE(internet->connectionRequired());
}

TEST_F(ReachabilityTest, ChangesArePostedWithTheReachabilityAsObject) {
  auto internet = Reachability::reachabilityForInternetConnection();
  observe(internet);
  ASSERT_TRUE(internet->startNotifier());
  ASSERT_TRUE(internet->startNotifier()) << "a second start changes nothing";
  settle();
  EXPECT_TRUE(statuses.empty()) << "an address reports changes only";

  source->setFlags(kReachable | kCellular | kTransient);
  ASSERT_TRUE(notified(1));
  EXPECT_EQ(statuses[0], kReachableVia3G);

  source->setFlags(kReachable | kCellular | kTransient | kRequired);
  ASSERT_TRUE(notified(2));
  EXPECT_EQ(statuses[1], kReachableVia2G);
  settle();
  ASSERT_EQ(statuses.size(), 2u) << "one notification per change";

  internet->stopNotifier();
  source->setFlags(0);
  settle();
  EXPECT_EQ(statuses.size(), 2u);
}

TEST_F(ReachabilityTest, StartNotifierFailsWhenChangesCannotBeWatched) {
  source->failWatchesWith(foundation::posixError(EMFILE, "no sockets left"));
  EXPECT_FALSE(Reachability::reachabilityForInternetConnection()->startNotifier());
}

TEST_F(ReachabilityTest, ReleasingTheLastReferenceStopsTheNotifier) {
  auto internet = Reachability::reachabilityForInternetConnection();
  ASSERT_TRUE(internet->startNotifier());
  EXPECT_EQ(source->watchCount(), 1u);
  bool heard = false;
  foundation::NotificationCenter::defaultCenter().addObserver(
      this, kReachabilityChangedNotification, [&heard](const foundation::Notification&) { heard = true; });
  source->setFlags(0);
  internet.reset();
  EXPECT_EQ(source->watchCount(), 0u);
  settle();
  EXPECT_FALSE(heard);
}

}  // namespace
}  // namespace framework
