#include <atomic>
#include <boost/asio/local/connect_pair.hpp>
#include <boost/asio/local/stream_protocol.hpp>
#include <boost/asio/read.hpp>
#include <boost/asio/write.hpp>
#include <cmath>
#include <thread>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "tests/support/ManualClockFixture.h"

namespace foundation {
namespace {

using namespace std::chrono_literals;

// Runs `body` on a fresh thread with a loop of its own and waits for it.
void onOwnThread(const std::function<void(RunLoop&)>& body) {
  std::thread([&] { body(RunLoop::current()); }).join();
}

TEST(RunLoopTest, WorkPostedFromOtherThreadsRunsOnTheMainThreadInOrder) {
  EXPECT_TRUE(RunLoop::isMainThread() && RunLoop::main().isCurrent());
  std::vector<int> order;
  bool allOnMain = true;
  std::thread poster([&] {
    EXPECT_FALSE(RunLoop::isMainThread() || RunLoop::main().isCurrent());
    for (int i = 0; i < 100; ++i) {
      RunLoop::main().post([&, i] {
        allOnMain = allOnMain && RunLoop::isMainThread();
        order.push_back(i);
      });
    }
  });
  ASSERT_TRUE(RunLoop::main().runUntil([&] { return order.size() == 100; }));
  poster.join();
  for (int i = 0; i < 100; ++i) ASSERT_EQ(order[i], i);
  EXPECT_TRUE(allOnMain);
}

TEST(RunLoopTest, PerformRunsInlineOnTheLoopThreadAndWaitsFromOthers) {
  bool ranInline = false;
  RunLoop::main().perform([&] { ranInline = true; }, false);
  EXPECT_TRUE(ranInline);

  bool ranOnMain = false;
  int seenByWorker = 0;
  std::thread worker([&] {
    int value = 0;
    performOnMainThread(
        [&] {
          value = RunLoop::isMainThread() ? 42 : -1;
          ranOnMain = true;
        },
        true);
    seenByWorker = value;  // visible because perform waited
  });
  EXPECT_TRUE(RunLoop::main().runUntil([&] { return ranOnMain; }));
  worker.join();
  EXPECT_EQ(seenByWorker, 42);
}

TEST(RunLoopTest, PumpStopAndRunUntilDriveTheLoopAsAsked) {
  onOwnThread([](RunLoop& loop) {
    int ran = 0;
    for (int i = 0; i < 3; ++i) loop.post([&] { ++ran; });
    EXPECT_EQ(loop.pumpOnce(), 3u);
    EXPECT_EQ(loop.pumpOnce(), 0u);

    loop.stop();
    loop.run();  // a stop that came first ends the next run at once
    loop.post([&] { loop.stop(); });
    loop.post([&] { ++ran; });
    loop.run();
    EXPECT_EQ(ran, 3);

    EXPECT_TRUE(loop.runUntil([] { return true; }));  // checked before anything runs
    EXPECT_EQ(ran, 3);
    EXPECT_FALSE(loop.runUntil([] { return false; }, Duration(0)));
    EXPECT_FALSE(loop.runUntil([] { return false; }, Duration(std::nan(""))));
    EXPECT_TRUE(loop.runUntil([&] { return ran == 4; }));
  });
}

TEST(RunLoopTest, RunUntilMayBeNestedInAHandler) {
  bool inner = false, outer = false;
  RunLoop& loop = RunLoop::main();
  loop.post([&] {
    loop.post([&] { inner = true; });
    EXPECT_TRUE(loop.runUntil([&] { return inner; }));
    outer = true;
  });
  EXPECT_TRUE(loop.runUntil([&] { return outer; }));
}

TEST(RunLoopTest, RealClockTimersFireWhileTheLoopRuns) {
  onOwnThread([](RunLoop& loop) {
    int once = 0, repeated = 0;
    auto oneShot = loop.scheduleTimer(Duration(0.001), false, [&] { ++once; });
    auto repeating = loop.scheduleTimer(Duration(0.001), true, [&] { ++repeated; });
    EXPECT_TRUE(loop.runUntil([&] { return once == 1 && repeated >= 3; }));
    repeating->invalidate();
    EXPECT_FALSE(oneShot->isValid() || repeating->isValid());
  });
}

TEST(RunLoopTest, SocketsScheduledOnTheLoopCompleteWhenItRuns) {
  onOwnThread([](RunLoop& loop) {
    boost::asio::local::stream_protocol::socket reader(loop.ioContext()), writer(loop.ioContext());
    boost::asio::local::connect_pair(reader, writer);
    std::string received(5, '\0');
    bool done = false;
    boost::asio::async_read(reader, boost::asio::buffer(received), [&](auto error, std::size_t) { done = !error; });
    boost::asio::async_write(writer, boost::asio::buffer(std::string_view("hello")), [](auto, std::size_t) {});
    EXPECT_TRUE(loop.runUntil([&] { return done; }));
    EXPECT_EQ(received, "hello");
  });
}

class RunLoopTimerTest : public testsupport::ManualClockFixture {};

TEST_F(RunLoopTimerTest, ZeroIntervalTimerFiresOnTheNextPassWithoutTimeMoving) {
  bool fired = false;
  auto timer = RunLoop::main().scheduleTimer(Duration(0), false, [&] { fired = true; });
  EXPECT_TRUE(RunLoop::main().runUntil([&] { return fired; }));
}

TEST_F(RunLoopTimerTest, InvalidatedTimersNeverFireAndReleaseTheirHandler) {
  auto held = std::make_shared<int>(0);
  int fired = 0;
  auto cancelled = RunLoop::main().scheduleTimer(Duration(1), false, [&, held] { ++fired; });
  std::shared_ptr<Timer> selfStopping;
  selfStopping = RunLoop::main().scheduleTimer(Duration(1), true, [&] {
    ++fired;
    selfStopping->invalidate();
  });
  std::thread([&] { cancelled->invalidate(); }).join();

  clock->advance(Duration(5));
  RunLoop::main().pumpOnce();

  EXPECT_EQ(fired, 1);
  EXPECT_FALSE(selfStopping->isValid());
  EXPECT_EQ(held.use_count(), 1);  // the cancelled handler let go of its captures
}

TEST_F(RunLoopTimerTest, AdvanceWakesOtherLoopsToFireTheirTimers) {
  LoopThread network("net-test");
  std::atomic<bool> fired{false};
  std::shared_ptr<Timer> timer;
  network.loop().perform([&] { timer = RunLoop::current().scheduleTimer(Duration(2), false, [&] { fired = true; }); },
                         true);
  clock->advance(Duration(1));
  network.loop().perform([] {}, true);  // the network loop has looked at its timers
  EXPECT_FALSE(fired.load());
  clock->advance(Duration(1));
  network.loop().perform([] {}, true);
  EXPECT_TRUE(fired.load());
}

TEST_F(RunLoopTimerTest, OutlandishIntervalsAreBoundedNotUndefined) {
  const TimePoint start = clock->now();
  int fired = 0;
  auto notANumber = RunLoop::main().scheduleTimer(Duration(std::nan("")), true, [&] { ++fired; });
  auto distant = RunLoop::main().scheduleTimer(Duration(1e300), false, [&] { ++fired; });
  EXPECT_EQ(notANumber->interval(), Duration(0.0001));
  notANumber->invalidate();
  EXPECT_EQ(distant->fireTime(), start + std::chrono::seconds(1'000'000'000));
  clock->advance(Duration(1e300));
  EXPECT_EQ(fired, 1);
}

}  // namespace
}  // namespace foundation
