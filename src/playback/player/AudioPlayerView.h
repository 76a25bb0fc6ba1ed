#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Slider.h"
#include "src/framework/ui/QRVXibView.h"
#include "src/playback/player/PlayerController.h"
#include "src/playback/player/PlayerPanel.h"
#include "src/services/shell/AudioPlayerPanel.h"

namespace playback {

// The one player of the application: the panel above every screen of the main pane and, through
// PlayerController, the playback it shows. Screens start playback through the controller's entry
// points on the shared instance. The panel is built from its nib ("AudioPlayerView"), which the
// main pane loads once; this class keeps to the views the controller reports to. Main thread.
class AudioPlayerView final : public framework::QRVXibView,
                              public PlayerPanel,
                              public PlayerController,
                              public services::AudioPlayerPanel {
 public:
  static constexpr const char* kXibName = services::AudioPlayerPanel::kNibName;

  // Main thread. The shared panel, built on first use; the nib hands out the same one.
  static std::shared_ptr<AudioPlayerView> sharedAudioPlayer();

  // Main thread; once, from the main pane: starts the player.
  void initAudioPlayer() override;

  // Seconds as "mm:ss" (65 gives "01:05").
  static std::string formatTimeLabelBySecond(std::int64_t seconds);

  // --- Outlets ---
  const std::shared_ptr<ui::Label>& currentTimeLabel() const { return currentTimeLabel_; }
  const std::shared_ptr<ui::Label>& totalTimeLabel() const { return totalTimeLabel_; }
  const std::shared_ptr<ui::ActivityIndicatorView>& loadingView() const { return loadingView_; }
  const std::shared_ptr<ui::Slider>& positionSlider() const { return positionSlider_; }
  const std::shared_ptr<ui::Button>& playButton() const { return playButton_; }
  const std::shared_ptr<ui::Button>& topPlayButton() const { return topPlayButton_; }
  const std::shared_ptr<ui::Button>& timerButton() const { return timerButton_; }
  const std::shared_ptr<ui::Button>& downloadButton() const { return downloadButton_; }

  // Test hook: forgets the shared panel.
  static void resetSharedForTesting();

  // --- PlayerPanel ---
  void showLoading(bool loading) override;
  void showPlaying(bool playing) override;
  void showPosition(double seconds) override;
  void showDuration(std::int64_t seconds) override;
  void enableSeeking(bool enabled) override;
  void showProgrammeDownloaded() override;
  void enableOnlineButtons(bool enabled) override;
  void showTimerRunning(bool running) override;

  AudioPlayerView();

 private:
  void buildViews();

  bool started_ = false;
  std::shared_ptr<ui::Label> currentTimeLabel_;
  std::shared_ptr<ui::Label> totalTimeLabel_;
  std::shared_ptr<ui::ActivityIndicatorView> loadingView_;
  std::shared_ptr<ui::Slider> positionSlider_;
  std::shared_ptr<ui::Button> playButton_;
  std::shared_ptr<ui::Button> topPlayButton_;
  std::shared_ptr<ui::Button> timerButton_;
  std::shared_ptr<ui::Button> downloadButton_;
  std::shared_ptr<ui::Button> collectButton_;
  std::shared_ptr<ui::Button> shareButton_;
  std::shared_ptr<ui::Button> creatorButton_;
};

}  // namespace playback
