#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/FileManager.h"
#include "platform/media/AudioBackend.h"
#include "platform/media/AudioSession.h"
#include "platform/media/FakeAudioBackend.h"
#include "platform/media/NowPlayingInfoCenter.h"
#include "platform/media/RemoteCommandCenter.h"
#include "platform/net/ReachabilityManualSource.h"
#include "src/framework/network/NetWorkUitil.h"
#include "src/framework/network/Reachability.h"
#include "src/playback/adverts/AdvertisementManager.h"
#include "src/playback/managers/PlayApiManager.h"
#include "src/playback/offline/DBManager.h"
#include "src/playback/offline/DownloadManager.h"
#include "src/playback/player/AudioPlayerView.h"
#include "src/services/shell/AppDelegate.h"
#include "tests/api/requests/ApiRequestTestSupport.h"
#include "tests/playback/PlaybackServicesReset.h"

namespace playertest {

// A song of a reply: {"song_id", "song_name", "duration", "audio_url"}.
inline std::string songJson(const std::string& id, const std::string& url = "") {
  return R"({"song_id":")" + id + R"(","song_name":"歌)" + id + R"(","duration":"200","audio_url":")" +
         (url.empty() ? "http://127.0.0.1:1/song/" + id + ".mp3" : url) + "\"}";
}

// A play reply holding a programme and its songs.
inline std::string programmeReply(const std::string& programmeId, const std::vector<std::string>& songIds) {
  std::string songs;
  for (const std::string& id : songIds) songs += (songs.empty() ? "" : ",") + songJson(id);
  return R"({"err":"hapn.ok","data":{"program":{"program_id":")" + programmeId + R"(","program_name":"节目)" +
         programmeId + R"(","uid":"77","user":{"uid":"77","uname":"DJ"}},"songs":[)" + songs + "]}}";
}

inline api::SongModelPtr song(const std::string& id) {
  auto model = std::make_shared<api::SongModel>();
  model->setSongId(id);
  model->setSongName("歌" + id);
  model->setDuration("200");
  model->setAudioUrl("http://127.0.0.1:1/song/" + id + ".mp3");
  return model;
}

inline std::vector<api::SongModelPtr> songs(const std::vector<std::string>& ids) {
  std::vector<api::SongModelPtr> list;
  for (const std::string& id : ids) list.push_back(song(id));
  return list;
}

// The player on the fake audio backend, the manual clock, a manual network on Wi-Fi and the
// sample station's web API; no advert plan unless a test gives one.
class PlayerTest : public apitest::ApiRequestTest {
 protected:
  void SetUp() override {
    ApiRequestTest::SetUp();
    playback::testing::resetPlaybackServices(network);
    setNetworkStatus(net::kReachabilityReachable);
    playback::PlayApiManager::resetForTesting();
    playback::AdvertisementManager::resetSharedManagerForTesting();
    playback::AudioPlayerView::resetSharedForTesting();
    media::AudioSession::sharedInstance().resetForTesting();
    media::RemoteCommandCenter::sharedCenter().resetForTesting();
    media::NowPlayingInfoCenter::defaultCenter().resetForTesting();
    audio = media::AudioBackend::useFake();
    api.answerWithBody("play.getAdPlan", R"({"err":"hapn.ok","data":{"ads":[],"per_count":0}})");
    api.answerWithBody("play.playNowChannels", programmeReply("500", {"1", "2"}));
  }
  void TearDown() override {
    playback::AudioPlayerView::resetSharedForTesting();
    playback::AdvertisementManager::resetSharedManagerForTesting();
    playback::PlayApiManager::resetForTesting();
    services::AppDelegate::resetForTesting();
    framework::NetWorkUitil::resetDefaultUitilForTesting();
    net::ReachabilitySource::setSystemForTesting(nullptr);
    media::AudioBackend::useGStreamer({media::AudioSink::fake, false});
    ApiRequestTest::TearDown();
  }

  // Announces a network change, as the reachability notifier does.
  void setNetworkStatus(net::ReachabilityFlags flags) {
    network->setFlags(flags);
    (void)services::AppDelegate::sharedDelegate();  // it listens from its creation on
    auto reachability = framework::Reachability::reachabilityForInternetConnection();
    foundation::NotificationCenter::defaultCenter().postNotificationName(framework::kReachabilityChangedNotification,
                                                                         reachability);
  }

  // The panel, started as the main pane starts it; it loads the channel on air without playing.
  playback::AudioPlayerView& startPanel() {
    auto panel = playback::AudioPlayerView::sharedAudioPlayer();
    panel->initAudioPlayer();
    EXPECT_TRUE(runUntil([&] { return !panel->musicListArray().empty(); }));
    return *panel;
  }
  static playback::AudioPlayerView& player() { return *playback::AudioPlayerView::sharedAudioPlayer(); }

  // The newest audio item becomes ready and the test waits until it plays.
  std::shared_ptr<media::FakeAudioItem> ready(double duration = 200) {
    auto item = audio->lastItem();
    item->becomeReady(duration);
    EXPECT_TRUE(runUntil([&] { return player().isLoadingDonwSongSource(); }));
    settle();
    return item;
  }
  static void settle() {
    while (foundation::RunLoop::main().pumpOnce() > 0) {
    }
  }
  // Lets `seconds` of the song be heard.
  void hear(double seconds) {
    step(seconds);
    settle();
  }

  // A logged-in user, whose downloads are the ones the player finds.
  static void logIn(const std::string& uid) {
    auto user = std::make_shared<api::UserModel>();
    user->setUid(uid);
    ASSERT_TRUE(framework::DataCacheManager::sharedManager().addObject(user, "userIsLogin"));
  }
  // A downloaded song file of the logged-in user.
  static std::string downloadedSong(std::int64_t songId, std::int64_t programId) {
    const std::string file = playback::DownloadManager::sharedManager().getSongPathBySongId(songId, programId);
    EXPECT_TRUE(foundation::FileManager::createDirectory(file.substr(0, file.rfind('/'))));
    EXPECT_TRUE(foundation::FileManager::writeAtomically(file, "mp3"));
    return file;
  }

  std::string selectedId() const {
    auto song = player().selectedSong();
    return song ? song->songId().value_or("") : "";
  }
  std::vector<station::StationCall> playLogs() const { return api.callsTo("play._playLog"); }
  int keyWindowLabels(const std::string& text) const {
    ui::Window* window = ui::Application::shared().keyWindow();
    return window ? labelsWithText(*window, text) : 0;
  }

  std::shared_ptr<net::ReachabilityManualSource> network =
      std::make_shared<net::ReachabilityManualSource>(net::kReachabilityReachable);
  std::shared_ptr<media::FakeAudioBackend> audio;
};

}  // namespace playertest
