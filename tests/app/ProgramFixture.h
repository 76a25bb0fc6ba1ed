#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "app/program/RadioProgram.h"
#include "src/playback/timer/SleepTimer.h"
#include "tests/app/StationTestSupport.h"
#include "tests/playback/player/PlayerFixture.h"

namespace apptest {

// The program in this process around the player on the fake audio backend and the manual
// clock, against a sample station with stand-in media; what it prints is kept in memory.
class ProgramFixture : public playertest::PlayerTest {
 protected:
  void SetUp() override {
    PlayerTest::SetUp();
    station = std::make_unique<station::SampleStation>(
        writeStandInMedia(std::filesystem::path(foundation::Paths::homeDirectory()) / "media"),
        station::CallRecording::on);
    ASSERT_TRUE(station->start().ok());
    out = ::open_memstream(&printed, &printedSize);
    console = std::make_unique<zunoradio::Console>(out, out, false);
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

  std::unique_ptr<station::SampleStation> station;
  char* printed = nullptr;
  std::size_t printedSize = 0;
  std::FILE* out = nullptr;
  std::unique_ptr<zunoradio::Console> console;
  std::unique_ptr<zunoradio::RadioProgram> program;
};

}  // namespace apptest
