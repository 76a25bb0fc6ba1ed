#include "src/playback/player/AudioPlayerView.h"

#include <cmath>
#include <cstdio>

#include "platform/ui/Image.h"
#include "platform/ui/Nib.h"

namespace playback {

namespace {

std::shared_ptr<AudioPlayerView>& sharedPanel() {
  static std::shared_ptr<AudioPlayerView> panel;
  return panel;
}

// The nib always hands out the one panel, so the main pane and the screens share it.
const ui::Nib::Registration nib(AudioPlayerView::kXibName, [](const std::any&) {
  return ui::Nib::TopLevelObjects{AudioPlayerView::sharedAudioPlayer()};
});

constexpr ui::Rect kPanelFrame{0, 0, 320, 568};

}  // namespace

AudioPlayerView::AudioPlayerView()
    : framework::QRVXibView(kPanelFrame), PlayerController(static_cast<PlayerPanel&>(*this)) {
  buildViews();
}

std::shared_ptr<AudioPlayerView> AudioPlayerView::sharedAudioPlayer() {
  std::shared_ptr<AudioPlayerView>& panel = sharedPanel();
  if (!panel) {
    panel = std::make_shared<AudioPlayerView>();
    panel->bindLifetime(std::shared_ptr<PlayerController>(panel, static_cast<PlayerController*>(panel.get())));
  }
  return panel;
}

void AudioPlayerView::resetSharedForTesting() { sharedPanel().reset(); }

void AudioPlayerView::initAudioPlayer() {
  if (started_) return;
  started_ = true;
  startPlayer();
}

void AudioPlayerView::buildViews() {
  auto add = [this](auto view, ui::Rect frame) {
    view->setFrame(frame);
    addSubview(view);
    return view;
  };
  topPlayButton_ = add(std::make_shared<ui::Button>(), {276, 4, 40, 40});
  currentTimeLabel_ = add(std::make_shared<ui::Label>(), {10, 420, 50, 20});
  loadingView_ = add(std::make_shared<ui::ActivityIndicatorView>(), {20, 420, 20, 20});
  positionSlider_ = add(std::make_shared<ui::Slider>(), {60, 420, 200, 20});
  totalTimeLabel_ = add(std::make_shared<ui::Label>(), {260, 420, 50, 20});
  playButton_ = add(std::make_shared<ui::Button>(), {135, 460, 50, 50});
  timerButton_ = add(std::make_shared<ui::Button>(), {20, 520, 40, 40});
  downloadButton_ = add(std::make_shared<ui::Button>(), {80, 520, 40, 40});
  collectButton_ = add(std::make_shared<ui::Button>(), {140, 520, 40, 40});
  shareButton_ = add(std::make_shared<ui::Button>(), {200, 520, 40, 40});
  creatorButton_ = add(std::make_shared<ui::Button>(), {260, 520, 40, 40});
  loadingView_->setHidesWhenStopped(true);
  positionSlider_->setEnabled(false);
  currentTimeLabel_->setText(formatTimeLabelBySecond(0));
  totalTimeLabel_->setText(formatTimeLabelBySecond(0));
  showPlaying(false);
  timerButton_->setImage(ui::Image::named("alarmbell.png"));
}

std::string AudioPlayerView::formatTimeLabelBySecond(std::int64_t seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%02lld:%02lld", static_cast<long long>(seconds / 60),
                static_cast<long long>(seconds % 60));
  return text;
}

void AudioPlayerView::showLoading(bool loading) {
  currentTimeLabel_->setHidden(loading);
  if (loading)
    loadingView_->startAnimating();
  else
    loadingView_->stopAnimating();
}

void AudioPlayerView::showPlaying(bool playing) {
  playButton_->setImage(ui::Image::named(playing ? "zanting.png" : "kaishi.png"));
  topPlayButton_->setImage(ui::Image::named(playing ? "pause_new.png" : "play_new.png"));
}

void AudioPlayerView::showPosition(double seconds) {
  if (!std::isfinite(seconds)) {
    currentTimeLabel_->setText(formatTimeLabelBySecond(0));
    return;
  }
  positionSlider_->setValue(static_cast<float>(seconds));
  currentTimeLabel_->setText(formatTimeLabelBySecond(static_cast<std::int64_t>(seconds + 0.5)));
}

void AudioPlayerView::showDuration(std::int64_t seconds) {
  positionSlider_->setMaximumValue(static_cast<float>(seconds));
  totalTimeLabel_->setText(formatTimeLabelBySecond(seconds));
}

void AudioPlayerView::enableSeeking(bool enabled) { positionSlider_->setEnabled(enabled); }

void AudioPlayerView::showProgrammeDownloaded() { downloadButton_->setTitle("已离线"); }

void AudioPlayerView::enableOnlineButtons(bool enabled) {
  for (const auto& button : {shareButton_, collectButton_, downloadButton_, creatorButton_})
    button->setEnabled(enabled);
}

void AudioPlayerView::showTimerRunning(bool running) {
  timerButton_->setImage(ui::Image::named(running ? "alarmbell_h.png" : "alarmbell.png"));
}

}  // namespace playback
