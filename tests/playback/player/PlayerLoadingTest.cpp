#include <limits>

#include "platform/ui/AlertView.h"
#include "src/framework/cache/DataCacheManager.h"
#include "src/playback/offline/DownloadManager.h"
#include "src/playback/player/SongSourceRule.h"
#include "tests/playback/player/PlayerFixture.h"

namespace playertest {
namespace {

using playback::PlayerController;
using playback::SongSourceRule;
using Outcome = SongSourceRule::Outcome;

TEST(SongSourceRuleTest, SettingStatusAndFileTable) {
  struct Case {
    std::optional<std::string> setting;
    int status;
    bool offline;
    bool file;
    Outcome outcome;
    const char* toast;
  };
  const Case cases[] = {
      {"WiFi", 3, false, false, Outcome::refused, nullptr},
      {"WiFi", 3, false, true, Outcome::play, SongSourceRule::kOfflineFileToast},
      {"WiFi", 1, false, false, Outcome::play, nullptr},
      {"2G/3G/4G和WiFi", 4, false, false, Outcome::play, SongSourceRule::kMobileStreamToast},
      {std::nullopt, 2, false, false, Outcome::play, SongSourceRule::kMobileStreamToast},
      {std::nullopt, 0, false, false, Outcome::play, nullptr},
      {std::nullopt, 1, true, false, Outcome::skip, nullptr},
      {std::nullopt, 3, true, true, Outcome::play, nullptr},
  };
  for (const Case& c : cases) {
    auto file = c.file ? std::optional<std::string>("/songs/1.mp3") : std::nullopt;
    auto choice = SongSourceRule::choose(c.setting, c.status, c.offline, file, [] { return std::string("http://s"); });
    SCOPED_TRACE(c.setting.value_or("-") + " " + std::to_string(c.status) + (c.offline ? " offline" : ""));
    EXPECT_EQ(choice.outcome, c.outcome);
    EXPECT_EQ(choice.toast, c.toast ? std::optional<std::string>(c.toast) : std::nullopt);
    if (c.outcome == Outcome::play) {
      EXPECT_EQ(choice.source, c.file ? "/songs/1.mp3" : "http://s");
    }
  }
}

class PlayerLoadingTest : public PlayerTest {
 protected:
  void SetUp() override {
    PlayerTest::SetUp();
    startPanel();
    foundation::NotificationCenter::defaultCenter().addObserver(this, playback::kSongSourceDidLoadedNotification,
                                                                [this](const foundation::Notification&) { ++loaded; });
  }
  void TearDown() override {
    foundation::NotificationCenter::defaultCenter().removeObserver(this);
    PlayerTest::TearDown();
  }
  int loaded = 0;
};

TEST_F(PlayerLoadingTest, OnePlayerPerSongAndAPauseDuringTheLoadHolds) {
  player().playSAlbum(nullptr, songs({"a", "b"}), std::nullopt);
  auto first = audio->lastItem();
  player().playOrPause();
  first->becomeReady(100);
  ASSERT_TRUE(runUntil([&] { return loaded == 1; }));
  settle();
  EXPECT_FALSE(first->isPlaying()) << "ready must not undo the pause";
  EXPECT_FALSE(player().isPlaying());

  player().playOrPause();
  EXPECT_TRUE(first->isPlaying());
  player().handleNextSongButtonClickEvent();
  settle();
  EXPECT_FALSE(first->isAlive()) << "the previous song's player is gone";
  EXPECT_EQ(audio->items().size(), 2u);
  ready();
  EXPECT_TRUE(audio->lastItem()->isPlaying());
}

TEST_F(PlayerLoadingTest, OnlyProgrammeMakersMaySeek) {
  auto user = std::make_shared<api::UserModel>();
  user->setUid("5");
  user->setPriItemView("1");  // may see items, may not make programmes
  ASSERT_TRUE(framework::DataCacheManager::sharedManager().addObject(user, "userIsLogin"));
  player().playSAlbum(nullptr, songs({"a", "b"}), std::nullopt);
  ready();
  EXPECT_FALSE(player().positionSlider()->isEnabled());

  user->setPriCreateProgram("1");
  ASSERT_TRUE(framework::DataCacheManager::sharedManager().addObject(user, "userIsLogin"));
  player().handleNextSongButtonClickEvent();
  settle();
  ready();
  EXPECT_TRUE(player().positionSlider()->isEnabled());
}

TEST_F(PlayerLoadingTest, AFailingSongIsRetriedThenGivenUp) {
  std::vector<std::string> givenUp;
  player().controller().setOnGivenUp([&](const api::SongModelPtr& song, const std::string& reason) {
    givenUp.push_back(song->songId().value_or("") + ": " + reason);
  });
  player().playSAlbum(nullptr, songs({"a", "b"}), std::nullopt);
  for (int attempt = 1; attempt < PlayerController::kMaxLoadFailures; ++attempt) {
    audio->lastItem()->fail("404");
    settle();
    EXPECT_EQ(audio->items().size(), static_cast<std::size_t>(attempt));
    step(PlayerController::kRetrySeconds);
    settle();
    ASSERT_EQ(audio->items().size(), static_cast<std::size_t>(attempt + 1)) << "reloaded after 5 s";
    EXPECT_EQ(selectedId(), "a");
  }
  audio->lastItem()->fail("404");
  settle();
  EXPECT_EQ(selectedId(), "b") << "a song that never loads is passed over";
  EXPECT_EQ(givenUp, std::vector<std::string>{"a: 404"}) << "once, after the last attempt";

  audio->lastItem()->fail("404");
  player().interruptPlay();
  settle();
  step(PlayerController::kRetrySeconds * 2);
  settle();
  EXPECT_EQ(audio->items().size(), 4u) << "a paused player is not reloaded";
  player().controller().setOnGivenUp({});
}

// A stream that learns its length late shows it then; a song cut short goes on to the next and
// counts as finished, with the time heard: the listener did not skip it.
TEST_F(PlayerLoadingTest, LateLengthIsShownAndACutSongIsLoggedAsFinishedWithTheTimeHeard) {
  std::vector<std::string> givenUp;
  player().controller().setOnGivenUp([&](const api::SongModelPtr& song, const std::string& reason) {
    givenUp.push_back(song->songId().value_or("") + ": " + reason);
  });
  player().playSAlbum(nullptr, songs({"a", "b"}), std::nullopt);
  auto first = ready(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(player().totalTimeLabel()->text(), "00:00");
  first->changeDuration(183.4);
  settle();
  EXPECT_EQ(player().totalTimeLabel()->text(), "03:03");
  EXPECT_EQ(player().positionSlider()->maximumValue(), 183);
  ASSERT_TRUE(media::NowPlayingInfoCenter::defaultCenter().nowPlayingInfo());
  EXPECT_DOUBLE_EQ(media::NowPlayingInfoCenter::defaultCenter().nowPlayingInfo()->duration, 183.4);

  hear(30);
  first->fail("connection dropped");
  settle();
  EXPECT_EQ(givenUp, std::vector<std::string>{"a: connection dropped"});
  EXPECT_EQ(selectedId(), "b");
  ASSERT_TRUE(runUntil([&] { return playLogs().size() == 1; }));
  EXPECT_EQ(playLogs()[0].field("action"), "0");
  EXPECT_EQ(playLogs()[0].field("real_duration"), "30");
  player().controller().setOnGivenUp({});
}

TEST_F(PlayerLoadingTest, StreamRefusedOnTheMobileNetworkWhileADownloadedSongPlays) {
  ASSERT_TRUE(framework::DataCacheManager::sharedManager().addObject(std::string(SongSourceRule::kWiFiOnly),
                                                                     PlayerController::kPlaySettingKey));
  setNetworkStatus(net::kReachabilityReachable | net::kReachabilityIsWWAN | net::kReachabilityTransientConnection);
  ASSERT_TRUE(runUntil([] { return services::AppDelegate::sharedDelegate().networkStatus() == 3; }));
  const std::size_t items = audio->items().size();
  const std::size_t alerts = ui::AlertView::visibleAlerts().size();
  player().playSAlbum(nullptr, songs({"7"}), std::nullopt);
  ASSERT_EQ(ui::AlertView::visibleAlerts().size(), alerts + 1);
  EXPECT_EQ(ui::AlertView::visibleAlerts().back()->message(), SongSourceRule::kRefusedMessage);
  ui::AlertView::visibleAlerts().back()->pressButton(0);
  EXPECT_FALSE(player().isPlaying());
  EXPECT_EQ(audio->items().size(), items);

  logIn("5");
  const std::string file = downloadedSong(7, 0);
  player().playSAlbum(nullptr, songs({"7"}), std::nullopt);
  EXPECT_EQ(player().controller().currentSource(), file);
  EXPECT_EQ(keyWindowLabels(SongSourceRule::kOfflineFileToast), 1);
}

TEST_F(PlayerLoadingTest, OfflineModeSkipsSongsWithoutAFile) {
  logIn("5");
  const std::string file = downloadedSong(9, 0);
  services::AppDelegate::sharedDelegate().setIsOffline(true);
  player().playSAlbum(nullptr, songs({"8", "9"}), std::nullopt);
  EXPECT_EQ(selectedId(), "9");
  EXPECT_EQ(player().controller().currentSource(), file);
  ASSERT_TRUE(foundation::FileManager::removeItem(file));
  player().playSAlbum(nullptr, songs({"8"}), std::nullopt);
  EXPECT_FALSE(player().isPlaying());
  EXPECT_TRUE(player().controller().currentSource().empty()) << "nothing is streamed in offline mode";
}

TEST_F(PlayerLoadingTest, ARefusedSeekEndsTheDrag) {
  player().playSAlbum(nullptr, songs({"a"}), std::nullopt);
  auto item = ready();
  player().controller().beginSeeking();
  player().controller().seekTo(50);
  EXPECT_TRUE(player().controller().isSeeking());
  item->completeSeek(false);
  settle();
  EXPECT_FALSE(player().controller().isSeeking());
}

}  // namespace
}  // namespace playertest
