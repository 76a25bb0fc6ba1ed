#include <gtest/gtest.h>

#include "platform/foundation/RunLoop.h"
#include "platform/net/ReachabilityFlags.h"
#include "platform/net/ReachabilityManualSource.h"
#include "src/http/BandwidthThrottle.h"
#include "tests/support/ManualClockFixture.h"

namespace http::test {
namespace {

using Action = BandwidthThrottle::StreamAction;
using foundation::Duration;

foundation::TimePoint::duration seconds(double s) {
  return std::chrono::duration_cast<foundation::TimePoint::duration>(Duration(s));
}

class ThrottleMeterTest : public testsupport::ManualClockFixture {
 protected:
  void SetUp() override {
    ManualClockFixture::SetUp();
    foundation::RunLoop::main();
    net::ReachabilitySource::setSystemForTesting(network);
  }
  void TearDown() override {
    throttle.setShouldThrottleBandwidthForWWAN(false, foundation::RunLoop::main());
    net::ReachabilitySource::setSystemForTesting(nullptr);
    ManualClockFixture::TearDown();
  }
  // Lets the watch hear of a change posted to the main loop.
  void settle() { foundation::RunLoop::main().pumpOnce(); }

  std::shared_ptr<net::ReachabilityManualSource> network =
      std::make_shared<net::ReachabilityManualSource>(net::kReachabilityReachable);
  BandwidthThrottle throttle;
};

TEST_F(ThrottleMeterTest, BytesOverTheLimitPushTheWakeUpPastTheEndOfTheSecond) {
  throttle.setMaxBandwidthPerSecond(1000);
  throttle.measureBandwidthUsage();  // opens the first measuring second
  auto endOfSecond = clock->now() + seconds(1);
  throttle.incrementBandwidthUsedInLastSecond(1500);
  EXPECT_EQ(throttle.throttlingAction(), Action::hold);
  ASSERT_TRUE(throttle.wakeUpTime());
  EXPECT_EQ(*throttle.wakeUpTime(), endOfSecond + seconds(0.5));

  clock->advance(Duration(1.4));
  EXPECT_EQ(throttle.throttlingAction(), Action::hold);
  clock->advance(Duration(0.1));
  EXPECT_EQ(throttle.throttlingAction(), Action::release);
}

TEST_F(ThrottleMeterTest, UploadsReadAQuarterOfTheLimitAndWhatIsLeftOfTheSecond) {
  throttle.setMaxBandwidthPerSecond(1000);
  throttle.measureBandwidthUsage();
  auto endOfSecond = clock->now() + seconds(1);
  EXPECT_EQ(throttle.maxUploadReadLength(), 250u);
  throttle.incrementBandwidthUsedInLastSecond(900);
  EXPECT_EQ(throttle.maxUploadReadLength(), 100u);
  throttle.incrementBandwidthUsedInLastSecond(300);
  EXPECT_EQ(throttle.maxUploadReadLength(), 0u);
  EXPECT_EQ(throttle.wakeUpTime(), endOfSecond);  // waits for the next second
}

TEST_F(ThrottleMeterTest, KeepsTheLastSixSecondsAndForgetsIdleOnes) {
  throttle.measureBandwidthUsage();
  for (int second = 1; second <= 8; ++second) {
    throttle.incrementBandwidthUsedInLastSecond(100 * second);
    clock->advance(Duration(1));
    throttle.measureBandwidthUsage();
  }
  EXPECT_EQ(throttle.averageBandwidthUsedPerSecond(), 550u);  // 300 ... 800

  // Two seconds that went by unmeasured push out the two oldest samples (300 and 400).
  throttle.incrementBandwidthUsedInLastSecond(900);
  clock->advance(Duration(3));
  throttle.measureBandwidthUsage();
  EXPECT_EQ(throttle.averageBandwidthUsedPerSecond(), (500u + 600 + 700 + 800 + 900) / 5);

  // A second without any bytes starts over.
  clock->advance(Duration(1));
  throttle.measureBandwidthUsage();
  EXPECT_EQ(throttle.averageBandwidthUsedPerSecond(), 0u);
}

TEST_F(ThrottleMeterTest, NothingIsThrottledWithoutALimit) {
  EXPECT_FALSE(throttle.isBandwidthThrottled());
  throttle.incrementBandwidthUsedInLastSecond(1'000'000);
  EXPECT_EQ(throttle.throttlingAction(), Action::release);
  EXPECT_FALSE(throttle.wakeUpTime());
}

TEST_F(ThrottleMeterTest, MobileOnlyThrottlingFollowsTheNetwork) {
  network->setFlags(net::kReachabilityReachable | net::kReachabilityIsWWAN);
  throttle.setShouldThrottleBandwidthForWWAN(true, foundation::RunLoop::main());
  EXPECT_EQ(throttle.maxBandwidthPerSecond(), BandwidthThrottle::kWWANLimit);
  EXPECT_TRUE(throttle.isBandwidthThrottled());
  EXPECT_EQ(network->watchCount(), 1u);

  network->setFlags(net::kReachabilityReachable);
  settle();
  EXPECT_FALSE(throttle.isBandwidthThrottled());
  network->setFlags(net::kReachabilityReachable | net::kReachabilityIsWWAN);
  settle();
  EXPECT_TRUE(throttle.isBandwidthThrottled());

  throttle.setShouldThrottleBandwidthForWWAN(false, foundation::RunLoop::main());
  EXPECT_FALSE(throttle.isBandwidthThrottled());
  EXPECT_EQ(throttle.maxBandwidthPerSecond(), 0u);
  EXPECT_EQ(network->watchCount(), 0u);
}

TEST_F(ThrottleMeterTest, AZeroLimitOnTheMobileNetworkThrottlesNothing) {
  network->setFlags(net::kReachabilityReachable | net::kReachabilityIsWWAN);
  throttle.throttleBandwidthForWWANUsingLimit(0, foundation::RunLoop::main());
  throttle.measureBandwidthUsage();
  throttle.incrementBandwidthUsedInLastSecond(5000);
  EXPECT_FALSE(throttle.isBandwidthThrottled());
  EXPECT_EQ(throttle.throttlingAction(), Action::release);
  EXPECT_FALSE(throttle.wakeUpTime());  // no wake-up computed by dividing by the zero limit
}

}  // namespace
}  // namespace http::test
