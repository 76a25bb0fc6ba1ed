#include <gtest/gtest.h>

#include "src/api/models/SongModel.h"
#include "src/playback/offline/ProgressManager.h"
#include "tests/playback/offline/DownloadFixture.h"

namespace playback {
namespace {

class DownloadManagerDirectTest : public testing::DownloadFixture {
 protected:
  // A programme model that lists its songs (served by the song server), of `kilobytes` each.
  api::ProgramModelPtr programmeModel(const std::string& id, const std::vector<int>& songIds, int kilobytes = 1) {
    auto model = std::make_shared<api::ProgramModel>();
    model->setProgramId(id);
    model->setProgramName("programme " + id);
    std::vector<api::SongModelPtr> list;
    for (int songId : songIds) {
      auto songModel = std::make_shared<api::SongModel>();
      songModel->setSongId(std::to_string(songId));
      songModel->setAudioUrl(songServer.url("/song/" + std::to_string(songId) + ".mp3"));
      songModel->setFilesize(std::to_string(kilobytes));
      list.push_back(songModel);
    }
    model->setSongsArr(list);
    return model;
  }
};

TEST_F(DownloadManagerDirectTest, AModelWithItsSongsIsStoredAndFetchedOnceAndOneSongCanBeCancelled) {
  const std::string one = song(1);
  song(2);
  serveSongs();
  songServer.route("GET", "/song/2.mp3", [two = songs[2]](const testsupport::RecordedRequest& request) {
    testsupport::Reply reply = testsupport::Reply::ranged(request, two, testsupport::RangeMode::kHonour);
    reply.holdUntilReleased = "song 2";
    return reply;
  });
  auto model = programmeModel("201", {1, 2});
  EXPECT_TRUE(downloads().downloadProgram(model));
  EXPECT_FALSE(downloads().downloadProgram(model)) << "already offline";
  runUntilPosted("notificationSongIsDownloaded 201 1");
  EXPECT_EQ(fileAt(201, 1), one);

  downloads().cancelDownloadSongWithSongId(2);
  ASSERT_TRUE(runUntil([] { return !downloads().isDownloading(); }));
  songServer.release("song 2");
  settle();
  EXPECT_EQ(fileAt(201, 2), "<missing>");
  EXPECT_EQ(std::count(posted.begin(), posted.end(), "notificationProgramIsDownloaded 201"), 0);
  EXPECT_FALSE(downloads().checkHasProgramPicWithProgramId(201)) << "the model names no cover";
}

TEST_F(DownloadManagerDirectTest, ProgressFollowsTheProgrammesSongs) {
  auto model = programmeModel("301", {7, 8}, 2);  // 4 KiB in all
  const std::string stored = DownloadPaths::songFile(5821, 301, 7);
  ASSERT_TRUE(foundation::FileManager::createDirectory(DownloadPaths::programDir(5821, 301)).ok());
  ASSERT_TRUE(foundation::FileManager::writeAtomically(stored, "mp3"));
  std::vector<foundation::Dictionary> heard;
  foundation::NotificationCenter::defaultCenter().addObserver(
      this, ProgressManager::kDownloadProgressNotification,
      [&](const foundation::Notification& note) { heard.push_back(note.userInfo); });

  ProgressManager progress(model);
  EXPECT_EQ(progress.programId(), 301);
  EXPECT_EQ(progress.totalBytes(), 4096);
  EXPECT_EQ(progress.downloadedSongCount(), 1);
  progress.setDownloadedBytes(1024);
  ProgressManager unsized(std::make_shared<api::ProgramModel>());
  unsized.setDownloadedBytes(10);
  foundation::NotificationCenter::defaultCenter().removeObserver(this);

  ASSERT_EQ(heard.size(), 2u);
  EXPECT_EQ(heard[0]["progress"].toDouble(), 0.25);
  EXPECT_EQ(heard[0]["programId"].toInt64(), 301);
  EXPECT_EQ(heard[0]["downloadedSongCount"].toInt64(), 1);
  EXPECT_EQ(heard[1]["progress"].toDouble(), 0.0) << "no sizes, no share: not a division by zero";
}

}  // namespace
}  // namespace playback
