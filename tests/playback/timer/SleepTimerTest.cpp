#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "src/playback/timer/SleepTimer.h"
#include "tests/support/ManualClockFixture.h"

namespace playback {
namespace {

// What the timer announced, as "name m:s" (or the bare name for notifications without time).
class SleepTimerTest : public testsupport::ManualClockFixture {
 protected:
  void SetUp() override {
    ManualClockFixture::SetUp();
    foundation::RunLoop::main();
    for (const char* name :
         {kTimerStartNotification, kTimerProgressNotification, kTimerDoneNotification, kTimerStopNotification}) {
      foundation::NotificationCenter::defaultCenter().addObserver(this, name, [this](const auto& note) {
        std::string entry = note.name;
        if (note.userInfo.contains("minute"))
          entry += " " + note.userInfo["minute"].toString() + ":" + note.userInfo["second"].toString();
        heard.push_back(entry);
      });
    }
  }
  void TearDown() override {
    foundation::NotificationCenter::defaultCenter().removeObserver(this);
    SleepTimer::resetForTesting();
    ManualClockFixture::TearDown();
  }

  int count(const std::string& entry) const { return static_cast<int>(std::count(heard.begin(), heard.end(), entry)); }
  int countStartingWith(const std::string& prefix) const {
    return static_cast<int>(
        std::count_if(heard.begin(), heard.end(), [&](const auto& e) { return e.starts_with(prefix); }));
  }

  SleepTimer& timer = SleepTimer::shareSleepTimer();
  std::vector<std::string> heard;
};

TEST_F(SleepTimerTest, FifteenMinutesEndOneTickAfterShowingZero) {
  timer.startWithSecond(899);
  ASSERT_EQ(heard, (std::vector<std::string>{"notificationTimerStart 14:59", "notificationTimerProgress 14:59"}));
  EXPECT_EQ(timer.currentLeftTimeString(), "14 : 59");

  clock->advance(foundation::Duration(899));
  EXPECT_EQ(heard.back(), "notificationTimerProgress 0:0");
  EXPECT_EQ(countStartingWith("notificationTimerProgress"), 900);
  EXPECT_EQ(count("notificationTimerProgress 13:59"), 1);
  EXPECT_TRUE(timer.isTiming());

  clock->advance(foundation::Duration(1));
  EXPECT_EQ(heard.back(), "notificationTimerDone");
  EXPECT_FALSE(timer.isTiming());
  EXPECT_EQ(timer.currentLeftTimeString(), "");

  clock->advance(foundation::Duration(10));
  timer.stop();  // after the end: nothing to stop
  EXPECT_EQ(heard.back(), "notificationTimerDone");
  EXPECT_EQ(count("notificationTimerDone"), 1);
}

TEST_F(SleepTimerTest, TimeLeftIsShownWithTwoDigitsEach) {
  EXPECT_EQ(timer.currentLeftTimeString(), "");
  timer.startWithSecond(5 * 60 + 3);
  EXPECT_EQ(timer.currentLeftTimeString(), "05 : 03");
  timer.startWithSecond(10 * 60 + 10);
  EXPECT_EQ(timer.currentLeftTimeString(), "10 : 10");
  timer.startWithSecond(100 * 60);
  EXPECT_EQ(timer.currentLeftTimeString(), "100 : 00");
}

TEST_F(SleepTimerTest, StartingAgainReplacesTheRunningCountdown) {
  timer.startWithSecond(899);
  timer.startWithSecond(2);
  EXPECT_EQ(count("notificationTimerStop"), 1);
  clock->advance(foundation::Duration(2));
  EXPECT_EQ(heard.back(), "notificationTimerProgress 0:0");
  EXPECT_EQ(countStartingWith("notificationTimerProgress"), 1 + 1 + 2);  // one tick a second, not two
  clock->advance(foundation::Duration(60));
  EXPECT_EQ(count("notificationTimerDone"), 1);
  EXPECT_EQ(countStartingWith("notificationTimerProgress"), 4);
}

TEST_F(SleepTimerTest, StopOnlyActsOnARunningCountdown) {
  timer.stop();
  EXPECT_TRUE(heard.empty());

  timer.startWithSecond(60);
  clock->advance(foundation::Duration(3));
  timer.stop();
  EXPECT_EQ(heard.back(), "notificationTimerStop");
  EXPECT_FALSE(timer.isTiming());
  const std::size_t heardBefore = heard.size();
  clock->advance(foundation::Duration(120));
  timer.stop();
  EXPECT_EQ(heard.size(), heardBefore);
}

TEST_F(SleepTimerTest, ANegativeCountEndsAtOnce) {
  timer.startWithSecond(-30);
  EXPECT_EQ(heard, std::vector<std::string>{"notificationTimerDone"});
  EXPECT_FALSE(timer.isTiming());
  clock->advance(foundation::Duration(5));
  EXPECT_EQ(heard.size(), 1u);
}

}  // namespace
}  // namespace playback
