#include "src/playback/player/AudioPlayerView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/foundation/NoDestructor.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Image.h"
#include "platform/ui/Nib.h"
#include "src/framework/images/QRVImageCacheManager.h"
#include "src/services/catalogue/SingleSongCell.h"

namespace playback {

namespace {

std::shared_ptr<AudioPlayerView>& sharedPanel() {
  static foundation::NoDestructor<std::shared_ptr<AudioPlayerView>> panel;
  return *panel;
}

// The nib always hands out the one panel, so the main pane and the screens share it.
const ui::Nib::Registration nib(AudioPlayerView::kXibName, [](const std::any&) {
  return ui::Nib::TopLevelObjects{AudioPlayerView::sharedAudioPlayer()};
});

}  // namespace

AudioPlayerView::AudioPlayerView() { buildViews(); }

AudioPlayerView::~AudioPlayerView() {
  foundation::NotificationCenter::defaultCenter().removeObserver(static_cast<const void*>(this));
}

std::shared_ptr<AudioPlayerView> AudioPlayerView::sharedAudioPlayer() {
  std::shared_ptr<AudioPlayerView>& panel = sharedPanel();
  if (!panel) {
    panel = std::make_shared<AudioPlayerView>();
    // Whatever holds the controller holds the panel it shows on.
    panel->controller_.bindLifetime(std::shared_ptr<PlayerController>(panel, &panel->controller_));
  }
  return panel;
}

void AudioPlayerView::resetSharedForTesting() { sharedPanel().reset(); }

std::string AudioPlayerView::formatTimeLabelBySecond(std::int64_t seconds) {
  seconds = std::max<std::int64_t>(seconds, 0);
  char text[32];
  std::snprintf(text, sizeof text, "%02lld:%02lld", static_cast<long long>(seconds / 60),
                static_cast<long long>(seconds % 60));
  return text;
}

void AudioPlayerView::showLoading(bool loading) {
  currentTimeLabel_->setHidden(loading);
  if (loading) {
    loadingView_->startAnimating();
  } else {
    loadingView_->stopAnimating();
    blurCoverOnceLoaded();
  }
  if (isPullUp_) return;
  // Collapsed, the top bar's spinner stands in for its play button while a song loads.
  if (loading) {
    topActivityIndicator_->startAnimating();
  } else {
    topActivityIndicator_->stopAnimating();
  }
  topPlayButton_->setHidden(loading);
}

void AudioPlayerView::showPlaying(bool playing) {
  playButton_->setImage(ui::Image::named(playing ? "zanting.png" : "kaishi.png"));
  topPlayButton_->setImage(ui::Image::named(playing ? "pause_new.png" : "play_new.png"));
}

void AudioPlayerView::showPosition(double seconds) {
  // A backend may report a moment before the start or past the end: the labels never leave the song.
  if (!std::isfinite(seconds)) seconds = 0;
  const double length = positionSlider_->maximumValue();
  seconds = std::clamp(seconds, 0.0, length > 0 ? length : std::max(seconds, 0.0));
  positionSlider_->setValue(static_cast<float>(seconds));
  circularSlider_->setValue(static_cast<float>(seconds));
  // The label shows the nearest whole second: 1.6 s reads 00:02.
  currentTimeLabel_->setText(formatTimeLabelBySecond(static_cast<std::int64_t>(seconds + 0.5)));
}

void AudioPlayerView::showDuration(std::int64_t seconds) {
  seconds = std::max<std::int64_t>(seconds, 0);
  positionSlider_->setMaximumValue(static_cast<float>(seconds));
  circularSlider_->setMaximumValue(static_cast<float>(seconds));
  totalTimeLabel_->setText(formatTimeLabelBySecond(seconds));
}

void AudioPlayerView::enableSeeking(bool enabled) { positionSlider_->setEnabled(enabled); }

void AudioPlayerView::showProgrammeDownloaded() { downloadButton_->setTitle("已离线"); }

void AudioPlayerView::enableOnlineButtons(bool enabled) {
  for (const auto& button : {shareButton_, collectButton_, downloadButton_, djInfoViewButton_})
    button->setEnabled(enabled);
}

void AudioPlayerView::showTimerRunning(bool running) {
  timerButton_->setImage(ui::Image::named(running ? "alarmbell_h.png" : "alarmbell.png"));
}

ui::ImagePtr AudioPlayerView::coverImage() const {
  // The top bar takes each cover the moment it arrives, while the cover view may still be fading
  // from its placeholder; before any cover the bar shows the placeholder, which is no cover.
  if (!topBarHoldsCurrentCover_) return nullptr;
  ui::ImagePtr shown = topViewImage_->image();
  return shown == ui::Image::named(kCoverPlaceholder) ? nullptr : shown;
}

std::string AudioPlayerView::coverImageFile() const {
  const std::string url = coverUrl();
  auto& cache = framework::QRVImageCacheManager::sharedManager();
  if (url.empty() || !coverImage() || !cache.isDiskCacheExit(url)) return {};
  return cache.getUrlSavePath(url);
}

void AudioPlayerView::pullUp() {
  musicTable_->setAlpha(1.0);
  pullUpWithAnimation(true);
}

void AudioPlayerView::configTopViewWithSong() {
  const api::SongModelPtr& song = selectedSong();
  topViewSongNameLabel_->setText(song ? song->songName().value_or("") : "");
  std::string second;
  if (playState() == PlayerController::kPlayingProgramme && program())
    second = program()->programName().value_or("");
  else if (playState() == PlayerController::kPlayingSAlbum && salbum())
    second = salbum()->salbumName().value_or("");
  else if (song)
    second = song->artistsName().value_or("");
  topViewProgramNameLabel_->setText(second);
}

}  // namespace playback
