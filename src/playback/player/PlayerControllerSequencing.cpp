// What follows a song: the next-song rule with channel continuation, play logs, and the offline
// gate of the panel's buttons.
#include <cmath>

#include "src/api/requests/PlayRequests.h"
#include "src/framework/ui/Toast.h"
#include "src/playback/managers/PlayApiManager.h"
#include "src/playback/offline/DownloadManager.h"
#include "src/playback/player/PlayerController.h"
#include "src/services/UsageAnalytics.h"
#include "src/services/shell/AppDelegate.h"

namespace playback {

std::optional<std::size_t> PlayerController::selectedIndex() const {
  if (!selectedSong_) return std::nullopt;
  if (selectedIndex_ < musicListArray_.size() && musicListArray_[selectedIndex_] == selectedSong_)
    return selectedIndex_;
  // The list changed under the song (an edit, a deletion): find the very same song again.
  for (std::size_t i = 0; i < musicListArray_.size(); ++i)
    if (musicListArray_[i] == selectedSong_) return i;
  return std::nullopt;
}

void PlayerController::currentMusicPlayDone(bool done) { advance(done, done ? kActionEnded : kActionSkipped); }

void PlayerController::advance(bool done, int action) {
  std::optional<std::size_t> next;
  if (isAdvertisement_) {
    // The song the advert stood in front of plays now; the advert itself is not a play.
    isAdvertisement_ = false;
    next = selectedIndex();
  } else {
    logPlay(action);
    ++playSongTimes_;
    if (std::optional<std::size_t> current = selectedIndex()) next = *current + 1;
  }
  if (next && *next < musicListArray_.size()) {
    selectSong(*next);
    configLockScreenMediaInfo();
    return play();
  }
  if (!prePlayPrograms_.empty()) {
    api::ProgramModelPtr queued = prePlayPrograms_.front();
    prePlayPrograms_.erase(prePlayPrograms_.begin());
    const std::uint64_t load = loadGeneration_;
    if (queued && queued->programId()) playProgram(*queued->programId(), std::nullopt);
    // A stored copy is playing already; a fetched one replaces this list when it arrives.
    if (load == loadGeneration_) playFirstSong();
    return;
  }
  const auto& channelId = services::AppDelegate::sharedDelegate().getMainController()->app_ChannelId();
  if (done && isClickPlayChannel_ && channelId) return continueChannel();
  playFirstSong();
}

void PlayerController::playFirstSong() {
  if (musicListArray_.empty()) {
    selectSong(std::nullopt);
    return interruptPlay();
  }
  selectSong(0);
  configLockScreenMediaInfo();
  play();
}

void PlayerController::continueChannel() {
  const std::string channelId = *services::AppDelegate::sharedDelegate().getMainController()->app_ChannelId();
  const std::uint64_t start = startGeneration_;
  std::weak_ptr<PlayerController> weak = self_;
  auto answered = [weak, start, channelId](framework::QRVBaseDataRequest* request) {
    auto self = weak.lock();
    if (!self || start != self->startGeneration_) return;
    auto* reply = dynamic_cast<api::BaseDataRequest*>(request);
    api::ProgramModelPtr programme =
        reply && reply->succeeded() ? reply->resultDic()["program"].objectAs<api::ProgramModel>() : nullptr;
    // Without the channel's next programme the list starts again.
    if (!programme) return self->playFirstSong();
    self->playProgram(programme, programme->songsArr(), std::nullopt, channelId);
  };
  api::PlayChannelRequest::requestWithParameters(
      {{"channel_id", channelId}},
      {.onRequestFinished = [answered](framework::QRVBaseDataRequest& request) { answered(&request); },
       .onRequestCanceled = [answered](framework::QRVBaseDataRequest&) { answered(nullptr); },
       .onRequestFailed = [answered](framework::QRVBaseDataRequest&,
                                     const foundation::ErrorPtr&) { answered(nullptr); }});
}

void PlayerController::logPlay(int action) {
  beginLoad_ = foundation::Clock::current().now();
  if (std::optional<foundation::Dictionary> record = playRecord(action)) sendPlayRecord(*record);
}

std::optional<foundation::Dictionary> PlayerController::playRecord(int action) const {
  // One record per load, for a song (never an advert) that was heard for a second at least.
  if (!isPlaying_ || isAdvertisement_ || loggedThisLoad_ || !selectedSong_ || !audioPlayer_) return std::nullopt;
  const double heard = audioPlayer_->currentTime();
  if (!std::isfinite(heard) || static_cast<std::int64_t>(heard) == 0) return std::nullopt;
  const bool programme = playState_ == kPlayingProgramme && program_;
  return foundation::Dictionary{
      {"song_id", selectedSong_->songId().value_or("")},
      {"program_id", programme ? program_->programId().value_or("0") : "0"},
      {"channel_id", (onAirBeforeFetch_ ? onAirBeforeFetch_->fromChannel : playFromChannelId_).value_or("0")},
      {"artist_id", programme ? program_->uid().value_or("0") : "0"},
      {"real_duration", std::to_string(static_cast<std::int64_t>(heard))},
      {"song_duration", selectedSong_->duration().value_or("")},
      {"action", std::to_string(action)},
      {"source", "3"},
  };
}

void PlayerController::sendPlayRecord(const foundation::Dictionary& record) {
  loggedThisLoad_ = true;
  PlayApiManager::playLog(record);
}

bool PlayerController::checkOfflinePlay() {
  if (isPlaying_ || !services::AppDelegate::sharedDelegate().isOffline()) return true;
  if (program_) {
    const std::int64_t id = foundation::Value(program_->programId().value_or("")).toInt64();
    if (DownloadManager::sharedManager().checkProgramStateById(id) == 0) return true;
    framework::toast::topViewToast(kOfflineProgrammeToast, 1.0, "center");
    return false;
  }
  framework::toast::topViewToast(kOfflineSongsToast, 1.0, "center");
  return false;
}

void PlayerController::handleNextSongButtonClickEvent() {
  if (!checkOfflinePlay()) return;
  services::UsageAnalytics::event("play_next");
  currentMusicPlayDone(false);
}

void PlayerController::handleStartAndPauseButtonEvent() {
  if (checkOfflinePlay()) playOrPause();
}

void PlayerController::commitOfflineLog() { PlayApiManager::commitOfflineLog(); }

}  // namespace playback
