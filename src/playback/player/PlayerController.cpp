#include "src/playback/player/PlayerController.h"

#include <typeindex>
#include <unordered_map>

#include "platform/foundation/NoDestructor.h"
#include "platform/ui/Application.h"
#include "platform/ui/Window.h"
#include "src/api/requests/ItemRequests.h"
#include "src/api/requests/PlayRequests.h"
#include "src/api/requests/RadioRequests.h"
#include "src/api/requests/UserRequests.h"
#include "src/framework/ui/Toast.h"
#include "src/playback/adverts/AdvertisementManager.h"
#include "src/playback/offline/DBManager.h"
#include "src/playback/offline/DownloadManager.h"
#include "src/services/UsageAnalytics.h"
#include "src/services/shell/AppDelegate.h"

namespace playback {

namespace {

std::shared_ptr<services::MainViewController> mainPane() {
  return services::AppDelegate::sharedDelegate().getMainController();
}

bool isOffline() { return services::AppDelegate::sharedDelegate().isOffline(); }

std::int64_t idNumber(const std::optional<std::string>& id) { return foundation::Value(id.value_or("")).toInt64(); }

// The programme of a play reply, with its songs; null when the reply did not succeed or holds
// none.
api::ProgramModelPtr programmeOf(framework::QRVBaseDataRequest& request) {
  auto* reply = dynamic_cast<api::BaseDataRequest*>(&request);
  if (!reply || !reply->succeeded()) return nullptr;
  return request.resultDic()["program"].objectAs<api::ProgramModel>();
}

// Why a start was refused, as the end of a sentence.
std::string refusalOf(framework::QRVBaseDataRequest& request, const foundation::ErrorPtr& error) {
  if (error) return error->description();
  const std::string* err = request.resultDic()["err"].getString();
  return err && *err != api::kErrOk ? "the server answered " + *err : "the server sent no programme";
}

void centreToast(const std::string& text, double seconds) { framework::toast::topViewToast(text, seconds, "center"); }

}  // namespace

PlayerController::PlayerController(PlayerPanel& panel) : panel_(panel) {}

PlayerController::~PlayerController() {
  foundation::NotificationCenter::defaultCenter().removeObserver(this);
  releaseAudioPlayer();
}

void PlayerController::startPlayer() {
  observeNotifications();
  observeSystemEvents();
  AdvertisementManager::sharedManager().requestAdvertismentDataCompletHandler([] {}, [] {});
  const std::optional<std::string>& pushed = services::AppDelegate::sharedDelegate().initProgramId();
  if (!pushed) return playNowChannel();
  panel_.pullUp();
  playProgram(*pushed, std::nullopt);
}

// --- Entry points ---

void PlayerController::beginStart(bool logReplaced, std::optional<std::string> channelId,
                                  std::optional<std::string> programmeId, bool stopSongOnAir) {
  // Reached first: a main pane made now loads the panel, whose own first start must come before
  // this one and so give way to it.
  auto pane = mainPane();
  ++startGeneration_;
  if (logReplaced) logPlay(kActionReplaced);
  if (stopSongOnAir) {
    stopForNewList();
    // Any start but a fetch ends the fetch on its way.
    forgetFetch();
  }
  pane->setApp_ChannelId(std::move(channelId));
  pane->setApp_ProgramId(std::move(programmeId));
  playFromChannelId_.reset();
}

void PlayerController::stopForNewList() {
  interruptPlay();
  isLoadingDonwSongSource_ = false;
}

void PlayerController::playNowChannel() {
  beginStart(true, std::nullopt, std::nullopt);
  isClickPlayChannel_ = false;
  const std::uint64_t start = startGeneration_;
  std::weak_ptr<PlayerController> weak = self_;
  auto answer = [weak, start](framework::QRVBaseDataRequest& request, bool failed) {
    auto self = weak.lock();
    if (self && start == self->startGeneration_) self->nowChannelAnswered(request, failed);
  };
  api::PlayNowChannelsRequest::requestWithParameters(
      {}, {.onRequestFinished = [answer](framework::QRVBaseDataRequest& request) { answer(request, false); },
           .onRequestCanceled = [answer](framework::QRVBaseDataRequest& request) { answer(request, true); },
           .onRequestFailed = [answer](framework::QRVBaseDataRequest& request,
                                       const foundation::ErrorPtr&) { answer(request, true); }});
}

void PlayerController::nowChannelAnswered(framework::QRVBaseDataRequest& request, bool failed) {
  api::ProgramModelPtr programme = failed ? nullptr : programmeOf(request);
  if (!programme) return retryNowChannelLater();
  mainPane()->setApp_ProgramId(programme->programId());
  playWithModel(programme, nullptr, programme->songsArr(), kPlayingProgramme, false, std::nullopt);
}

void PlayerController::retryNowChannelLater() {
  if (!musicListArray_.empty() || isOffline()) return;
  const std::uint64_t start = startGeneration_;
  after(kRetrySeconds, [start](PlayerController& self) {
    // Any start made meanwhile, this retry's own included, supersedes it.
    if (start == self.startGeneration_ && self.musicListArray_.empty() && !isOffline()) self.playNowChannel();
  });
}

void PlayerController::playChannel(const std::string& channelId, std::function<void(const std::string&)> refused) {
  // What played goes on when the channel cannot be had.
  const Resumable before = listOnAir(isPlaying_);
  isClickPlayChannel_ = true;
  beginStart(false, channelId, std::nullopt);
  services::UsageAnalytics::event("radio_play");
  const std::uint64_t start = startGeneration_;
  std::weak_ptr<PlayerController> weak = self_;
  auto answered = [weak, start, channelId, before, refused](framework::QRVBaseDataRequest& request,
                                                            const foundation::ErrorPtr& error) {
    auto self = weak.lock();
    if (!self || start != self->startGeneration_) return;
    if (api::ProgramModelPtr programme = error ? nullptr : programmeOf(request))
      return self->playProgram(programme, programme->songsArr(), std::nullopt, channelId);
    self->resume(before);
    if (refused) refused(refusalOf(request, error));
  };
  api::PlayChannelRequest::requestWithParameters(
      {{"channel_id", channelId}},
      {.onRequestFinished = [answered](framework::QRVBaseDataRequest& request) { answered(request, nullptr); },
       .onRequestFailed = [answered](framework::QRVBaseDataRequest& request,
                                     const foundation::ErrorPtr& error) { answered(request, error); }});
  panel_.pullUp();
}

PlayerController::Resumable PlayerController::listOnAir(bool playing) const {
  if (onAirBeforeFetch_) {
    Resumable before = *onAirBeforeFetch_;
    before.playing = playing;
    return before;
  }
  auto pane = mainPane();
  return {playing, isClickPlayChannel_, pane->app_ChannelId(), pane->app_ProgramId(), playFromChannelId_};
}

void PlayerController::resume(const Resumable& before) {
  auto pane = mainPane();
  isClickPlayChannel_ = before.clickedChannel;
  pane->setApp_ChannelId(before.channelId);
  pane->setApp_ProgramId(before.programmeId);
  playFromChannelId_ = before.fromChannel;
  if (before.playing && audioPlayer_) playAnything();
}

void PlayerController::playProgramFromChannel(const std::string& programId, const std::string& channelId) {
  playProgram(programId, std::nullopt);
  playFromChannelId_ = channelId;
  panel_.pullUp();
}

void PlayerController::playProgram(const std::string& programId, const std::optional<std::string>& startFromSong,
                                   bool playNow, std::function<void(const std::string&)> refused) {
  const std::int64_t id = idNumber(programId);
  if (!DownloadManager::sharedManager().checkProgramIsDownloadById(id) && !isOffline())
    return fetchProgram(programId, startFromSong, playNow, std::move(refused));
  isClickPlayChannel_ = false;
  beginStart(true, std::nullopt, programId);
  api::ProgramModelPtr stored = DBManager::sharedManager().getDownloadedProgram(id);
  playWithModel(stored, nullptr, stored ? stored->songsArr() : std::vector<api::SongModelPtr>{}, kPlayingProgramme,
                playNow, startFromSong);
}

// The song on air plays on while the programme is on its way, and goes on when it cannot be had;
// the song on air when the fetched programme arrives is the one reported as replaced.
void PlayerController::fetchProgram(const std::string& programId, const std::optional<std::string>& startFromSong,
                                    bool playNow, std::function<void(const std::string&)> refused) {
  // Nothing to start again on a refusal: the song never stopped. A later fetch over the same
  // list gives back the list as it was before the first, not what the first fetch made of it.
  const Resumable before = listOnAir(false);
  isClickPlayChannel_ = false;
  beginStart(false, std::nullopt, programId, false);
  onAirBeforeFetch_ = before;
  beginLoad_ = foundation::Clock::current().now();
  const std::uint64_t start = startGeneration_;
  std::weak_ptr<PlayerController> weak = self_;
  auto answered = [weak, start, playNow, startFromSong, refused, before](framework::QRVBaseDataRequest& request,
                                                                         const foundation::ErrorPtr& error) {
    auto self = weak.lock();
    if (!self || start != self->startGeneration_) return;
    if (api::ProgramModelPtr programme = error ? nullptr : programmeOf(request)) {
      // The song on air now may have followed the one on air at the asking; paused meanwhile, it
      // is reported with what was heard up to the pause.
      std::optional<foundation::Dictionary> heard = self->playRecord(kActionReplaced);
      if (!heard && !self->loggedThisLoad_) heard = self->recordAtPause_;
      if (heard) self->sendPlayRecord(*heard);
      self->stopForNewList();
      self->forgetFetch();
      return self->playWithModel(programme, nullptr, programme->songsArr(), kPlayingProgramme, playNow, startFromSong);
    }
    // No fetch is on its way any more: the list on air is as it was before the first was asked.
    self->forgetFetch();
    self->resume(before);
    centreToast(kProgrammeFailedToast, 2.0);
    if (refused) refused(refusalOf(request, error));
  };
  api::PlayProgramRequest::requestWithParameters(
      {{"program_id", programId}},
      {.onRequestFinished = [answered](framework::QRVBaseDataRequest& request) { answered(request, nullptr); },
       .onRequestFailed = [answered](framework::QRVBaseDataRequest& request,
                                     const foundation::ErrorPtr& error) { answered(request, error); }});
}

void PlayerController::forgetFetch() {
  onAirBeforeFetch_.reset();
  recordAtPause_.reset();
}

void PlayerController::playProgram(const api::ProgramModelPtr& programme, const std::vector<api::SongModelPtr>& songs,
                                   const std::optional<std::string>& startFromSong,
                                   const std::optional<std::string>& fromChannel) {
  beginStart(true, fromChannel, programme ? programme->programId() : std::nullopt);
  playFromChannelId_ = fromChannel;
  playWithModel(programme, nullptr, songs, kPlayingProgramme, true, startFromSong);
}

void PlayerController::playSAlbum(const api::SAlbumModelPtr& salbum, const std::vector<api::SongModelPtr>& songs,
                                  const std::optional<std::string>& startFromSong) {
  beginStart(true, std::nullopt, std::nullopt);
  playWithModel(nullptr, salbum, songs, kPlayingSAlbum, true, startFromSong);
}

void PlayerController::playSong(const api::SongModelPtr& song) {
  beginStart(true, std::nullopt, std::nullopt);
  playWithModel(nullptr, nullptr, {song}, kPlayingSongs, true, std::nullopt);
}

void PlayerController::playWithModel(const api::ProgramModelPtr& programme, const api::SAlbumModelPtr& salbum,
                                     const std::vector<api::SongModelPtr>& songs, int playType, bool playNow,
                                     const std::optional<std::string>& startFromSong) {
  playState_ = playType;
  program_ = playType == kPlayingProgramme ? programme : nullptr;
  salbum_ = playType == kPlayingSAlbum ? salbum : nullptr;
  musicListArray_.clear();
  for (const api::SongModelPtr& song : songs)
    if (song) musicListArray_.push_back(song);
  // The old item belongs to the old list: a later playAnything must start the new one.
  releaseAudioPlayer();
  std::optional<std::size_t> chosen;
  if (!musicListArray_.empty()) chosen = 0;
  if (startFromSong && !startFromSong->empty())
    for (std::size_t i = 0; i < musicListArray_.size(); ++i)
      if (musicListArray_[i]->songId() == startFromSong) {
        chosen = i;
        break;
      }
  selectSong(chosen);
  panel_.setAudioView();
  configLockScreenMediaInfo();
  if (!playNow) return;
  // Said now rather than at the next press of play, which is all that could follow.
  if (!selectedSong_) return centreToast(kEmptyListToast, 2.0);
  play();
  if (onListStarted_) onListStarted_();
  if (program_) api::ListenHistoryRequest::addListenProgram(program_);
}

void PlayerController::selectSong(std::optional<std::size_t> index) {
  api::SongModelPtr previous = std::move(selectedSong_);
  selectedSong_ = index ? musicListArray_[*index] : nullptr;
  selectedIndex_ = index.value_or(0);
  if (previous && previous->songId()) panel_.resetSongRow(*previous->songId());
}

void PlayerController::selectRow(std::size_t index) {
  if (index >= musicListArray_.size()) return;
  interruptPlay();
  selectSong(index);
  play();
}

// --- Playing ---

void PlayerController::setIsPlaying(bool playing) {
  isPlaying_ = playing;
  panel_.showPlaying(playing);
}

bool PlayerController::userMayEdit() const {
  api::UserModelPtr user = api::UserModel::getUser();
  return user && (idNumber(user->priCreateProgram()) != 0 || idNumber(user->priItemView()) != 0);
}

bool PlayerController::userMayCreateProgrammes() const {
  api::UserModelPtr user = api::UserModel::getUser();
  return user && idNumber(user->priCreateProgram()) != 0;
}

void PlayerController::play() {
  if (!selectedSong_) return;
  loadFailures_ = 0;
  setIsPlaying(true);
  if (userMayEdit() && selectedSong_->songId()) panel_.showSongRowLoading(*selectedSong_->songId());
  loadSongSource();
}

void PlayerController::interruptPlay() {
  if (onAirBeforeFetch_ && isPlaying_) recordAtPause_ = playRecord(kActionReplaced);
  setIsPlaying(false);
  panel_.showLoading(false);
  if (audioPlayer_) audioPlayer_->pause();
}

void PlayerController::playAnything() {
  if (audioPlayer_ && audioPlayer_->status() != media::ItemStatus::failed) {
    audioPlayer_->play();
    setIsPlaying(true);
    return;
  }
  if (!selectedSong_) {
    if (musicListArray_.empty()) return centreToast(kEmptyListToast, 2.0);
    selectSong(0);
  }
  play();
}

void PlayerController::playOrPause() {
  if (isPlaying_) {
    services::UsageAnalytics::event("play_stop");
    interruptPlay();
  } else {
    playAnything();
  }
  foundation::NotificationCenter::defaultCenter().postNotificationName(kPlayerStopOrStartNotification);
}

// --- Replies of the requests made with the player as delegate ---

void PlayerController::requestDidFinishLoad(framework::QRVBaseDataRequest& request) {
  using Handler = void (PlayerController::*)(api::BaseDataRequest&);
  static const foundation::NoDestructor<std::unordered_map<std::type_index, Handler>> handlers(
      std::unordered_map<std::type_index, Handler>{
          {typeid(api::ListSAlbumSongs), &PlayerController::albumSongsArrived},
          {typeid(api::DelProgramSong), &PlayerController::songDeletionAnswered},
          {typeid(api::GetProgramDetailRequest), &PlayerController::programmeDetailArrived},
          {typeid(api::ShareToThirdRequest), &PlayerController::shareAnswered}});
  // Every request class of the table is an api::BaseDataRequest.
  if (auto found = handlers->find(typeid(request)); found != handlers->end())
    (this->*found->second)(static_cast<api::BaseDataRequest&>(request));
}

void PlayerController::albumSongsArrived(api::BaseDataRequest& reply) {
  // A failed reply keeps the list that is playing.
  const foundation::Array* songs = reply.resultDic()[api::kKeyArray].getArray();
  if (!reply.succeeded() || !songs) return;
  musicListArray_.clear();
  for (const foundation::Value& song : *songs)
    if (auto model = song.objectAs<api::SongModel>()) musicListArray_.push_back(std::move(model));
  panel_.reloadSongTable();
}

void PlayerController::songDeletionAnswered(api::BaseDataRequest& reply) {
  const std::string err = reply.resultDic()["err"].toString();
  if (err == api::kErrOk) {
    foundation::NotificationCenter::defaultCenter().postNotificationName(
        kMusicIsDeleteFromProgramNotification, {},
        {{"programId", reply.parameters()["program_id"]}, {"songId", reply.parameters()["song_id"]}});
  } else if (err == api::kErrPublishedSongCount) {
    if (ui::Window* window = ui::Application::shared().keyWindow())
      framework::toast::showErrorToastForTitle(*window, kTooFewSongsToast);
  }
}

void PlayerController::programmeDetailArrived(api::BaseDataRequest& reply) {
  api::ProgramModelPtr programme = programmeOf(reply);
  if (!programme || !program_ || programme->programId() != program_->programId()) return;
  program_ = programme;
  panel_.setAudioView();
  configLockScreenMediaInfo();
}

void PlayerController::shareAnswered(api::BaseDataRequest& reply) {
  if (reply.succeeded()) centreToast(kShareDoneToast, 2.0);
}

void PlayerController::requestDidFailLoadWithError(framework::QRVBaseDataRequest&, const foundation::ErrorPtr&) {}

void PlayerController::after(double seconds, std::function<void(PlayerController&)> work) {
  std::weak_ptr<PlayerController> weak = self_;
  foundation::RunLoop::main().scheduleTimer(foundation::Duration(seconds), false, [weak, work = std::move(work)] {
    if (auto self = weak.lock()) work(*self);
  });
}

}  // namespace playback
