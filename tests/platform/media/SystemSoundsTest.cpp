#include "platform/media/SystemSounds.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/Resources.h"
#include "tests/support/ManualClockFixture.h"

namespace {

using media::SystemSounds;

class SystemSoundsTest : public testsupport::ManualClockFixture {
 protected:
  void SetUp() override {
    ManualClockFixture::SetUp();
    home = foundation::Paths::useFreshHomeForTesting();
    SystemSounds::shared().resetForTesting();
  }
  void TearDown() override {
    SystemSounds::shared().resetForTesting();
    foundation::Paths::setHomeForTesting("");
    (void)foundation::FileManager::removeItem(home);
    ManualClockFixture::TearDown();
  }

  // A mono 16-bit PCM file of `seconds` at 8 kHz, with an extra chunk before the samples.
  std::string writeWav(const std::string& name, double seconds) {
    auto le = [](std::string& out, std::uint32_t v, int bytes) {
      for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
    };
    std::uint32_t dataSize = static_cast<std::uint32_t>(seconds * 16000);
    std::string wav = "RIFF";
    le(wav, 36 + 10 + dataSize, 4);
    wav += "WAVEfmt ";
    le(wav, 16, 4);
    le(wav, 1, 2);
    le(wav, 1, 2);
    le(wav, 8000, 4);
    le(wav, 16000, 4);
    le(wav, 2, 2);
    le(wav, 16, 2);
    wav += "LIST";
    le(wav, 1, 4);
    wav += std::string(2, '\0');  // one byte and its padding
    wav += "data";
    le(wav, dataSize, 4);
    wav += std::string(dataSize, '\0');
    std::string path = home + "/" + name;
    std::ofstream(path, std::ios::binary) << wav;
    return path;
  }

  std::string home;
};

TEST_F(SystemSoundsTest, APlayIsRecordedAndCompletesAfterTheSoundsLength) {
  SystemSounds& sounds = SystemSounds::shared();
  SystemSounds::SoundID sound = sounds.create(writeWav("tick.wav", 0.5));
  ASSERT_NE(sound, SystemSounds::kNoSound);
  int completed = 0;
  sounds.play(sound, [&] { ++completed; });
  EXPECT_EQ(sounds.playedFiles(), (std::vector<std::string>{"tick.wav"}));
  clock->advance(foundation::Duration(0.49));
  EXPECT_EQ(completed, 0);
  clock->advance(foundation::Duration(0.02));
  EXPECT_EQ(completed, 1);

  // Disposed mid-play: cut short, no completion.
  sounds.play(sound, [&] { ++completed; });
  sounds.dispose(sound);
  EXPECT_EQ(sounds.soundCount(), 0u);
  clock->advance(foundation::Duration(1));
  EXPECT_EQ(completed, 1);
  sounds.play(sound);  // unknown now: nothing happens
  EXPECT_EQ(sounds.playedFiles().size(), 2u);
}

TEST_F(SystemSoundsTest, OnlyPcmWavFilesMakeSounds) {
  SystemSounds& sounds = SystemSounds::shared();
  EXPECT_EQ(sounds.create(home + "/missing.wav"), SystemSounds::kNoSound);
  std::ofstream(home + "/text.wav") << "not a sound at all, just some text";
  EXPECT_EQ(sounds.create(home + "/text.wav"), SystemSounds::kNoSound);
  std::string cut = writeWav("cut.wav", 0.1);
  std::filesystem::resize_file(cut, 30);
  EXPECT_EQ(sounds.create(cut), SystemSounds::kNoSound);
  EXPECT_EQ(sounds.soundCount(), 0u);
}

TEST_F(SystemSoundsTest, ThePullSoundsAreAmongTheResources) {
  for (const char* name : {"up.wav", "down.wav", "end.wav"}) {
    std::optional<std::string> path = ui::Resources::pathFor(name);
    ASSERT_TRUE(path) << name;
    EXPECT_NE(SystemSounds::shared().create(*path), SystemSounds::kNoSound) << name;
  }
}

}  // namespace
