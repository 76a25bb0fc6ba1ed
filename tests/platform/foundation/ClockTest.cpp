#include <atomic>
#include <thread>
#include <vector>

#include "platform/foundation/Clock.h"
#include "platform/foundation/RunLoop.h"
#include "tests/support/ManualClockFixture.h"

namespace foundation {
namespace {

using namespace std::chrono_literals;

class ClockTest : public testsupport::ManualClockFixture {};

TEST_F(ClockTest, ManualTimeMovesOnlyWhenAdvanced) {
  const TimePoint start = Clock::current().now();
  const Date wallStart = Clock::current().wallNow();
  EXPECT_EQ(Clock::current().now(), start);

  clock->advance(Duration(2.5));
  EXPECT_EQ(Clock::current().now() - start, 2500ms);
  EXPECT_DOUBLE_EQ(Clock::current().wallNow().secondsSince1970, wallStart.secondsSince1970 + 2.5);

  clock->advance(Duration(-10));
  EXPECT_EQ(Clock::current().now() - start, 2500ms);
}

TEST_F(ClockTest, AdvanceFiresTimersInDueOrderWithTheClockAtTheirDueTime) {
  RunLoop& loop = RunLoop::main();
  const TimePoint start = clock->now();
  std::vector<std::pair<int, TimePoint>> fired;
  auto later = loop.scheduleTimer(Duration(3), false, [&] { fired.emplace_back(3, clock->now()); });
  auto sooner = loop.scheduleTimer(Duration(1), false, [&] { fired.emplace_back(1, clock->now()); });
  auto beyond = loop.scheduleTimer(Duration(9), false, [&] { fired.emplace_back(9, clock->now()); });

  clock->advance(Duration(5));

  ASSERT_EQ(fired.size(), 2u);
  EXPECT_EQ(fired[0], std::make_pair(1, start + 1s));
  EXPECT_EQ(fired[1], std::make_pair(3, start + 3s));
  EXPECT_EQ(clock->now(), start + 5s);
  EXPECT_FALSE(sooner->isValid());
  EXPECT_TRUE(beyond->isValid());
  EXPECT_EQ(beyond->fireTime(), start + 9s);
  beyond->invalidate();
}

TEST_F(ClockTest, TimersScheduledByAHandlerFireWithinTheSameStep) {
  RunLoop& loop = RunLoop::main();
  const TimePoint start = clock->now();
  std::vector<TimePoint> fired;
  std::shared_ptr<Timer> second;
  auto first = loop.scheduleTimer(Duration(1), false, [&] {
    fired.push_back(clock->now());
    second = loop.scheduleTimer(Duration(1), false, [&] { fired.push_back(clock->now()); });
  });

  clock->advance(Duration(2));

  EXPECT_EQ(fired, (std::vector<TimePoint>{start + 1s, start + 2s}));
}

TEST_F(ClockTest, RepeatingTimerFiresOncePerIntervalOfALongStep) {
  int ticks = 0;
  auto timer = RunLoop::main().scheduleTimer(Duration(0.25), true, [&] { ++ticks; });
  clock->advance(Duration(1.1));
  EXPECT_EQ(ticks, 4);
  EXPECT_EQ(timer->fireTime(), clock->now() - 100ms + 250ms);
  timer->invalidate();
  clock->advance(Duration(10));
  EXPECT_EQ(ticks, 4);
}

TEST(ClockSwapTest, CurrentClockStaysUsableWhileTestsSwapClocks) {
  std::atomic<bool> done{false};
  std::thread reader([&] {
    Clock& clock = Clock::current();
    while (!done.load()) (void)clock.now();
  });
  for (int i = 0; i < 200; ++i) {
    auto manual = std::make_shared<ManualClock>();
    Clock::setCurrent(manual);
    EXPECT_EQ(Clock::current().now(), manual->now());
    Clock::useRealClock();
  }
  done.store(true);
  reader.join();
  const auto realNow = std::chrono::steady_clock::now();
  EXPECT_LE(Clock::current().now() - realNow, 1s);
  EXPECT_GE(Clock::current().now(), realNow);
}

}  // namespace
}  // namespace foundation
