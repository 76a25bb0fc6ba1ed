#include "app/program/QuitSignals.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <memory>

#include "platform/foundation/Clock.h"
#include "platform/foundation/RunLoop.h"

namespace zunoradio {
namespace {

constexpr foundation::Duration kPatience{6};

// What a leaving process stuck for good does: nothing ever again.
[[noreturn]] void stayStuck() {
  for (;;) ::pause();
}

// Each case runs in a child of its own, which the quit ends.
class QuitSignalsTest : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

// A leaving that never ends is cut at the patience, counted on the process's clock.
TEST_F(QuitSignalsTest, AStuckLeavingEndsAtThePatience) {
  EXPECT_EXIT(
      {
        auto clock = std::make_shared<foundation::ManualClock>();
        foundation::Clock::setCurrent(clock);
        QuitSignals quit([] {}, kPatience);
        quit.leaveWithin();
        clock->advance(kPatience);
        stayStuck();
      },
      ::testing::ExitedWithCode(1), "Could not finish quitting within 6 seconds: leaving now\\.");
}

// The first interrupt asks the program to quit; a second one, while it leaves, ends it at once.
TEST_F(QuitSignalsTest, ASecondInterruptLeavesAtOnce) {
  EXPECT_EXIT(
      {
        QuitSignals::blockInEveryThread();
        bool asked = false;
        QuitSignals quit([&] { asked = true; }, kPatience);
        ::kill(::getpid(), SIGINT);
        // Taken by the watcher before the second is sent, which would otherwise merge with it.
        foundation::RunLoop::main().runUntil([&] { return asked; }, foundation::Duration(60));
        ::kill(::getpid(), SIGINT);
        stayStuck();
      },
      ::testing::ExitedWithCode(128 + SIGINT), "Asked again to quit: leaving at once\\.");
}

}  // namespace
}  // namespace zunoradio
