// The world around the player: the application's notifications, calls, audio-session
// interruptions and route changes, remote commands and the lock screen.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/foundation/NoDestructor.h"
#include "platform/media/AudioSession.h"
#include "platform/media/CallCenter.h"
#include "platform/media/NowPlayingInfoCenter.h"
#include "platform/media/RemoteCommandCenter.h"
#include "platform/ui/Application.h"
#include "platform/ui/Window.h"
#include "src/api/requests/RadioRequests.h"
#include "src/framework/ui/Toast.h"
#include "src/playback/offline/DBManager.h"
#include "src/playback/player/PlayerController.h"
#include "src/playback/timer/SleepTimer.h"
#include "src/services/UsageAnalytics.h"

namespace playback {

namespace {

const std::string& userInfoId(const foundation::Notification& notification, const char* key) {
  static const foundation::NoDestructor<std::string> none;
  const std::string* id = notification.userInfo[key].getString();
  return id ? *id : *none;
}

}  // namespace

void PlayerController::observeNotifications() {
  observe(kTimerStartNotification, &PlayerController::timingStart);
  observe(kTimerStopNotification, &PlayerController::timingStop);
  observe(kTimerDoneNotification, &PlayerController::timingDone);
  observe("ProgramIsCollected", &PlayerController::handleProgramIsCollectedEvent);
  observe("ProgramIsCancelCollected", &PlayerController::handleProgramIsCancelCollectedEvent);
  observe("ProgramIsUpdated", &PlayerController::handleProgramIsUpdatedEvent);
  observe("notificationProgramIsStartDownload", &PlayerController::handleProgramIsStartDownloadEvent);
  observe("notificationProgramWatingForDownload", &PlayerController::handleProgramIsStartDownloadEvent);
  observe("notificationProgramIsDownloaded", &PlayerController::handleProgramIsDownloaded);
  observe("notificationProgramPauseDownload", &PlayerController::handleProgramPauseDownload);
  observe("notificationProgramCancelDownload", &PlayerController::handleProgramCancelDownload);
  observe("userLoginEvent", &PlayerController::handleUserLoginEvent);
  observe("userLogoutEvent", &PlayerController::handleUserLogoutEvent);
  observe("notificationEnterOnlineModel", &PlayerController::handleEnterOnlineModelEvent);
  observe("notificationEnterOfflineModel", &PlayerController::handleEnterOfflineModelEvent);
  observe(kMusicIsDeleteFromProgramNotification, &PlayerController::handleSongIsDeleteFromProgram);
}

void PlayerController::observe(const char* name, void (PlayerController::*handler)(const foundation::Notification&)) {
  std::weak_ptr<PlayerController> weak = self_;
  foundation::NotificationCenter::defaultCenter().addObserver(
      this, name, [weak, handler](const foundation::Notification& notification) {
        if (auto self = weak.lock()) ((*self).*handler)(notification);
      });
}

void PlayerController::observeSystemEvents() {
  std::weak_ptr<PlayerController> weak = self_;
  auto onMain = [weak](std::function<void(PlayerController&)> work) {
    foundation::performOnMainThread([weak, work = std::move(work)] {
      if (auto self = weak.lock()) work(*self);
    });
  };
  callCenter_ = media::CallCenter::create();
  // Calls arrive on the call centre's own thread.
  callCenter_->setCallEventHandler([onMain](const media::Call& call) {
    onMain([call](PlayerController& self) {
      self.handleCallEvent(call.callID, call.callState == media::CallState::disconnected);
    });
  });
  media::RemoteCommandCenter& remote = media::RemoteCommandCenter::sharedCenter();
  remote.setHandler([weak](media::RemoteCommand command) {
    auto self = weak.lock();
    if (!self) return;
    if (command == media::RemoteCommand::nextTrack || command == media::RemoteCommand::previousTrack)
      return self->handleNextSongButtonClickEvent();
    self->playOrPause();
  });
  remote.beginReceivingRemoteControlEvents();
  auto& centre = foundation::NotificationCenter::defaultCenter();
  centre.addObserver(this, media::kAudioSessionInterruptionNotification,
                     [weak](const foundation::Notification& notification) {
                       if (auto self = weak.lock())
                         self->handleInterruption(notification.userInfo["type"].toInt64() == 1);
                     });
  centre.addObserver(this, media::kAudioSessionRouteChangeNotification, [weak](const foundation::Notification&) {
    if (auto self = weak.lock()) self->handleRouteChange(getAVAudioSessionRouteType());
  });
}

// --- Calls, interruptions, routes ---

void PlayerController::handleCallEvent(const std::string& callId, bool ended) {
  if (ended) {
    callMap_.erase(callId);
    if (lastPlaying_ && callMap_.empty()) {
      playAnything();
      lastPlaying_ = false;
    }
    return;
  }
  if (audioPlayer_ && audioPlayer_->rate() != 0) {
    lastPlaying_ = true;
    interruptPlay();
  }
  callMap_[callId] = true;
}

void PlayerController::handleInterruption(bool began) {
  if (began && isPlaying_) {
    interruptPlay();
    interruptedBySession_ = true;
  } else if (!began && interruptedBySession_) {
    interruptedBySession_ = false;
    playAnything();
  }
}

void PlayerController::handleRouteChange(const std::string& routeType) {
  // Headphones pulled out: the sound must not go on through the speaker.
  if (routeType == media::kAudioOutputSpeaker && isPlaying_) interruptPlay();
  if (routeType == media::kAudioOutputAirPlay) services::UsageAnalytics::event("play_airplay");
}

std::string PlayerController::getAVAudioSessionRouteType() {
  const auto& route = media::AudioSession::sharedInstance().currentRoute();
  if (!route || route->outputs.empty()) return "error";
  return route->outputs.back();
}

// --- Lock screen ---

void PlayerController::configLockScreenMediaInfo() {
  if (!selectedSong_) return media::NowPlayingInfoCenter::defaultCenter().setNowPlayingInfo(std::nullopt);
  media::NowPlayingInfo info;
  info.title = selectedSong_->songName().value_or("");
  if (program_) {
    info.artist = program_->user() ? program_->user()->uname().value_or("") : "";
    info.albumTitle = program_->programName().value_or("");
  } else {
    info.artist = selectedSong_->artistsName().value_or("");
    info.albumTitle = selectedSong_->salbumsName().value_or("");
  }
  info.artwork = panel_.coverImage();
  info.artworkFile = panel_.coverImageFile();
  const double length = duration();
  if (!isAdvertisement_ && std::isfinite(length)) info.duration = length;
  media::NowPlayingInfoCenter::defaultCenter().setNowPlayingInfo(std::move(info));
}

// --- Sleep timer ---

void PlayerController::timingStart(const foundation::Notification&) { panel_.showTimerRunning(true); }

void PlayerController::timingStop(const foundation::Notification&) { panel_.showTimerRunning(false); }

void PlayerController::timingDone(const foundation::Notification&) {
  panel_.showTimerRunning(false);
  interruptPlay();
  timingDone_ = true;
}

// --- Collection, edits and downloads of the playing programme ---

bool PlayerController::isCurrentProgramme(const std::string& programmeId) const {
  return program_ && !programmeId.empty() && program_->programId() == programmeId;
}

void PlayerController::handleProgramIsCollectedEvent(const foundation::Notification& notification) {
  if (!isCurrentProgramme(userInfoId(notification, "ProgramId"))) return;
  program_->setFav("1");
  panel_.refreshProgrammeButtons();
}

void PlayerController::handleProgramIsCancelCollectedEvent(const foundation::Notification& notification) {
  if (!isCurrentProgramme(userInfoId(notification, "ProgramId"))) return;
  program_->setFav("0");
  program_->setSync("0");
  panel_.refreshProgrammeButtons();
}

void PlayerController::handleProgramIsUpdatedEvent(const foundation::Notification& notification) {
  auto edited = notification.userInfo["editProgram"].objectAs<api::ProgramModel>();
  if (playState_ != kPlayingProgramme || !edited || !isCurrentProgramme(edited->programId().value_or(""))) return;
  program_ = edited;
  panel_.reloadSongTable();
}

void PlayerController::handleProgramIsStartDownloadEvent(const foundation::Notification& notification) {
  if (!isCurrentProgramme(userInfoId(notification, "ProgramId"))) return;
  program_->setSync("1");
  program_->setFav("1");
  panel_.refreshProgrammeButtons();
}

void PlayerController::handleProgramIsDownloaded(const foundation::Notification& notification) {
  const std::string& programmeId = userInfoId(notification, "ProgramId");
  if (isCurrentProgramme(programmeId)) {
    panel_.refreshProgrammeButtons();
    panel_.showProgrammeDownloaded();
  }
  api::ProgramModelPtr stored =
      DBManager::sharedManager().getDownloadedProgram(foundation::Value(programmeId).toInt64());
  if (!stored) return;
  char text[512];
  std::snprintf(text, sizeof text, kProgrammeOfflineToastFormat, stored->programName().value_or("").c_str());
  framework::toast::topViewToast(std::string(text), 2.0, "bottom");
}

void PlayerController::handleProgramPauseDownload(const foundation::Notification&) { panel_.refreshProgrammeButtons(); }

void PlayerController::handleProgramCancelDownload(const foundation::Notification& notification) {
  if (!isCurrentProgramme(userInfoId(notification, "ProgramId"))) return;
  program_->setSync("0");
  panel_.refreshProgrammeButtons();
}

void PlayerController::handleSongIsDeleteFromProgram(const foundation::Notification& notification) {
  if (!isCurrentProgramme(notification.userInfo["programId"].toString())) return;
  const std::string songId = notification.userInfo["songId"].toString();
  auto found = std::find_if(musicListArray_.begin(), musicListArray_.end(),
                            [&songId](const api::SongModelPtr& song) { return song->songId() == songId; });
  if (found != musicListArray_.end()) musicListArray_.erase(found);
  panel_.reloadSongTable();
}

// --- Login and modes ---

void PlayerController::handleUserLoginEvent(const foundation::Notification&) {
  if (!program_ || !program_->programId()) return;
  api::GetProgramDetailRequest::requestWithDelegate(self(), {{"program_id", *program_->programId()}});
}

void PlayerController::handleUserLogoutEvent(const foundation::Notification&) {
  // The song heard so far counts before the channel on air replaces it.
  logPlay(kActionReplaced);
  interruptPlay();
  playNowChannel();
}

void PlayerController::handleEnterOnlineModelEvent(const foundation::Notification&) {
  panel_.enableOnlineButtons(true);
  panel_.reloadSongTable();
  commitOfflineLog();
}

void PlayerController::handleEnterOfflineModelEvent(const foundation::Notification&) {
  panel_.enableOnlineButtons(false);
  interruptPlay();
  panel_.reloadSongTable();
}

}  // namespace playback
