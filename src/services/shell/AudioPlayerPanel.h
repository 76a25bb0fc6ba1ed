#pragma once

namespace services {

// What the main pane needs of the player panel, which lives in a layer above it. The panel
// implements this and registers its nib under kNibName; the main pane loads that nib once.
class AudioPlayerPanel {
 public:
  static constexpr const char* kNibName = "AudioPlayerView";

  virtual ~AudioPlayerPanel() = default;
  // Main thread. Sets the player up; the main pane calls it once, right after loading.
  virtual void initAudioPlayer() = 0;
};

}  // namespace services
