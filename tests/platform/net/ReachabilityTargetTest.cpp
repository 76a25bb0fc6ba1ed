#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "platform/net/ReachabilityManualSource.h"
#include "platform/net/ReachabilityTarget.h"

namespace net {
namespace {

using foundation::RunLoop;

constexpr ReachabilityFlags kWiFi = kReachabilityReachable;
constexpr ReachabilityFlags kCellularLink =
    kReachabilityReachable | kReachabilityIsWWAN | kReachabilityTransientConnection;

TEST(ReachabilityEndpointTest, HostNamesAndLiteralAddresses) {
  auto name = ReachabilityEndpoint::forHostName("radio.example");
  ASSERT_TRUE(name.ok());
  EXPECT_TRUE(name->isHostName());
  EXPECT_EQ(name->hostName(), "radio.example");

  auto literal = ReachabilityEndpoint::forHostName("192.168.1.2");
  ASSERT_TRUE(literal.ok());
  EXPECT_FALSE(literal->isHostName());
  EXPECT_EQ(literal->address(), 0xC0A80102u);

  EXPECT_FALSE(ReachabilityEndpoint::forHostName("").ok());
  EXPECT_FALSE(ReachabilityEndpoint::forHostName("a host").ok());
  EXPECT_FALSE(ReachabilityEndpoint::forHostName(std::string(254, 'a')).ok());
  EXPECT_TRUE(ReachabilityEndpoint::forHostName(std::string(253, 'a')).ok());
}

// Targets made here read the manual source, which the test drives.
class ReachabilityTargetTest : public ::testing::Test {
 protected:
  void SetUp() override { ReachabilitySource::setSystemForTesting(source); }
  void TearDown() override { ReachabilitySource::setSystemForTesting(nullptr); }

  std::unique_ptr<ReachabilityTarget> scheduledAddressTarget() {
    auto target = ReachabilityTarget::withAddress(0);
    target->setCallback([this](ReachabilityFlags flags) { reports.push_back(flags); });
    EXPECT_TRUE(target->scheduleWithRunLoop(RunLoop::main()).ok());
    return target;
  }
  // Runs what is queued now, so a call that should not come has had its chance.
  static void settle() {
    while (RunLoop::main().pumpOnce() > 0) {
    }
  }
  bool reportsReach(std::size_t count) {
    return RunLoop::main().runUntil([&] { return reports.size() >= count; });
  }

  std::shared_ptr<ReachabilityManualSource> source = std::make_shared<ReachabilityManualSource>(kWiFi);
  std::vector<ReachabilityFlags> reports;
};

TEST_F(ReachabilityTargetTest, AddressTargetsReportChangesOnly) {
  auto target = scheduledAddressTarget();
  EXPECT_EQ(target->flags(), kWiFi);
  settle();
  EXPECT_TRUE(reports.empty()) << "no change yet";

  source->setFlags(kCellularLink);
  ASSERT_TRUE(reportsReach(1));
  EXPECT_EQ(reports[0], kCellularLink);

  source->setFlags(kCellularLink);  // news that changed nothing
  settle();
  EXPECT_EQ(reports.size(), 1u);

  source->setFlags(0);
  ASSERT_TRUE(reportsReach(2));
  EXPECT_EQ(reports[1], 0u);
}

TEST_F(ReachabilityTargetTest, HostNameTargetsAnswerOnceScheduled) {
  auto target = ReachabilityTarget::withHostName("radio.example").value();
  target->setCallback([this](ReachabilityFlags flags) { reports.push_back(flags); });
  ASSERT_TRUE(target->scheduleWithRunLoop(RunLoop::main()).ok());
  EXPECT_TRUE(reports.empty()) << "the answer comes from the loop, not from inside the call";
  ASSERT_TRUE(reportsReach(1));
  EXPECT_EQ(reports[0], kWiFi);

  source->setFlags(std::nullopt);  // unreadable flags are not news
  settle();
  EXPECT_EQ(reports.size(), 1u);
  EXPECT_EQ(target->flags(), std::nullopt);
}

TEST_F(ReachabilityTargetTest, UnschedulingStopsTheCalls) {
  auto target = scheduledAddressTarget();
  source->setFlags(kCellularLink);  // already on its way to the loop
  target->unscheduleFromRunLoop();
  EXPECT_FALSE(target->isScheduled());
  EXPECT_EQ(source->watchCount(), 0u);
  source->setFlags(0);
  settle();
  EXPECT_TRUE(reports.empty());
  target->unscheduleFromRunLoop();  // twice is harmless

  ASSERT_TRUE(target->scheduleWithRunLoop(RunLoop::main()).ok());
  source->setFlags(kWiFi);
  ASSERT_TRUE(reportsReach(1));
  EXPECT_EQ(reports[0], kWiFi);
}

TEST_F(ReachabilityTargetTest, ATargetMayBeDestroyedByItsOwnCallback) {
  auto target = ReachabilityTarget::withAddress(0);
  auto* raw = target.get();
  raw->setCallback([&target, this](ReachabilityFlags flags) {
    reports.push_back(flags);
    target.reset();
  });
  ASSERT_TRUE(raw->scheduleWithRunLoop(RunLoop::main()).ok());
  source->setFlags(kCellularLink);
  ASSERT_TRUE(reportsReach(1));
  EXPECT_EQ(target, nullptr);
  EXPECT_EQ(source->watchCount(), 0u);
}

TEST_F(ReachabilityTargetTest, CallsComeOnTheLoopTheTargetWasScheduledOn) {
  foundation::LoopThread thread("reachability");
  std::unique_ptr<ReachabilityTarget> target = ReachabilityTarget::withAddress(0);
  std::atomic<bool> onThatLoop{false};
  int calls = 0;
  RunLoop& loop = thread.loop();
  target->setCallback([&](ReachabilityFlags) {
    onThatLoop = loop.isCurrent();
    RunLoop::main().post([&calls] { ++calls; });
  });
  loop.perform([&] { EXPECT_TRUE(target->scheduleWithRunLoop(loop).ok()); }, true);
  source->setFlags(kCellularLink);
  ASSERT_TRUE(RunLoop::main().runUntil([&] { return calls == 1; }));
  EXPECT_TRUE(onThatLoop);
  target.reset();  // from the main thread, while the other loop runs
  EXPECT_EQ(source->watchCount(), 0u);
}

}  // namespace
}  // namespace net
