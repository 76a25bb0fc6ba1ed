// Loading a song: the advert rule, the sound source, and the life of one audio player.
#include <cmath>

#include "platform/foundation/FileManager.h"
#include "platform/ui/AlertView.h"
#include "src/framework/cache/DataCacheManager.h"
#include "src/framework/network/NetWorkUitil.h"
#include "src/framework/ui/Toast.h"
#include "src/playback/adverts/AdvertisementManager.h"
#include "src/playback/managers/TrackHelper.h"
#include "src/playback/offline/DownloadManager.h"
#include "src/playback/player/PlayerController.h"
#include "src/playback/player/SongSourceRule.h"
#include "src/services/shell/AppDelegate.h"

namespace playback {

namespace {

std::int64_t idNumber(const std::optional<std::string>& id) { return foundation::Value(id.value_or("")).toInt64(); }

std::optional<std::string> playSetting() {
  foundation::Value setting =
      framework::DataCacheManager::sharedManager().getCachedObjectByKey(PlayerController::kPlaySettingKey);
  if (const std::string* text = setting.getString()) return *text;
  return std::nullopt;
}

// Shows the refusal of a stream on the mobile network; the alert keeps itself on screen.
void showRefusedAlert() {
  auto alert = std::make_shared<ui::AlertView>(SongSourceRule::kRefusedTitle, SongSourceRule::kRefusedMessage, nullptr,
                                               SongSourceRule::kRefusedButton, std::vector<std::string>{});
  alert->show();
}

}  // namespace

void PlayerController::loadSongSource() {
  ++loadGeneration_;
  loggedThisLoad_ = false;
  recordAtPause_.reset();
  isChangeMusicProcess_ = false;
  isAdvertisement_ = false;
  panel_.configTopViewWithSong();
  panel_.showLoading(true);
  panel_.showPosition(0);
  if (loadAdvert()) return;
  loadSong();
}

bool PlayerController::loadAdvert() {
  AdvertisementManager& adverts = AdvertisementManager::sharedManager();
  if (!adverts.canPlayAdversementWithPlayTimes(playSongTimes_)) return false;
  playSongTimes_ = 0;
  adverts.showAdCoverView();
  std::optional<std::string> url = adverts.fetchAdverisementPath();
  std::string source;
  if (url) {
    const std::string file = AdvertisementManager::cachedAudioPath(*url);
    if (foundation::FileManager::fileExists(file))
      source = file;
    else if (framework::NetWorkUitil::defaultUitil().isNetWorkEnable())
      source = *url;
  }
  adverts.nextAdId();
  // An advert that cannot be played from anywhere gives way to the song.
  if (source.empty()) return false;
  isAdvertisement_ = true;
  configSongSourceWithUrl(source);
  return true;
}

void PlayerController::loadSong() {
  if (!selectedSong_) return;
  const std::int64_t songId = idNumber(selectedSong_->songId());
  const std::int64_t programId = program_ ? idNumber(program_->programId()) : 0;
  DownloadManager& downloads = DownloadManager::sharedManager();
  std::optional<std::string> file;
  if (downloads.isDownloadedSong(songId, programId)) file = downloads.getSongPathBySongId(songId, programId);
  services::AppDelegate& app = services::AppDelegate::sharedDelegate();
  api::SongModelPtr song = selectedSong_;
  SongSourceRule::Choice choice = SongSourceRule::choose(playSetting(), app.networkStatus(), app.isOffline(), file,
                                                         [&song] { return song->getAudioPlayUrl(); });
  switch (choice.outcome) {
    case SongSourceRule::Outcome::refused:
      showRefusedAlert();
      if (isPlaying_) interruptPlay();
      return;
    case SongSourceRule::Outcome::skip:
      return skipToPlayableSong();
    case SongSourceRule::Outcome::play:
      if (choice.toast) framework::toast::topViewToast(*choice.toast, choice.toastSeconds, "center");
      configSongSourceWithUrl(choice.source);
  }
}

void PlayerController::skipToPlayableSong() {
  const std::int64_t programId = program_ ? idNumber(program_->programId()) : 0;
  const std::size_t count = musicListArray_.size();
  const std::size_t from = selectedIndex().value_or(0);
  for (std::size_t step = 1; step < count; ++step) {
    const std::size_t index = (from + step) % count;
    if (DownloadManager::sharedManager().isDownloadedSong(idNumber(musicListArray_[index]->songId()), programId)) {
      selectSong(index);
      configLockScreenMediaInfo();
      return play();
    }
  }
  // Nothing of this list is on the device.
  releaseAudioPlayer();
  interruptPlay();
}

void PlayerController::configSongSourceWithUrl(const std::string& source) {
  releaseAudioPlayer();
  currentSource_ = source;
  audioPlayer_ = media::AudioPlayer::create(source);
  media::AudioPlayer* player = audioPlayer_.get();
  std::weak_ptr<PlayerController> weak = self_;
  // Each callback acts only while its player is still the current one.
  auto forPlayer = [weak, player](void (PlayerController::*handler)()) {
    return [weak, player, handler] {
      auto self = weak.lock();
      if (self && self->audioPlayer_.get() == player) ((*self).*handler)();
    };
  };
  audioPlayer_->setOnStatusChange(forPlayer(&PlayerController::itemStatusChanged));
  audioPlayer_->setOnRateChange(forPlayer(&PlayerController::rateChanged));
  audioPlayer_->setOnDurationChange(forPlayer(&PlayerController::durationLearnt));
  audioPlayer_->setOnDidPlayToEnd(forPlayer(&PlayerController::itemEnded));
  audioPlayer_->setOnFailedToPlayToEnd(forPlayer(&PlayerController::giveUpItem));
  timeObserver_ = audioPlayer_->addPeriodicTimeObserver(foundation::Duration(1.0), [weak, player](double seconds) {
    auto self = weak.lock();
    if (self && self->audioPlayer_.get() == player) self->timeReported(seconds);
  });
}

void PlayerController::releaseAudioPlayer() {
  if (!audioPlayer_) return;
  audioPlayer_->setOnStatusChange({});
  audioPlayer_->setOnRateChange({});
  audioPlayer_->setOnDurationChange({});
  audioPlayer_->setOnDidPlayToEnd({});
  audioPlayer_->setOnFailedToPlayToEnd({});
  audioPlayer_->removeTimeObserver(timeObserver_);
  audioPlayer_->pause();
  audioPlayer_.reset();
  timeObserver_ = {};
  currentSource_.clear();
}

void PlayerController::itemStatusChanged() {
  switch (audioPlayer_->status()) {
    case media::ItemStatus::readyToPlay:
      return itemReady();
    case media::ItemStatus::failed:
      return itemFailed();
    case media::ItemStatus::unknown:
      return;
  }
}

void PlayerController::itemReady() {
  isLoadingDonwSongSource_ = true;
  showDuration();
  configLockScreenMediaInfo();  // now with the song's length
  panel_.showLoading(false);
  if (beginLoad_) {
    const foundation::Duration took = foundation::Clock::current().now() - *beginLoad_;
    TrackHelper::sendMp3LoadtimeWithInterval(took.count(), selectedSong_ ? selectedSong_->songId().value_or("") : "");
    beginLoad_.reset();
  }
  // A pause, the sleep timer, a call or the offline switch during the load stays in force.
  if (isPlaying_) audioPlayer_->play();
  if (userMayCreateProgrammes()) panel_.enableSeeking(true);
  foundation::NotificationCenter::defaultCenter().postNotificationName(kSongSourceDidLoadedNotification);
}

void PlayerController::showDuration() {
  const double length = audioPlayer_->duration();
  panel_.showDuration(std::isfinite(length) ? static_cast<std::int64_t>(length) : 0);
}

// A stream that did not tell its length at the start (no header to say it) tells it later.
void PlayerController::durationLearnt() {
  showDuration();
  configLockScreenMediaInfo();
}

void PlayerController::itemFailed() {
  if (!isPlaying_) return;
  // A source that keeps failing (gone from the server, not a sound at all) is given up.
  if (++loadFailures_ >= kMaxLoadFailures) return giveUpItem();
  const std::uint64_t load = loadGeneration_;
  after(kRetrySeconds, [load](PlayerController& self) {
    if (load == self.loadGeneration_ && self.isPlaying_) self.loadSongSource();
  });
}

void PlayerController::itemEnded() { currentMusicPlayDone(true); }

// The song counts as finished: it goes on to the next, and its log says it ended, with the time
// really heard; the listener did not skip it.
void PlayerController::giveUpItem() {
  const foundation::ErrorPtr& error = audioPlayer_->error();
  // Without an address there was nothing to open; the player's own words would not say so.
  const std::string reason = currentSource_.empty() ? kNoAddressReason : error ? error->description() : "";
  if (onGivenUp_) onGivenUp_(isAdvertisement_ ? nullptr : selectedSong_, reason);
  advance(true, kActionEnded);
}

void PlayerController::rateChanged() {
  if (static_cast<int>(audioPlayer_->rate()) == 1) {
    setIsPlaying(true);
    panel_.showLoading(false);
    if (selectedSong_ && selectedSong_->songId()) panel_.showSongRowPlaying(*selectedSong_->songId());
  } else if (isPlaying_) {
    audioPlayer_->play();
  }
}

void PlayerController::timeReported(double seconds) {
  if (!isChangeMusicProcess_) panel_.showPosition(seconds);
}

double PlayerController::position() const {
  return audioPlayer_ ? audioPlayer_->currentTime() : std::numeric_limits<double>::quiet_NaN();
}

double PlayerController::duration() const {
  return audioPlayer_ ? audioPlayer_->duration() : std::numeric_limits<double>::quiet_NaN();
}

void PlayerController::beginSeeking() { isChangeMusicProcess_ = audioPlayer_ != nullptr; }

void PlayerController::seekTo(double seconds) {
  if (!audioPlayer_) {
    isChangeMusicProcess_ = false;
    return;
  }
  isChangeMusicProcess_ = true;
  const std::uint64_t load = loadGeneration_;
  std::weak_ptr<PlayerController> weak = self_;
  // Done or refused, the slider follows the player again.
  audioPlayer_->seekTo(seconds, [weak, load](bool) {
    auto self = weak.lock();
    if (self && load == self->loadGeneration_) self->isChangeMusicProcess_ = false;
  });
}

}  // namespace playback
