#include <gtest/gtest.h>

#include <cstdio>

#include "app/program/RadioProgram.h"
#include "src/playback/timer/SleepTimer.h"
#include "tests/app/StationTestSupport.h"
#include "tests/playback/player/PlayerFixture.h"

namespace zunoradio {
namespace {

// The program in this process around the player on the fake audio backend and the manual
// clock, against a sample station with stand-in media.
class RadioProgramTest : public playertest::PlayerTest {
 protected:
  void SetUp() override {
    PlayerTest::SetUp();
    station = std::make_unique<station::SampleStation>(
        apptest::writeStandInMedia(std::filesystem::path(foundation::Paths::homeDirectory()) / "media"));
    ASSERT_TRUE(station->start().ok());
    out = ::open_memstream(&printed, &printedSize);
    console = std::make_unique<Console>(out, out, false);
    ProgramOptions options;
    options.server = station->baseUrl();
    program = std::make_unique<RadioProgram>(options, *console);
  }
  void TearDown() override {
    program.reset();
    playback::SleepTimer::resetForTesting();
    std::fclose(out);
    std::free(printed);
    PlayerTest::TearDown();
  }

  std::string output() {
    std::fflush(out);
    return std::string(printed, printedSize);
  }
  // The current song plays for its two seconds and ends.
  void playToEnd() {
    auto item = ready(2);
    hear(2);
    item->reachEnd();
    ASSERT_TRUE(runUntil([&] { return audio->lastItem() != item; }));
  }
  std::string lastSource() const { return audio->lastItem() ? audio->lastItem()->source() : ""; }

  std::unique_ptr<station::SampleStation> station;
  char* printed = nullptr;
  std::size_t printedSize = 0;
  std::FILE* out = nullptr;
  std::unique_ptr<Console> console;
  std::unique_ptr<RadioProgram> program;
};

TEST_F(RadioProgramTest, StartUpLoadsTheChannelOnAirThenOnePressPlaysIt) {
  ASSERT_TRUE(program->start());
  const std::string text = output();
  const std::size_t onAir = text.find("On air: 清晨的第一杯茶 (programme 1001");
  ASSERT_NE(onAir, std::string::npos) << text;
  EXPECT_LT(onAir, text.find("Playing.")) << text;
  EXPECT_LT(text.find("流行电台:"), onAir) << text;
  ASSERT_EQ(audio->items().size(), 1u) << "loading the channel plays nothing; the press plays one song";
  EXPECT_TRUE(lastSource().ends_with("/2001.mp3")) << lastSource();
}

TEST_F(RadioProgramTest, AfterThreeSongsAnAdvertPlaysThenTheDueSongAndTheLogsReachTheStation) {
  ASSERT_TRUE(program->start());
  for (int song = 0; song < 3; ++song) playToEnd();
  EXPECT_TRUE(player().isAdvertisement());
  EXPECT_TRUE(lastSource().ends_with("/ad/advert.mp3") || lastSource().find("/adpath/") != std::string::npos)
      << lastSource();
  playToEnd();
  EXPECT_FALSE(player().isAdvertisement());
  EXPECT_EQ(selectedId(), "2001");  // the list wrapped while the advert played

  ASSERT_TRUE(runUntil([&] { return station->playLogs().size() >= 3; }));
  const std::vector<station::StationCall> logs = station->playLogs();
  ASSERT_EQ(logs.size(), 3u) << "no log for the advert";
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(logs[i].field("song_id"), std::to_string(2001 + i));
    EXPECT_EQ(logs[i].field("program_id"), "1001");
    EXPECT_EQ(logs[i].field("channel_id"), "0");
    EXPECT_EQ(logs[i].field("artist_id"), "71001");
    EXPECT_EQ(logs[i].field("real_duration"), "2");
    EXPECT_EQ(logs[i].field("song_duration"), "2");
    EXPECT_EQ(logs[i].field("action"), "0");
    EXPECT_EQ(logs[i].field("source"), "3");
  }
}

TEST_F(RadioProgramTest, KeysGoToThePlayersOwnOperations) {
  ASSERT_TRUE(program->start());
  ready(2);
  program->handleKey("n");
  ASSERT_TRUE(runUntil([&] { return lastSource().ends_with("/2002.mp3"); })) << lastSource();
  ready(2);
  program->handleKey("p");
  EXPECT_FALSE(player().isPlaying());
  EXPECT_FALSE(audio->lastItem()->isPlaying());

  program->handleKey("t 15");
  EXPECT_TRUE(playback::SleepTimer::shareSleepTimer().isTiming());
  EXPECT_EQ(playback::SleepTimer::shareSleepTimer().minute(), 14);
  program->handleKey("t");
  EXPECT_FALSE(playback::SleepTimer::shareSleepTimer().isTiming());
  program->handleKey("t 20");
  EXPECT_FALSE(playback::SleepTimer::shareSleepTimer().isTiming());

  program->handleKey("c 12");
  ASSERT_TRUE(runUntil([&] { return player().program() && player().program()->programId() == "1004"; }));
  program->handleKey("q");
  EXPECT_TRUE(program->finished());
  const std::string text = output();
  EXPECT_NE(text.find("Sleep timer set: playback stops in 14:59."), std::string::npos) << text;
  EXPECT_NE(text.find("Sleep timer stopped."), std::string::npos) << text;
  EXPECT_NE(text.find("The sleep timer takes 15, 30, 60 or 90 minutes."), std::string::npos) << text;
}

}  // namespace
}  // namespace zunoradio
