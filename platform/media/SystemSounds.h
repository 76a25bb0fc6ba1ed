#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Clock.h"

namespace foundation {
class Timer;
}

namespace media {

// Short interface sounds made from WAV files, played at once without an audio session. Nothing
// is heard here: each play is recorded, and the sound counts as played after its length on the
// clock, when its completion runs on the main run loop. Main thread only.
class SystemSounds {
 public:
  using SoundID = std::uint32_t;
  static constexpr SoundID kNoSound = 0;

  // Main thread. The one list of sounds, kept for the run.
  static SystemSounds& shared();

  // Main thread. A sound of the WAV file at `path`; kNoSound when the file is missing or is not
  // a PCM WAV file.
  SoundID create(const std::string& path);
  // Main thread. Plays the sound; `completion` runs on the main run loop once it has played.
  // Playing an unknown sound does nothing.
  void play(SoundID sound, std::function<void()> completion = {});
  // Main thread. Lets the sound go; a play under way is cut short without its completion.
  void dispose(SoundID sound);

  // Main thread. The file names played, oldest first, and how many sounds exist now.
  const std::vector<std::string>& playedFiles() const { return played_; }
  std::size_t soundCount() const { return sounds_.size(); }
  // Main thread; tests only. Forgets every sound and play.
  void resetForTesting();

 private:
  SystemSounds() = default;
  struct Sound {
    std::string fileName;
    foundation::Duration length{0};
    std::shared_ptr<foundation::Timer> playing;
  };

  std::map<SoundID, Sound> sounds_;
  std::vector<std::string> played_;
  SoundID nextID_ = 1;
};

}  // namespace media
