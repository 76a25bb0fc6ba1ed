#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/net/ReachabilityManualSource.h"
#include "src/api/models/UserModel.h"
#include "src/framework/network/NetWorkUitil.h"
#include "src/playback/offline/DBManager.h"
#include "src/playback/offline/DownloadManager.h"
#include "src/playback/offline/DownloadPaths.h"
#include "src/services/shell/AppDelegate.h"
#include "tests/api/requests/ApiRequestTestSupport.h"
#include "tests/playback/PlaybackServicesReset.h"

namespace playback::testing {

inline constexpr net::ReachabilityFlags kWiFi = net::kReachabilityReachable;
inline constexpr net::ReachabilityFlags k3G =
    net::kReachabilityReachable | net::kReachabilityIsWWAN | net::kReachabilityTransientConnection;
inline constexpr net::ReachabilityFlags kNoNetwork = 0;

// The download manager against the sample station, a song server on loopback, a manual network
// and clock, and a logged-in user "5821" who chose to download.
class DownloadFixture : public apitest::ApiRequestTest {
 protected:
  void SetUp() override {
    ApiRequestTest::SetUp();
    resetPlaybackServices(network);
    logIn("5821");
    downloads().setDownlodPause(false);
    api.answerEach("radio.getProgramDetail", [this](const station::StationCall& call) {
      auto found = details.find(call.formValue("program_id").value_or(""));
      if (found == details.end()) return station::StationApi::jsonReply(R"({"err":"radio.u_noprogram","data":{}})");
      return station::StationApi::jsonReply(found->second);
    });
    for (const char* name : {DownloadManager::kProgramIsStartDownload, DownloadManager::kSongIsDownloaded,
                             DownloadManager::kProgramIsDownloaded, DownloadManager::kProgramPauseDownload,
                             DownloadManager::kProgramCancelDownload, DownloadManager::kProgramWatingForDownload,
                             DownloadManager::kNewSynclist}) {
      foundation::NotificationCenter::defaultCenter().addObserver(this, name,
                                                                  [this](const foundation::Notification& note) {
                                                                    std::string entry = note.name;
                                                                    for (const char* key : {"ProgramId", "SongId"})
                                                                      if (note.userInfo.contains(key))
                                                                        entry += " " + note.userInfo[key].toString();
                                                                    posted.push_back(entry);
                                                                  });
    }
  }
  void TearDown() override {
    foundation::NotificationCenter::defaultCenter().removeObserver(this);
    DownloadManager::resetSharedManagerForTesting();
    DBManager::resetSharedManagerForTesting();
    services::AppDelegate::resetForTesting();
    framework::NetWorkUitil::resetDefaultUitilForTesting();
    net::ReachabilitySource::setSystemForTesting(nullptr);
    ApiRequestTest::TearDown();
  }

  static DownloadManager& downloads() { return DownloadManager::sharedManager(); }
  static void logIn(const std::string& uid) {
    auto user = api::UserModel::initWithDataDic(foundation::Dictionary{{"uid", uid}});
    ASSERT_TRUE(
        framework::DataCacheManager::sharedManager().addObjectToMemory(user, framework::kUserIsLoginCacheKey).ok());
  }

  // A song of `size` bytes served at /song/<id>.mp3 with Range honoured.
  std::string song(int id, std::size_t size = 40000) {
    std::string content(size, '\0');
    for (std::size_t i = 0; i < size; ++i) content[i] = static_cast<char>((i * 31 + id) & 0xFF);
    songs[id] = content;
    return content;
  }
  void serveSongs(testsupport::RangeMode mode = testsupport::RangeMode::kHonour) {
    for (const auto& song : songs)
      songServer.route("GET", "/song/" + std::to_string(song.first) + ".mp3",
                       [content = song.second, mode](const testsupport::RecordedRequest& request) {
                         return testsupport::Reply::ranged(request, content, mode);
                       });
  }
  // The programme's detail, listing the songs (served by the song server).
  void programme(const std::string& id, const std::vector<int>& songIds, const std::string& modifyTime = "1600000000") {
    foundation::Array list;
    for (int songId : songIds)
      list.push_back(foundation::Dictionary{{"song_id", std::to_string(songId)},
                                            {"audio_url", songServer.url("/song/" + std::to_string(songId) + ".mp3")}});
    foundation::Dictionary data{{"program_id", id},
                                {"program_name", "programme " + id},
                                {"modify_time", modifyTime},
                                {"song_num", std::to_string(songIds.size())},
                                {"songs", foundation::Dictionary{{"lists", list}}}};
    details[id] = foundation::Json::serialize(foundation::Dictionary{{"err", "hapn.ok"}, {"data", data}}).value();
  }
  void runUntilPosted(const std::string& entry) {
    ASSERT_TRUE(runUntil([&] { return std::find(posted.begin(), posted.end(), entry) != posted.end(); }))
        << "never posted: " << entry;
  }
  std::string fileAt(std::int64_t programId, std::int64_t songId) {
    auto text = foundation::FileManager::readTextFile(DownloadPaths::songFile(5821, programId, songId));
    return text.ok() ? text.value() : std::string("<missing>");
  }
  // Moves the manual clock on and lets the retry timers fire.
  void wait(double seconds) {
    step(seconds);
    settle();
  }
  static void settle() {
    while (foundation::RunLoop::main().pumpOnce() > 0) {
    }
  }

  std::shared_ptr<net::ReachabilityManualSource> network = std::make_shared<net::ReachabilityManualSource>(kWiFi);
  testsupport::LoopbackServer songServer;
  std::map<int, std::string> songs;
  std::map<std::string, std::string> details;
  std::vector<std::string> posted;
};

}  // namespace playback::testing
