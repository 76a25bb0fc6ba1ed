#include "platform/media/CallCenter.h"
#include "src/playback/timer/SleepTimer.h"
#include "tests/playback/player/PlayerFixture.h"

namespace playertest {
namespace {

using playback::PlayerController;

class PlayerSequencingTest : public PlayerTest {
 protected:
  void SetUp() override {
    PlayerTest::SetUp();
    startPanel();
    ASSERT_TRUE(runUntil([&] { return liveRequests().empty(); }));
  }
  // The channel's programme [c1, c2], started from the channel and playing c1.
  void playChannelProgramme() {
    api.answerWithBody("play.playChannel", programmeReply("61", {"c1", "c2"}));
    player().playChannel("6");
    ASSERT_TRUE(runUntil([&] { return selectedId() == "c1"; }));
    ready();
  }
  void finishSong() {
    audio->lastItem()->reachEnd();
    settle();
  }
  foundation::Dictionary lastLog() {
    EXPECT_TRUE(runUntil([&] { return !playLogs().empty(); }));
    const auto calls = playLogs();
    foundation::Dictionary fields;
    for (const auto& [name, value] : calls.back().form)
      if (name != "device_id" && name != "luid" && name != "device") fields.set(name, value);
    return fields;
  }
};

TEST_F(PlayerSequencingTest, NaturalEndContinuesTheChannelWhileASkipWraps) {
  playChannelProgramme();
  player().handleNextSongButtonClickEvent();
  EXPECT_EQ(selectedId(), "c2");
  ready();
  player().handleNextSongButtonClickEvent();
  EXPECT_EQ(selectedId(), "c1") << "a skip past the end wraps";
  EXPECT_EQ(api.callsTo("play.playChannel").size(), 1u);
  ready();
  player().handleNextSongButtonClickEvent();
  ready();
  api.answerWithBody("play.playChannel", programmeReply("62", {"n1"}));
  finishSong();
  ASSERT_TRUE(runUntil([&] { return selectedId() == "n1"; })) << "the channel's next programme follows";
  EXPECT_EQ(player().program()->programId(), "62");
  EXPECT_EQ(player().playFromChannelId(), "6");

  api.answerWithErr("play.playChannel", "hapn.fail");
  ready();
  finishSong();
  ASSERT_TRUE(runUntil([&] {
    return liveRequests().empty() && audio->items().back()->source().find("n1") != std::string::npos &&
           audio->items().size() > 5;
  }));
  EXPECT_EQ(selectedId(), "n1") << "a continuation without a programme wraps";
}

TEST_F(PlayerSequencingTest, AQueuedProgrammeIsTakenEvenWhenItsFetchFails) {
  player().playSAlbum(nullptr, songs({"a", "b"}), std::string("b"));
  ready();
  auto queued = std::make_shared<api::ProgramModel>();
  queued->setProgramId("88");
  player().prePlayPrograms().push_back(queued);
  api.answerWithStatus("play.playProgram", 500);
  finishSong();
  EXPECT_TRUE(player().prePlayPrograms().empty());
  EXPECT_EQ(selectedId(), "a") << "the list starts again while the programme is fetched";
  ASSERT_TRUE(runUntil([&] { return keyWindowLabels(PlayerController::kProgrammeFailedToast) == 1; }));
}

// Once the last of two fetches over the same list fails, the player is as before the first: its
// songs are logged under their own channel, and a song paused before a programme is asked is not
// logged when that programme arrives.
TEST_F(PlayerSequencingTest, AFailedFetchLeavesThePlayerAsBeforeItWasAsked) {
  playChannelProgramme();
  hear(3);
  api.answerWithErr("play.playProgram", "hapn.fail");
  player().playProgramFromChannel("70", "9");
  player().playProgram("71", std::nullopt);
  ASSERT_TRUE(runUntil(
      [&] { return liveRequests().empty() && keyWindowLabels(PlayerController::kProgrammeFailedToast) == 1; }));
  finishSong();
  EXPECT_EQ(lastLog()["channel_id"].toString(), "6") << "the songs of channel 6's list";
  ready();
  hear(3);
  player().playOrPause();
  api.answerWithBody("play.playProgram", programmeReply("72", {"d1"}));
  player().playProgram("72", std::nullopt);
  ASSERT_TRUE(runUntil([&] { return selectedId() == "d1" && liveRequests().empty(); }));
  EXPECT_EQ(playLogs().size(), 1u) << "c2 was paused before programme 72 was asked";
}

TEST_F(PlayerSequencingTest, RepeatedSongsAndRemovedSongsMoveByPositionNotByName) {
  auto a = song("a");
  player().playSAlbum(nullptr, {a, song("b"), a}, std::nullopt);
  ready();
  player().handleNextSongButtonClickEvent();
  ready();
  player().handleNextSongButtonClickEvent();
  EXPECT_EQ(player().musicListArray()[2], player().selectedSong());
  ready();
  player().handleNextSongButtonClickEvent();
  EXPECT_EQ(player().selectedSong(), player().musicListArray()[0]) << "past the end of [a, b, a] wraps";
}

TEST_F(PlayerSequencingTest, AnAdvertPlaysBetweenSongsAndIsNeverLogged) {
  auto& adverts = playback::AdvertisementManager::sharedManager();
  adverts.setAdsArray(foundation::Array{foundation::Dictionary{
      {"img", "http://127.0.0.1:1/ad.jpg"}, {"ad", "http://127.0.0.1:1/ad.mp3"}, {"link", "http://127.0.0.1:1/"}}});
  adverts.setPerCount(1);
  adverts.nextAdId();
  player().playSAlbum(nullptr, songs({"a", "b"}), std::nullopt);
  ready();
  hear(3);
  finishSong();
  ASSERT_TRUE(runUntil([&] { return playLogs().size() == 1; }));
  EXPECT_TRUE(player().isAdvertisement());
  EXPECT_EQ(player().controller().currentSource(), "http://127.0.0.1:1/ad.mp3");
  EXPECT_EQ(selectedId(), "b");
  ready(5);
  hear(3);
  finishSong();
  EXPECT_FALSE(player().isAdvertisement());
  EXPECT_EQ(selectedId(), "b") << "the song the advert stood before plays";
  EXPECT_NE(player().controller().currentSource().find("/b.mp3"), std::string::npos);
  settle();
  EXPECT_EQ(playLogs().size(), 1u) << "an advert is no play";
}

TEST_F(PlayerSequencingTest, LogRecordsForAProgrammeAnAlbumAndASong) {
  playChannelProgramme();
  hear(0.5);
  player().handleNextSongButtonClickEvent();
  settle();
  EXPECT_TRUE(playLogs().empty()) << "under a second is not a play";
  ready();
  hear(12.4);
  player().handleNextSongButtonClickEvent();
  foundation::Dictionary record = lastLog();
  EXPECT_EQ(record, (foundation::Dictionary{{"song_id", "c2"},
                                            {"program_id", "61"},
                                            {"channel_id", "6"},
                                            {"artist_id", "77"},
                                            {"real_duration", "12"},
                                            {"song_duration", "200"},
                                            {"action", "1"},
                                            {"source", "3"}}));
  ready();
  hear(5);
  player().playSAlbum(nullptr, songs({"s"}), std::nullopt);
  ASSERT_TRUE(runUntil([&] { return playLogs().size() == 2; }));
  EXPECT_EQ(lastLog()["action"], "2");
  ready(8);
  hear(20);
  finishSong();
  ASSERT_TRUE(runUntil([&] { return playLogs().size() == 3; }));
  record = lastLog();
  EXPECT_EQ(record["program_id"], "0");
  EXPECT_EQ(record["artist_id"], "0");
  EXPECT_EQ(record["real_duration"], "8") << "what was played, from the player";
  EXPECT_EQ(record["action"], "0");
}

TEST_F(PlayerSequencingTest, CallsInterruptionsRoutesRemoteCommandsAndTheTimer) {
  player().playSAlbum(nullptr, songs({"a", "b"}), std::nullopt);
  ready();
  media::CallCenter::injectCall({"one", media::CallState::incoming});
  ASSERT_TRUE(runUntil([&] { return !player().isPlaying(); }));
  // A centre made after the player's hears each call after it, so its count says the player has
  // taken both calls below.
  auto heard = std::make_shared<int>(0);
  auto after = media::CallCenter::create();
  after->setCallEventHandler([heard](const media::Call&) { foundation::RunLoop::main().post([heard] { ++*heard; }); });
  media::CallCenter::injectCall({"two", media::CallState::incoming});
  media::CallCenter::injectCall({"one", media::CallState::disconnected});
  ASSERT_TRUE(runUntil([&] { return *heard == 2; }));
  EXPECT_FALSE(player().isPlaying()) << "a call still on holds the song";
  media::CallCenter::injectCall({"two", media::CallState::disconnected});
  ASSERT_TRUE(runUntil([&] { return player().isPlaying(); })) << "resumes after the last call";
  EXPECT_TRUE(audio->lastItem()->isPlaying());

  media::AudioSession::sharedInstance().injectInterruption(true);
  ASSERT_TRUE(runUntil([&] { return !player().isPlaying(); }));
  media::AudioSession::sharedInstance().injectInterruption(false);
  ASSERT_TRUE(runUntil([&] { return player().isPlaying(); }));

  media::AudioSession::sharedInstance().injectRouteChange(media::AudioRouteDescription{{"Speaker"}}, 2);
  ASSERT_TRUE(runUntil([&] { return !player().isPlaying(); })) << "headphones out";

  media::RemoteCommandCenter::sharedCenter().injectCommand(media::RemoteCommand::pause);
  ASSERT_TRUE(runUntil([&] { return player().isPlaying(); })) << "a pause command while paused toggles";
  media::RemoteCommandCenter::sharedCenter().injectCommand(media::RemoteCommand::previousTrack);
  ASSERT_TRUE(runUntil([&] { return selectedId() == "b"; }));

  ready();
  playback::SleepTimer::shareSleepTimer().startWithSecond(2);
  step(3);
  ASSERT_TRUE(runUntil([&] { return player().controller().isTimingDone(); }));
  EXPECT_FALSE(player().isPlaying());
  EXPECT_FALSE(audio->lastItem()->isPlaying());
}

TEST_F(PlayerSequencingTest, LogoutLogsTheSongBeforeTheChannelOnAirReplacesIt) {
  player().playSAlbum(nullptr, songs({"a"}), std::nullopt);
  ready();
  hear(7);
  foundation::NotificationCenter::defaultCenter().postNotificationName("userLogoutEvent");
  foundation::Dictionary record = lastLog();
  EXPECT_EQ(record["song_id"], "a");
  EXPECT_EQ(record["real_duration"], "7");
  ASSERT_TRUE(runUntil([&] { return selectedId() == "1"; }));
  EXPECT_FALSE(player().isPlaying());
}

}  // namespace
}  // namespace playertest
