#include <gtest/gtest.h>

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
  EXPECT_GT(std::filesystem::file_size(shots / "offline-settings.png"), 1000u);
  program->handleKey("d");
  EXPECT_TRUE(playback::DownloadManager::sharedManager().isDownloadPause());
  program->handleKey("d");
  EXPECT_FALSE(playback::DownloadManager::sharedManager().isDownloadPause());

  program.reset();
  playback::AudioPlayerView::resetSharedForTesting();
  services::AppDelegate::resetForTesting();
  playback::DownloadManager::resetSharedManagerForTesting();
  playback::DBManager::resetSharedManagerForTesting();
  run(true);
  program->handleKey("a");
  EXPECT_TRUE(printed_("Playing the one offline programme.")) << output();
  ASSERT_TRUE(runUntil([&] { return audio->lastItem() != nullptr; }));
  EXPECT_EQ(audio->lastItem()->source().rfind("http", 0), std::string::npos) << audio->lastItem()->source();
}

}  // namespace
}  // namespace zunoradio
