#include <gtest/gtest.h>

#include "tests/http/NginxServer.h"
#include "tests/playback/offline/DownloadFixture.h"

namespace playback {
namespace {

constexpr int kSongs = 20;
constexpr std::size_t kNginxSongSize = 768 * 1024;
constexpr int kRestarts = 5;

class DownloadAgainstNginxTest : public testing::DownloadFixture {};

// The manager and its queue are thrown away mid-programme several times; each new one picks up
// the partial files where the old one left them.
TEST_F(DownloadAgainstNginxTest, AProgrammeSurvivesItsQueueBeingKilledAndRestarted) {
  if (http::test::NginxServer::program().empty()) GTEST_SKIP() << "nginx is not installed (package nginx-light)";
  http::test::NginxServer nginx(false);
  std::vector<int> ids;
  for (int id = 1; id <= kSongs; ++id) {
    ids.push_back(id);
    std::ofstream(nginx.www() + "/" + std::to_string(id) + ".mp3", std::ios::binary) << song(id, kNginxSongSize);
  }
  ASSERT_EQ(nginx.start(), "");
  programme("701", ids);
  for (auto& [id, detail] : details) {
    for (int songId = 1; songId <= kSongs; ++songId) {
      const std::string from = songServer.url("/song/" + std::to_string(songId) + ".mp3");
      detail.replace(detail.find(from), from.size(), nginx.url("/" + std::to_string(songId) + ".mp3"));
    }
  }

  downloads().addDownloadProgramAndSyncWithId("701");
  auto songsDone = [&] {
    return std::count_if(posted.begin(), posted.end(), [](const std::string& entry) {
      return entry.rfind(DownloadManager::kSongIsDownloaded, 0) == 0;
    });
  };
  auto complete = [&] {
    return std::find(posted.begin(), posted.end(), "notificationProgramIsDownloaded 701") != posted.end();
  };
  int restarts = 0;
  for (int restart = 1; restart <= kRestarts; ++restart) {
    // Killed as soon as the next song is in, with the other one partly fetched.
    const auto before = songsDone();
    ASSERT_TRUE(runUntil([&] { return songsDone() > before || complete(); }));
    if (complete()) break;
    DownloadManager::resetSharedManagerForTesting();
    downloads().continueDownload();
    ++restarts;
  }
  EXPECT_GE(restarts, 3) << "the programme finished before the queue was killed often enough";
  runUntilPosted("notificationProgramIsDownloaded 701");
  for (int id = 1; id <= kSongs; ++id) EXPECT_TRUE(fileAt(701, id) == songs[id]) << "song " << id << " differs";
  EXPECT_EQ(DBManager::sharedManager().fetchDownloadFailSongsWithProgramId(701), "");
}

}  // namespace
}  // namespace playback
