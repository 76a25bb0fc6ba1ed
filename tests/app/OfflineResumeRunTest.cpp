#include <gtest/gtest.h>

#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string_view>

#include "app/station/SampleStation.h"
#include "platform/foundation/Paths.h"
#include "tests/app/ChildProcess.h"

namespace {

namespace fs = std::filesystem;
using apptest::ChildProcess;

std::string contentOf(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The built-in media, with each song repeated until it is megabytes long, so that a download
// takes long enough over loopback for the program to be killed in the middle of it.
fs::path writeLargeSongMedia(const fs::path& folder) {
  fs::create_directories(folder);
  const fs::path builtIn = station::SampleStation::builtInMediaDirectory();
  for (const char* name : station::SampleStation::kMediaFiles) {
    const std::string content = contentOf(builtIn / name);
    std::ofstream file(folder / name, std::ios::binary);
    const int copies = std::string_view(name).starts_with("song-") ? 1000 : 1;
    for (int i = 0; i < copies; ++i) file << content;
  }
  return folder;
}

// Song id -> stored file, for every finished song file of the offline tree.
std::map<std::string, fs::path> storedSongs(const fs::path& home) {
  std::map<std::string, fs::path> songs;
  for (const auto& entry : fs::recursive_directory_iterator(home))
    if (entry.is_regular_file() && entry.path().extension() == ".mp3" &&
        entry.path().string().find("/songs/") != std::string::npos)
      songs[entry.path().stem().string()] = entry.path();
  return songs;
}

class OfflineResumeRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    useFreshHome();
    media = writeLargeSongMedia(fs::path(home).parent_path() / (fs::path(home).filename().string() + "-media"));
    station = std::make_unique<station::SampleStation>(media.string());
    ASSERT_TRUE(station->start().ok());
  }
  void TearDown() override {
    ::unsetenv("ZUNORADIO_HOME");
    std::error_code ignored;
    fs::remove_all(media, ignored);
  }
  void useFreshHome() {
    home = foundation::Paths::useFreshHomeForTesting();
    ::setenv("ZUNORADIO_HOME", home.c_str(), 1);
  }
  // Starts keeping the programme offline and kills the program once its first song is stored.
  // Whether the kill lands before the last song is stored is up to the scheduler, so a run that
  // was too slow is done again in a fresh home.
  bool killedHalfWay() {
    for (int attempt = 0; attempt < 4; ++attempt) {
      if (attempt > 0) useFreshHome();
      ChildProcess radio(arguments());
      if (!radio.readUntil("\xE2\x96\xB6 ")) return false;
      radio.say("o\n");
      if (!radio.readUntil(" songs stored.")) return false;
      radio.finish(SIGKILL);
      if (storedSongs(home).size() < 3) return true;
    }
    return false;
  }
  std::vector<std::string> arguments() const {
    return {ZR_ZUNORADIO_PATH, "--server", station->baseUrl(), "--program", "1001",
            "--login",         "a@b.c:pw", "--sink",           "fake"};
  }

  std::string home;
  fs::path media;
  std::unique_ptr<station::SampleStation> station;
};

// A download killed half-way is taken up again by the next run and ends with every song whole,
// and a run offline then plays what was stored.
TEST_F(OfflineResumeRunTest, ADownloadKilledHalfWayEndsWholeInTheNextRun) {
  ASSERT_TRUE(killedHalfWay()) << "the program was never killed before its last song was stored";

  ChildProcess radio(arguments());
  ASSERT_TRUE(radio.readUntil("Programme 1001 is kept offline.")) << radio.output();
  radio.say("w\n");
  ASSERT_TRUE(radio.readUntil("1001 清晨的第一杯茶: kept, 已离线 3 首歌")) << radio.output();
  radio.finish(SIGKILL);

  const std::map<std::string, fs::path> songs = storedSongs(home);
  ASSERT_EQ(songs.size(), 3u);
  const std::string twoSeconds = contentOf(media / "song-2s.mp3");
  const std::string threeSeconds = contentOf(media / "song-3s.mp3");
  for (const auto& [songId, path] : songs) {
    const station::SampleSong* song = station->catalogue().song(songId);
    ASSERT_NE(song, nullptr) << songId;
    EXPECT_TRUE(contentOf(path) == (song->seconds == 3 ? threeSeconds : twoSeconds)) << path;
    EXPECT_FALSE(fs::exists(fs::path(path).replace_extension(".temp"))) << path;
  }

  // Offline, the stored copies play without a single song asked of the (new) station.
  station = std::make_unique<station::SampleStation>(media.string(), station::CallRecording::on);
  ASSERT_TRUE(station->start().ok());
  std::vector<std::string> offline = arguments();
  offline.push_back("--offline");
  ChildProcess stored(offline);
  ASSERT_TRUE(stored.readUntil("\xE2\x96\xB6 ")) << stored.output();
  stored.finish(SIGKILL);
  EXPECT_EQ(station->songRequestCount(), 0u);
  EXPECT_FALSE(station->calls().empty()) << "the offline run never reached the new station";
}

}  // namespace
