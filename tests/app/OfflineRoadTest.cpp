#include <gtest/gtest.h>

#include "platform/foundation/FileManager.h"
#include "platform/ui/Image.h"
#include "src/playback/offline/DBManager.h"
#include "src/playback/offline/DownloadManager.h"
#include "tests/app/ProgramFixture.h"

namespace zunoradio {
namespace {

// The program's offline road in this process: keep a programme offline, list it, pause, then a
// second program started offline plays the stored copy.
class OfflineRoadTest : public apptest::ProgramFixture {
 protected:
  void run(bool offline) {
    ProgramOptions options;
    options.server = station->baseUrl();
    options.programId = "1001";
    options.loginEmail = "a@b.c";
    options.loginPassword = "pw";
    options.offline = offline;
    options.snapshotFolder = (std::filesystem::path(foundation::Paths::homeDirectory()) / "shots").string();
    program = std::make_unique<RadioProgram>(options, *console);
    ASSERT_TRUE(program->start()) << output();
  }
  bool printed_(const std::string& text) { return output().find(text) != std::string::npos; }
};

// The pixels of a picture in the green of the offline badge.
std::size_t offlineRoadBadgeGreen(const std::string& path) {
  foundation::Result<ui::ImagePtr> picture = ui::Image::contentsOfFile(path);
  if (!picture.ok()) return 0;
  std::size_t green = 0;
  for (std::uint32_t pixel : (*picture)->pixels()) {
    const unsigned red = (pixel >> 16) & 0xff, greenPart = (pixel >> 8) & 0xff, blue = pixel & 0xff;
    green += greenPart > 150 && red < 130 && blue < 150;
  }
  return green;
}

TEST_F(OfflineRoadTest, KeptProgrammeIsListedPausedAndPlayedFromItsStoredCopy) {
  run(false);
  program->handleKey("w");
  EXPECT_TRUE(printed_("No programme is kept offline.")) << output();
  ready(2);
  program->handleKey("o");
  ASSERT_TRUE(runUntil([&] { return printed_("Programme 1001 is kept offline."); })) << output();
  program->handleKey("w");
  EXPECT_TRUE(printed_("1001 清晨的第一杯茶: kept, 已离线 3 首歌")) << output();
  const auto shots = std::filesystem::path(foundation::Paths::homeDirectory()) / "shots";
  EXPECT_GT(std::filesystem::file_size(shots / "offline-list.png"), 1000u);
  // The badge keeps its own small place on the settings screen.
  const std::size_t badge = offlineRoadBadgeGreen((shots / "offline-settings.png").string());
  EXPECT_GT(badge, 0u);
  EXPECT_LT(badge, 2000u);
  program->handleKey("d");
  EXPECT_TRUE(playback::DownloadManager::sharedManager().isDownloadPause());
  program->handleKey("d");
  EXPECT_FALSE(playback::DownloadManager::sharedManager().isDownloadPause());

  // The next run meets a new station, which remembers the user's programmes: the sync keeps the
  // stored copy, every song as the station has it.
  program.reset();
  playback::AudioPlayerView::resetSharedForTesting();
  services::AppDelegate::resetForTesting();
  playback::DownloadManager::resetSharedManagerForTesting();
  playback::DBManager::resetSharedManagerForTesting();
  station = std::make_unique<station::SampleStation>(
      (std::filesystem::path(foundation::Paths::homeDirectory()) / "media").string(), station::CallRecording::on);
  ASSERT_TRUE(station->start().ok());
  run(true);
  ASSERT_TRUE(runUntil([&] {
    const auto calls = station->calls();
    return std::any_of(calls.begin(), calls.end(),
                       [](const auto& call) { return call.method == "user.listSubscriptionStatus"; }) &&
           !playback::DownloadManager::sharedManager().isSync() && liveRequests().empty();
  })) << output();
  auto row = playback::DBManager::sharedManager().getDownloadInfoById(1001);
  ASSERT_TRUE(row && row->status() == 1) << "the sync let the stored programme go";
  auto contentOf = [](const std::string& path) {
    auto text = foundation::FileManager::readTextFile(path);
    return text.ok() ? text.value() : std::string("<missing>");
  };
  const auto media = std::filesystem::path(foundation::Paths::homeDirectory()) / "media";
  for (const station::SampleSong& song : station->catalogue().program("1001")->songs) {
    const std::string stored =
        playback::DownloadManager::sharedManager().getSongPathBySongId(std::stoll(song.id), 1001);
    EXPECT_EQ(contentOf(stored), contentOf((media / (song.seconds == 3 ? "song-3s.mp3" : "song-2s.mp3")).string()));
  }
  EXPECT_EQ(row->sucSongs().size(), station->catalogue().program("1001")->songs.size());
  // The first run's songs are still the backend's: the wait is for a song of this run.
  const std::size_t itemsBefore = audio->items().size();
  program->handleKey("a");
  EXPECT_TRUE(printed_("Playing the one offline programme.")) << output();
  ASSERT_TRUE(runUntil([&] { return audio->items().size() > itemsBefore; }));
  EXPECT_EQ(audio->lastItem()->source().rfind("http", 0), std::string::npos) << audio->lastItem()->source();

  // The last stored programme leaving while it plays offline ends the run with a word.
  ASSERT_TRUE(playback::DownloadManager::sharedManager().cancelDownloadByProgramId(1001));
  EXPECT_TRUE(printed_("Programme 1001 is no longer kept offline, and no stored programme is left to play offline."))
      << output();
  EXPECT_TRUE(program->finished());
}

}  // namespace
}  // namespace zunoradio
