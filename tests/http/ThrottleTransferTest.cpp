#include <gtest/gtest.h>

#include "src/http/BandwidthThrottle.h"
#include "src/http/InputStream.h"
#include "tests/http/EngineTestSupport.h"

namespace http::test {
namespace {

using testsupport::Reply;

class ThrottleTransferTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    foundation::Clock::setCurrent(clock);
    BandwidthThrottle::shared().resetForTesting();
  }
  void TearDown() override {
    BandwidthThrottle::shared().resetForTesting();
    foundation::Clock::useRealClock();
    EngineTest::TearDown();
  }

  // Runs the main loop's ready work and lets the network thread take its turn, until `condition`
  // holds. Nothing waits for time to pass: the clock only moves when the test steps it.
  static bool driveUntil(const std::function<bool()>& condition) {
    for (int turn = 0; turn < 1'000'000; ++turn) {
      if (condition()) return true;
      foundation::RunLoop::main().pumpOnce();
      HTTPRequest::networkLoop().perform([] {}, true);
    }
    return false;
  }
  // The meter has used up this second's allowance and holds the streams.
  bool throttleHolds() const {
    auto wake = BandwidthThrottle::shared().wakeUpTime();
    return wake && *wake > clock->now();
  }

  std::shared_ptr<foundation::ManualClock> clock = std::make_shared<foundation::ManualClock>();
};

TEST_F(ThrottleTransferTest, AThrottledDownloadKeepsToItsLimit) {
  constexpr std::uint64_t kLimit = 4000;
  const std::string body(8 * kLimit, 'z');
  server.route("GET", "/song", Reply::text(body));
  HTTPRequest::setMaxBandwidthPerSecond(kLimit);
  EXPECT_TRUE(HTTPRequest::isBandwidthThrottled());
  delegate->takesData = true;
  auto request = makeRequest(server.url("/song"));
  auto start = clock->now();
  request->startAsynchronous();
  for (int step = 0; !delegate->ended(); ++step) {
    ASSERT_LT(step, 400) << "the download does not move on";
    ASSERT_TRUE(driveUntil([&] { return delegate->ended() || throttleHolds(); }));
    if (!delegate->ended()) clock->advance(foundation::Duration(0.25));
  }
  EXPECT_EQ(delegate->count("finished"), 1);
  EXPECT_EQ(delegate->received.size(), body.size());
  double seconds = foundation::Duration(clock->now() - start).count();
  double rate = static_cast<double>(body.size()) / seconds;
  EXPECT_LE(rate, 1.2 * kLimit) << "over " << seconds << " s";
  EXPECT_GE(rate, 0.5 * kLimit) << "over " << seconds << " s";
  EXPECT_GT(BandwidthThrottle::shared().averageBandwidthUsedPerSecond(), 0u);
}

TEST_F(ThrottleTransferTest, ThrottledBodyReadsTakeWhatTheSecondAllows) {
  auto& throttle = BandwidthThrottle::shared();
  auto stream = InputStream::inputStreamWithData(foundation::Bytes(5000, 7), std::weak_ptr<HTTPRequest>());
  ASSERT_TRUE(stream->open().ok());
  std::vector<std::uint8_t> buffer(16384);

  EXPECT_EQ(stream->read(buffer.data(), buffer.size()), 5000) << "unthrottled: as much as asked";
  stream = InputStream::inputStreamWithData(foundation::Bytes(5000, 7), std::weak_ptr<HTTPRequest>());
  ASSERT_TRUE(stream->open().ok());
  throttle.setMaxBandwidthPerSecond(1000);
  throttle.measureBandwidthUsage();  // closes the second of the unthrottled read
  throttle.incrementBandwidthUsedInLastSecond(900);
  EXPECT_EQ(stream->read(buffer.data(), buffer.size()), 100);
  EXPECT_EQ(stream->read(buffer.data(), buffer.size()), 1) << "allowance used up: one byte, never 0";
  EXPECT_EQ(stream->read(buffer.data(), 0), 0);
  clock->advance(foundation::Duration(1));
  throttle.measureBandwidthUsage();
  EXPECT_EQ(stream->read(buffer.data(), buffer.size()), 250) << "a quarter of the limit";
}

}  // namespace
}  // namespace http::test
