#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "platform/media/AudioBackend.h"
#include "platform/media/AudioPlayer.h"
#include "platform/media/FakeAudioBackend.h"
#include "tests/support/ManualClockFixture.h"

namespace {

using media::AudioPlayer;
using media::ItemStatus;

class FakeAudioPlayerTest : public testsupport::ManualClockFixture {
 protected:
  void SetUp() override {
    ManualClockFixture::SetUp();
    fake = media::AudioBackend::useFake();
  }
  void TearDown() override {
    media::AudioBackend::useGStreamer();
    ManualClockFixture::TearDown();
  }
  // Records every callback of `player` by name, in order.
  void record(AudioPlayer& player) {
    player.setOnRateChange([this] { log.push_back("rate"); });
    player.setOnStatusChange([this] { log.push_back("status"); });
    player.setOnDurationChange([this] { log.push_back("duration"); });
    player.setOnDidPlayToEnd([this] { log.push_back("end"); });
    player.setOnFailedToPlayToEnd([this] { log.push_back("failed-to-end"); });
  }
  void drain() { foundation::RunLoop::main().pumpOnce(); }

  std::shared_ptr<media::FakeAudioBackend> fake;
  std::vector<std::string> log;
};

TEST_F(FakeAudioPlayerTest, EventsArriveLaterOnTheMainLoopInTheOrderTheyHappened) {
  auto player = AudioPlayer::create("http://example.test/a.mp3");
  record(*player);
  auto item = fake->lastItem();
  ASSERT_EQ(item->source(), "http://example.test/a.mp3");
  std::vector<double> times;
  player->addPeriodicTimeObserver(foundation::Duration(1), [&](double seconds) { times.push_back(seconds); });

  item->becomeReady(180);
  player->play();
  EXPECT_EQ(player->rate(), 1.0f);
  EXPECT_TRUE(log.empty()) << "nothing is reported inside the causing call";
  drain();
  EXPECT_EQ(log, (std::vector<std::string>{"status", "rate"}));
  EXPECT_EQ(player->status(), ItemStatus::readyToPlay);
  EXPECT_EQ(player->duration(), 180);
  EXPECT_TRUE(item->isPlaying());

  times.clear();
  clock->advance(foundation::Duration(2.5));
  EXPECT_EQ(times, (std::vector<double>{1, 2}));

  bool first = true, second = false;
  player->seekTo(100, [&](bool finished) { first = finished; });
  player->seekTo(500, [&](bool finished) { second = finished; });
  EXPECT_EQ(item->pendingSeekTarget(), 180) << "a seek past the end is clamped";
  item->completeSeek(true);
  drain();
  EXPECT_FALSE(first) << "a replaced seek finishes with NO";
  EXPECT_TRUE(second);
  EXPECT_EQ(player->currentTime(), 180);

  player->pause();
  item->reachEnd();
  item->fail("late error");
  drain();
  EXPECT_EQ(log, (std::vector<std::string>{"status", "rate", "rate", "end"})) << "an end is reported once";
}

TEST_F(FakeAudioPlayerTest, FailureBeforeReadyIsAStatusAfterReadyAFailedPlayToEndReportedOnce) {
  auto broken = AudioPlayer::create("/no/such/song.mp3");
  record(*broken);
  fake->lastItem()->fail("cannot open");
  drain();
  EXPECT_EQ(broken->status(), ItemStatus::failed);
  ASSERT_TRUE(broken->error());
  EXPECT_EQ(broken->error()->description(), "cannot open");
  EXPECT_EQ(log, (std::vector<std::string>{"status"}));

  log.clear();
  auto player = AudioPlayer::create("/song.mp3");
  record(*player);
  auto item = fake->lastItem();
  item->becomeReady(std::nan(""));
  item->fail("dropped");
  item->fail("dropped again");
  drain();
  EXPECT_EQ(log, (std::vector<std::string>{"status", "failed-to-end"}));
  EXPECT_EQ(player->status(), ItemStatus::readyToPlay);
}

TEST_F(FakeAudioPlayerTest, UnknownDurationIsReportedWhenLearntAndPositionsStayWithinIt) {
  auto player = AudioPlayer::create("/vbr.mp3");
  record(*player);
  auto item = fake->lastItem();
  item->becomeReady(std::nan(""));
  player->play();
  drain();
  EXPECT_TRUE(std::isnan(player->duration()));
  clock->advance(foundation::Duration(30));
  EXPECT_EQ(player->currentTime(), 30);

  item->changeDuration(20);
  drain();
  EXPECT_EQ(player->duration(), 20);
  EXPECT_EQ(player->currentTime(), 20);
  EXPECT_EQ(log.back(), "duration");
}

TEST_F(FakeAudioPlayerTest, EventsForAPlayerThatIsGoneAreDropped) {
  auto player = AudioPlayer::create("/gone.mp3");
  record(*player);
  auto item = fake->lastItem();
  player->play();
  item->becomeReady(10);
  player.reset();
  drain();
  EXPECT_FALSE(item->isAlive());
  EXPECT_TRUE(log.empty());
}

}  // namespace
