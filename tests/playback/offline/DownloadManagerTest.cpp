#include <gtest/gtest.h>

#include "src/playback/offlinescreens/OfflineViewCell.h"
#include "tests/playback/offline/DownloadFixture.h"

namespace playback {
namespace {

using testsupport::Fault;
using testsupport::RangeMode;
using testsupport::RecordedRequest;
using testsupport::Reply;

class DownloadManagerTest : public testing::DownloadFixture {};

TEST_F(DownloadManagerTest, AProgrammeDownloadsTwoSongsAtATimeThenTheNextWaitingOneStarts) {
  const std::string one = song(1), two = song(2), three = song(3), four = song(4);
  serveSongs();
  // Song 3 waits until the second programme is queued, so the first cannot finish before it.
  songServer.route("GET", "/song/3.mp3", [three](const testsupport::RecordedRequest& request) {
    testsupport::Reply reply = testsupport::Reply::ranged(request, three, testsupport::RangeMode::kHonour);
    reply.holdUntilReleased = "song 3";
    return reply;
  });
  programme("101", {1, 2, 3, 2});  // the repeated song is fetched once
  programme("102", {4});
  downloads().addDownloadProgramAndSyncWithId("101");
  runUntilPosted("notificationProgramIsStartDownload 101");
  downloads().addDownloadProgramAndSyncWithId("102");
  runUntilPosted("notificationProgramWatingForDownload 102");
  songServer.release("song 3");
  runUntilPosted("notificationProgramIsDownloaded 102");

  EXPECT_EQ(fileAt(101, 1), one);
  EXPECT_EQ(fileAt(101, 2), two);
  EXPECT_EQ(fileAt(101, 3), three);
  EXPECT_EQ(fileAt(102, 4), four);
  EXPECT_LE(songServer.maxConcurrentRequests(), 2);
  EXPECT_EQ(songServer.requestCount("/song/2.mp3"), 1u);
  const std::vector<std::string> expected{
      "notificationProgramIsStartDownload 101", "notificationProgramWatingForDownload 102",
      "notificationProgramIsDownloaded 101",    "notificationProgramIsStartDownload 102",
      "notificationSongIsDownloaded 102 4",     "notificationProgramIsDownloaded 102"};
  std::vector<std::string> withoutFirstSongs;
  for (const auto& entry : posted)
    if (entry.rfind("notificationSongIsDownloaded 101", 0) != 0) withoutFirstSongs.push_back(entry);
  EXPECT_EQ(withoutFirstSongs, expected);
  EXPECT_EQ(std::count_if(posted.begin(), posted.end(),
                          [](const auto& e) { return e.rfind("notificationSongIsDownloaded 101", 0) == 0; }),
            3);
  EXPECT_EQ(downloads().checkProgramStateById(101), DownloadManager::kComplete);
  EXPECT_EQ(downloads().countDownloadedSongWithProgramId(101), 3);
  EXPECT_EQ(downloads().checkProgramStateById(103), DownloadManager::kNotOffline);
}

TEST_F(DownloadManagerTest, ADroppedSongResumesWithRangeWithoutFetchingBytesTwice) {
  for (RangeMode mode : {RangeMode::kHonour, RangeMode::kIgnore}) {
    SCOPED_TRACE(mode == RangeMode::kHonour ? "server honours Range" : "server ignores Range");
    const std::string content = song(7, 200000);
    Reply dropped = Reply::text(content);
    dropped.fault = Fault::kCloseAfterBytes;
    dropped.faultAfterBytes = 70000;
    testsupport::LoopbackServer server;
    // The server's thread answers; what it was asked is read back through its own lock.
    server.route("GET", "/song/7.mp3", [dropped, content, mode](const RecordedRequest& request) {
      return request.attempt == 1 ? dropped : Reply::ranged(request, content, mode);
    });
    auto attempts = [&server] { return server.requestCount("/song/7.mp3"); };
    programme(mode == RangeMode::kHonour ? "201" : "202", {});
    std::string& detail = details[mode == RangeMode::kHonour ? "201" : "202"];
    detail.replace(detail.find("\"lists\":[]"), 10,
                   "\"lists\":[{\"song_id\":\"7\",\"audio_url\":\"" + server.url("/song/7.mp3") + "\"}]");
    const std::int64_t id = mode == RangeMode::kHonour ? 201 : 202;
    downloads().addDownloadProgramAndSyncWithId(std::to_string(id));
    ASSERT_TRUE(runUntil([&] { return attempts() == 1 && !downloads().isDownloading(); }));
    EXPECT_EQ(downloads().checkProgramStateById(id), DownloadManager::kDownloading);
    wait(DownloadManager::kFirstRetrySeconds);
    runUntilPosted("notificationProgramIsDownloaded " + std::to_string(id));
    ASSERT_EQ(attempts(), 2u);
    const RecordedRequest second = server.requests().back();
    const std::string secondRange = second.header("Range").value_or("");
    const std::string secondEncodings = second.header("Accept-Encoding").value_or("");
    EXPECT_EQ(fileAt(id, 7), content);
    // A compressed reply's ranges would count encoded bytes, not the song's.
    EXPECT_EQ(secondEncodings.find("gzip"), std::string::npos) << secondEncodings;
    if (mode == RangeMode::kHonour) {
      std::string partial = secondRange.substr(6, secondRange.size() - 7);
      EXPECT_GT(std::stoul(partial), 0u) << secondRange;
    }
  }
}

// A song that keeps failing neither cuts off the others nor is ever counted as there: it is
// tried again after ever longer pauses, and the programme is complete once it is on disk.
TEST_F(DownloadManagerTest, ErrorPagesAreNeverSongsAndASongThatKeepsFailingKeepsTheProgrammeIncomplete) {
  const std::string good = song(1), late = song(404);
  songServer.route("GET", "/song/1.mp3",
                   [good](const RecordedRequest& r) { return Reply::ranged(r, good, RangeMode::kHonour); });
  songServer.route("GET", "/song/404.mp3", Reply::text("<html>not found</html>", 404));
  songServer.route("GET", "/song/500.mp3", Reply::text("<html>busy</html>", 503));
  programme("301", {1, 404, 500});
  downloads().addDownloadProgramAndSyncWithId("301");
  ASSERT_TRUE(runUntil([&] { return songServer.requestCount("/song/500.mp3") == 1 && !downloads().isDownloading(); }));
  EXPECT_EQ(fileAt(301, 1), good);
  EXPECT_FALSE(foundation::FileManager::fileExists(DownloadPaths::songFile(5821, 301, 404)));

  double pause = DownloadManager::kFirstRetrySeconds;
  for (std::size_t attempt = 2; attempt <= 9;
       ++attempt, pause = std::min(pause * 2, DownloadManager::kLongestRetrySeconds)) {
    wait(pause - 0.5);
    EXPECT_EQ(songServer.requestCount("/song/404.mp3"), attempt - 1) << "retried too soon";
    wait(0.5);
    ASSERT_TRUE(runUntil([&] {
      return songServer.requestCount("/song/404.mp3") == attempt &&
             songServer.requestCount("/song/500.mp3") == attempt && !downloads().isDownloading();
    }));
  }
  EXPECT_EQ(pause, DownloadManager::kLongestRetrySeconds);
  EXPECT_EQ(std::count(posted.begin(), posted.end(), "notificationProgramIsDownloaded 301"), 0);
  EXPECT_EQ(DBManager::sharedManager().fetchProgramStatusById(301), 0);
  auto cell = OfflineViewCell::initWithProgramDownloadData(*DBManager::sharedManager().getDownloadInfoById(301));
  EXPECT_EQ(cell->detailLabel().text(), "已离线 1 首歌 33%");

  songServer.route("GET", "/song/404.mp3",
                   [late](const RecordedRequest& r) { return Reply::ranged(r, late, RangeMode::kHonour); });
  songServer.route("GET", "/song/500.mp3",
                   [late](const RecordedRequest& r) { return Reply::ranged(r, late, RangeMode::kHonour); });
  downloads().continueDownload();
  runUntilPosted("notificationProgramIsDownloaded 301");
  EXPECT_EQ(fileAt(301, 404), late);
  EXPECT_EQ(downloads().countDownloadedSongWithProgramId(301), 3);
}

// Going on by hand is the retry the pending timer waited for: the programme completes at once
// and the timer fetches nothing more when its time comes.
TEST_F(DownloadManagerTest, ContinuingAfterAFailedSongRetriesAtOnceAndDropsThePendingRetry) {
  const std::string content = song(7);
  songServer.route("GET", "/song/7.mp3",
                   std::vector<Reply>{Reply::text("<html>busy</html>", 503), Reply::text(content)});
  programme("311", {7});
  downloads().addDownloadProgramAndSyncWithId("311");
  ASSERT_TRUE(runUntil([&] { return songServer.requestCount("/song/7.mp3") == 1 && !downloads().isDownloading(); }));

  downloads().continueDownload();
  runUntilPosted("notificationProgramIsDownloaded 311");
  EXPECT_EQ(fileAt(311, 7), content);
  wait(DownloadManager::kFirstRetrySeconds + 1);
  EXPECT_EQ(songServer.requestCount("/song/7.mp3"), 2u);
}

// Songs that cannot be had now (gone from the server, or without an address, which is never
// asked for) hold no programme behind theirs: it steps aside, waits with its real count, is
// retried with the back-off and completes once every song can be had.
TEST_F(DownloadManagerTest, SongsThatCannotBeHadStepAsideForTheProgrammesBehindThem) {
  const std::string one = song(1), gone = song(404), unlisted = song(9);
  song(2);
  song(3);
  serveSongs();
  songServer.route("GET", "/song/404.mp3", Reply::text("<html>not found</html>", 404));
  programme("701", {1, 404, 9});
  const std::string address = "\"" + songServer.url("/song/9.mp3") + "\"";
  ASSERT_NE(details["701"].find(address), std::string::npos);
  details["701"].replace(details["701"].find(address), address.size(), "\"\"");
  programme("702", {2});
  programme("703", {3});
  downloads().addDownloadProgramAndSyncWithId("701");
  runUntilPosted("notificationProgramIsStartDownload 701");
  downloads().addDownloadProgramAndSyncWithId("702");
  runUntilPosted("notificationProgramIsDownloaded 702");
  EXPECT_EQ(fileAt(701, 1), one);
  EXPECT_EQ(downloads().checkProgramStateById(701), DownloadManager::kWaiting);

  wait(DownloadManager::kFirstRetrySeconds);
  ASSERT_TRUE(runUntil([&] { return songServer.requestCount("/song/404.mp3") == 2 && !downloads().isDownloading(); }));
  songServer.route("GET", "/song/404.mp3",
                   [gone](const RecordedRequest& r) { return Reply::ranged(r, gone, RangeMode::kHonour); });
  downloads().continueDownload();
  ASSERT_TRUE(runUntil([&] { return fileAt(701, 404) == gone && !downloads().isDownloading(); }));
  // Only the song without an address is missing: going on finds nothing to fetch, and the next
  // programme goes on.
  downloads().continueDownload();
  downloads().addDownloadProgramAndSyncWithId("703");
  runUntilPosted("notificationProgramIsDownloaded 703");
  EXPECT_EQ(downloads().countDownloadedSongWithProgramId(701), 2);
  EXPECT_EQ(downloads().checkProgramStateById(701), DownloadManager::kWaiting);

  // A new detail of the programme (as the server's list brings it) gives the song its address.
  api::ProgramModelPtr stored = DBManager::sharedManager().getDownloadedProgram(701);
  for (const api::SongModelPtr& entry : stored->songsArr())
    if (entry->songId() == "9") entry->setAudioUrl(songServer.url("/song/9.mp3"));
  ASSERT_TRUE(DBManager::sharedManager().insertProgram(stored));
  downloads().continueDownload();
  runUntilPosted("notificationProgramIsDownloaded 701");
  EXPECT_EQ(fileAt(701, 9), unlisted);
  EXPECT_EQ(songServer.requestCount("/song/9.mp3"), 1u);
}

// Whoever asks on the completion notice (the panel's download button) hears complete, whether
// the songs were fetched or found on disk.
TEST_F(DownloadManagerTest, TheCompletionNoticeFindsTheProgrammeNoLongerDownloading) {
  song(1);
  serveSongs();
  programme("611", {1});
  programme("612", {2});
  ASSERT_TRUE(foundation::FileManager::createDirectory(DownloadPaths::programDir(5821, 612)).ok());
  ASSERT_TRUE(foundation::FileManager::writeAtomically(DownloadPaths::songFile(5821, 612, 2), "bytes").ok());
  std::vector<int> statesTold;
  foundation::NotificationCenter::defaultCenter().addObserver(
      &statesTold, DownloadManager::kProgramIsDownloaded, [&](const foundation::Notification& note) {
        statesTold.push_back(downloads().checkProgramStateById(std::stoll(note.userInfo["ProgramId"].toString())));
      });
  downloads().addDownloadProgramAndSyncWithId("611");
  runUntilPosted("notificationProgramIsStartDownload 611");
  downloads().addDownloadProgramAndSyncWithId("612");
  runUntilPosted("notificationProgramIsDownloaded 612");
  foundation::NotificationCenter::defaultCenter().removeObserver(&statesTold);
  EXPECT_EQ(statesTold, (std::vector<int>{DownloadManager::kComplete, DownloadManager::kComplete}));
}

TEST_F(DownloadManagerTest, StartGates) {
  struct Network {
    net::ReachabilityFlags flags;
    const char* name;
  };
  const Network networks[] = {{testing::kWiFi, "wifi"}, {testing::k3G, "3G"}, {testing::kNoNetwork, "none"}};
  programme("401", {});
  ASSERT_TRUE(DBManager::sharedManager().insertProgram(
      api::ProgramModel::initWithDataDic(foundation::Dictionary{{"program_id", "401"}, {"modify_time", "1"}})));
  for (const char* flag : {"", "1", "0"}) {
    for (const Network& net : networks) {
      for (const char* wifiOnly : {"", "0"}) {
        SCOPED_TRACE(std::string("flag '") + flag + "' on " + net.name + " with setting '" + wifiOnly + "'");
        auto& defaults = foundation::UserDefaults::standardUserDefaults();
        if (*flag) {
          ASSERT_TRUE(defaults.setObject(std::string(flag), "IS_DOWNLOAD_PAUSE_5821").ok());
        } else {
          defaults.removeObjectForKey("IS_DOWNLOAD_PAUSE_5821");
        }
        auto& cache = framework::DataCacheManager::sharedManager();
        if (*wifiOnly) {
          ASSERT_TRUE(
              cache.addObjectToMemory(std::string(wifiOnly), framework::kUserSettingDownloadOfflineWifiOnlyCacheKey)
                  .ok());
        } else {
          (void)cache.removeObjectInCacheByKey(framework::kUserSettingDownloadOfflineWifiOnlyCacheKey);
        }
        network->setFlags(net.flags);
        const bool allowed = std::string(flag) == "0" && (net.flags == testing::kWiFi ||
                                                          (net.flags == testing::k3G && std::string(wifiOnly) == "0"));
        EXPECT_EQ(downloads().downloadProgramById(401), allowed);
        if (allowed) {
          runUntilPosted("notificationProgramIsDownloaded 401");
          posted.clear();
          ASSERT_TRUE(DBManager::sharedManager().insertProgram(
              api::ProgramModel::initWithDataDic(foundation::Dictionary{{"program_id", "401"}, {"modify_time", "1"}})));
        }
      }
    }
  }
}

TEST_F(DownloadManagerTest, PauseResumeLogoutAndRemovingTheCurrentProgramme) {
  song(1, 3'000'000);
  song(2, 3'000'000);
  song(3);
  for (auto& [id, content] : songs) {
    songServer.route("GET", "/song/" + std::to_string(id) + ".mp3", [content = content](const RecordedRequest& r) {
      Reply reply = Reply::ranged(r, content, RangeMode::kHonour);
      if (content.size() > 1'000'000) reply.stallAfterBytes = 100000;
      return reply;
    });
  }
  programme("501", {1, 2});
  programme("502", {3});
  downloads().addDownloadProgramAndSyncWithId("501");
  runUntilPosted("notificationProgramIsStartDownload 501");
  downloads().addDownloadProgramAndSyncWithId("502");
  runUntilPosted("notificationProgramWatingForDownload 502");

  downloads().setDownlodPause(true);
  downloads().pauseDownload();
  ASSERT_TRUE(runUntil([&] { return !downloads().isDownloading(); }));
  EXPECT_EQ(downloads().checkProgramStateById(501), DownloadManager::kWaiting);
  downloads().setDownlodPause(false);
  downloads().continueDownload();
  EXPECT_EQ(downloads().checkProgramStateById(501), DownloadManager::kDownloading);
  ASSERT_TRUE(downloads().isDownloading());

  foundation::NotificationCenter::defaultCenter().postNotificationName("userLogoutEvent");
  ASSERT_TRUE(runUntil([&] { return !downloads().isDownloading(); }));
  EXPECT_EQ(posted.back(), "notificationProgramPauseDownload");

  downloads().continueDownload();
  ASSERT_TRUE(downloads().isDownloading());
  EXPECT_TRUE(downloads().cancelDownloadByProgramId(501));
  EXPECT_FALSE(foundation::FileManager::fileExists(downloads().getProgramDirByProgramId(501)));
  runUntilPosted("notificationProgramIsDownloaded 502");
  EXPECT_EQ(downloads().checkProgramStateById(501), DownloadManager::kNotOffline);
}

TEST_F(DownloadManagerTest, SongsAlreadyOnDiskCompleteTheProgrammeAtOnce) {
  programme("601", {1, 2});
  ASSERT_TRUE(foundation::FileManager::createDirectory(DownloadPaths::programDir(5821, 601)).ok());
  for (int songId : {1, 2})
    ASSERT_TRUE(foundation::FileManager::writeAtomically(DownloadPaths::songFile(5821, 601, songId), "bytes").ok());
  downloads().addDownloadProgramAndSyncWithId("601");
  runUntilPosted("notificationProgramIsDownloaded 601");
  std::sort(posted.begin(), posted.begin() + 2);  // songs are walked in a random order
  EXPECT_EQ(posted,
            (std::vector<std::string>{"notificationSongIsDownloaded 601 1", "notificationSongIsDownloaded 601 2",
                                      "notificationProgramIsDownloaded 601"}));
  EXPECT_EQ(songServer.requestCount(), 0u);
}

// An earlier run was stopped after the last byte and before the move: the server refuses the
// range (416) and the partial file is the song.
TEST_F(DownloadManagerTest, APartialFileHoldingTheWholeSongBecomesTheSong) {
  const std::string content = song(3);
  serveSongs();
  programme("602", {3});
  ASSERT_TRUE(foundation::FileManager::createDirectory(DownloadPaths::programDir(5821, 602)).ok());
  ASSERT_TRUE(foundation::FileManager::writeAtomically(DownloadPaths::songTemporaryFile(5821, 602, 3), content).ok());
  downloads().addDownloadProgramAndSyncWithId("602");
  runUntilPosted("notificationProgramIsDownloaded 602");
  EXPECT_EQ(fileAt(602, 3), content);
}

TEST_F(DownloadManagerTest, AUserIdThatIsNotANumberNamesNoFolder) {
  logIn("../../etc");
  EXPECT_EQ(downloads().getProgramDirByProgramId(1), "");
  EXPECT_EQ(downloads().getSongPathBySongId(1, 1), "");
  EXPECT_FALSE(downloads().removeProgramFileByProgramId(1));
  EXPECT_EQ(DownloadPaths::idNumber("-1"), std::nullopt);
  EXPECT_EQ(DownloadPaths::idNumber("99999999999999999999"), std::nullopt);
  EXPECT_EQ(DownloadPaths::idNumber("9007199254740993"), 9007199254740993);
}

}  // namespace
}  // namespace playback
