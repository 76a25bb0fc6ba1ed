#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Clock.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/AudioPlayer.h"
#include "platform/media/CallCenter.h"
#include "src/api/models/ProgramModel.h"
#include "src/api/models/SAlbumModel.h"
#include "src/api/models/SongModel.h"
#include "src/framework/request/DataRequestDelegate.h"
#include "src/playback/player/PlayerPanel.h"

namespace api {
class BaseDataRequest;
}

namespace playback {

// Names of the player's notifications (no object, no user info).
inline constexpr const char* kPlayerStopOrStartNotification = "PlayerStopOrStart";
inline constexpr const char* kSongSourceDidLoadedNotification = "SongSourceDidLoaded";
// {"programId", "songId"} after a song was deleted from the playing programme.
inline constexpr const char* kMusicIsDeleteFromProgramNotification = "MusicIsDeleteFromProgram";

// The playback controller behind the player panel: the song list, the current song, one audio
// player per song, the next-song rule with channel continuation, play logs, and the reactions to
// calls, interruptions, remote commands, the sleep timer and the application's events.
//
// Every start (an entry point) and every load carries a generation number: replies, retries and
// reloads of an earlier one find the number moved on and do nothing, so a later choice always
// wins. Main thread only.
class PlayerController : public framework::DataRequestDelegate {
 public:
  // What is playing (playState).
  static constexpr int kPlayingSongs = 0;
  static constexpr int kPlayingProgramme = 1;
  static constexpr int kPlayingSAlbum = 2;
  // Play-log actions.
  static constexpr int kActionEnded = 0;
  static constexpr int kActionSkipped = 1;
  static constexpr int kActionReplaced = 2;

  static constexpr double kRetrySeconds = 5.0;
  // A song whose item failed this many times in a row counts as played and the next one starts.
  static constexpr int kMaxLoadFailures = 3;
  // Why a song given up could not play when it has no address to play it from.
  static constexpr const char* kNoAddressReason = "the song has no address";

  static constexpr const char* kEmptyListToast = "该列表中没有任何歌曲";
  static constexpr const char* kProgrammeFailedToast = "网络不给力喔!试试播放离线好的节目吧";
  static constexpr const char* kOfflineProgrammeToast = "离线模式无法播放在线节目!";
  static constexpr const char* kOfflineSongsToast = "离线模式无法播放在线专辑/歌曲!";
  static constexpr const char* kShareDoneToast = "分享成功";
  static constexpr const char* kTooFewSongsToast = "节目歌曲数不能小于10首";
  static constexpr const char* kProgrammeOfflineToastFormat = "%s 已离线完成";
  static constexpr const char* kPlaySettingKey = "userSettingForPlaying";

  explicit PlayerController(PlayerPanel& panel);
  ~PlayerController() override;
  PlayerController(const PlayerController&) = delete;
  PlayerController& operator=(const PlayerController&) = delete;

  // Main thread, once, by whoever holds the controller in a shared_ptr: callbacks that may come
  // after the controller is gone hold this and check it.
  void bindLifetime(std::weak_ptr<PlayerController> self) { self_ = std::move(self); }
  // Main thread, once: listens to the notifications, the call centre, the audio session and the
  // remote commands, fetches the advert plan, then loads what the application started with.
  void startPlayer();

  // --- Entry points: each replaces what is playing ---
  // The channel now on air, loaded without playing.
  void playNowChannel();
  // `refused` hears why, in words, when the channel could not be had; what played goes on then.
  void playChannel(const std::string& channelId, std::function<void(const std::string& why)> refused = {});
  void playProgramFromChannel(const std::string& programId, const std::string& channelId);
  // `refused` hears why, in words, when the programme could not be had.
  void playProgram(const std::string& programId, const std::optional<std::string>& startFromSong, bool playNow = true,
                   std::function<void(const std::string& why)> refused = {});
  void playProgram(const api::ProgramModelPtr& programme, const std::vector<api::SongModelPtr>& songs,
                   const std::optional<std::string>& startFromSong, const std::optional<std::string>& fromChannel);
  void playSAlbum(const api::SAlbumModelPtr& salbum, const std::vector<api::SongModelPtr>& songs,
                  const std::optional<std::string>& startFromSong);
  void playSong(const api::SongModelPtr& song);
  // The row of the song table the user chose.
  void selectRow(std::size_t index);

  // --- Playing ---
  void playAnything();
  void playOrPause();
  void interruptPlay();
  void play();

  // --- Sequencing and logs ---
  // The song ended by itself or could not play to its end (true), or was skipped (false).
  void currentMusicPlayDone(bool done);
  // Main thread. Hears each song (null for an advert) that could not be played and was left for
  // the next, with the reason the media layer gave (or kNoAddressReason); one listener, empty for
  // none.
  void setOnGivenUp(std::function<void(const api::SongModelPtr& song, const std::string& reason)> listener) {
    onGivenUp_ = std::move(listener);
  }
  // Main thread. Hears each list that starts to play (a programme that arrived, a channel's, an
  // album), once its first song is loading; one listener, empty for none.
  void setOnListStarted(std::function<void()> listener) { onListStarted_ = std::move(listener); }
  // The next button and the remote next and previous commands.
  void handleNextSongButtonClickEvent();
  // The two play/pause buttons.
  void handleStartAndPauseButtonEvent();
  void logPlay(int action);
  bool checkOfflinePlay();
  void commitOfflineLog();

  // --- Position slider ---
  // The user started dragging: time updates wait until the seek is done.
  void beginSeeking();
  void seekTo(double seconds);

  // --- The world around ---
  // A call changed state; `ended` when it was disconnected.
  void handleCallEvent(const std::string& callId, bool ended);
  // An audio-session interruption began or ended.
  void handleInterruption(bool began);
  // The audio output route changed to this type.
  void handleRouteChange(const std::string& routeType);
  // The lock screen shows the current song; also when the panel's cover picture arrived.
  void configLockScreenMediaInfo();
  // The type of the current output route; "error" when there is none.
  static std::string getAVAudioSessionRouteType();

  // --- Reply handling ---
  void requestDidFinishLoad(framework::QRVBaseDataRequest& request) override;
  void requestDidFailLoadWithError(framework::QRVBaseDataRequest& request, const foundation::ErrorPtr& error) override;

  // --- State ---
  int playState() const { return playState_; }
  const api::ProgramModelPtr& program() const { return program_; }
  const api::SAlbumModelPtr& salbum() const { return salbum_; }
  const std::vector<api::SongModelPtr>& musicListArray() const { return musicListArray_; }
  const api::SongModelPtr& selectedSong() const { return selectedSong_; }
  const std::optional<std::string>& playFromChannelId() const { return playFromChannelId_; }
  // Programmes to play after the current list ends; screens add to it.
  std::vector<api::ProgramModelPtr>& prePlayPrograms() { return prePlayPrograms_; }
  bool isPlaying() const { return isPlaying_; }
  bool isAdvertisement() const { return isAdvertisement_; }
  bool isLoadingDonwSongSource() const { return isLoadingDonwSongSource_; }
  bool isSeeking() const { return isChangeMusicProcess_; }
  bool isTimingDone() const { return timingDone_; }
  // The sound source of the current item; empty when none was loaded.
  const std::string& currentSource() const { return currentSource_; }
  // Seconds into the current item (NaN when unknown) and its length (NaN while unknown).
  double position() const;
  double duration() const;

 private:
  // Starting a list: what an entry point replaces, and the replies it waits for.
  // `stopSongOnAir` false: the song on air plays on until the new list replaces it.
  void beginStart(bool logReplaced, std::optional<std::string> channelId, std::optional<std::string> programmeId,
                  bool stopSongOnAir = true);
  void stopForNewList();
  void playWithModel(const api::ProgramModelPtr& programme, const api::SAlbumModelPtr& salbum,
                     const std::vector<api::SongModelPtr>& songs, int playType, bool playNow,
                     const std::optional<std::string>& startFromSong);
  void nowChannelAnswered(framework::QRVBaseDataRequest& request, bool failed);
  void retryNowChannelLater();
  // What a refused start gives back.
  struct Resumable {
    bool playing;  // stopped while it played: to be started again
    bool clickedChannel;
    std::optional<std::string> channelId, programmeId, fromChannel;
  };
  // The list on air as a refused start finds it again; while a fetch is on its way, as it was
  // before the fetch was asked.
  Resumable listOnAir(bool playing) const;
  void resume(const Resumable& before);
  // The fetch on its way is no longer awaited (it arrived, failed or gave way to another start).
  void forgetFetch();
  // A programme that is not stored: fetched while the song on air plays on.
  void fetchProgram(const std::string& programId, const std::optional<std::string>& startFromSong, bool playNow,
                    std::function<void(const std::string& why)> refused);
  // The play record of the current load, when it is a song heard for a second and not yet logged.
  std::optional<foundation::Dictionary> playRecord(int action) const;
  void sendPlayRecord(const foundation::Dictionary& record);
  void selectSong(std::optional<std::size_t> index);
  void setIsPlaying(bool playing);
  bool userMayEdit() const;
  // Seeking within a song is for programme makers only.
  bool userMayCreateProgrammes() const;

  // Loading a song: advert or song source, one audio player per item, and what it reports.
  void loadSongSource();
  bool loadAdvert();
  void loadSong();
  void skipToPlayableSong();
  void configSongSourceWithUrl(const std::string& source);
  void releaseAudioPlayer();
  void itemStatusChanged();
  void itemReady();
  void itemFailed();
  void itemEnded();
  void giveUpItem();
  void showDuration();
  void durationLearnt();
  void rateChanged();
  void timeReported(double seconds);

  // Moving on: the next song, the next programme of a channel, or the list again.
  std::optional<std::size_t> selectedIndex() const;
  // The next-song rule; `action` is what the play log says of the song that stops.
  void advance(bool done, int action);
  void playFirstSong();
  void continueChannel();

  // Replies of the requests made with the controller as delegate, one handler each.
  void albumSongsArrived(api::BaseDataRequest& reply);
  void songDeletionAnswered(api::BaseDataRequest& reply);
  void programmeDetailArrived(api::BaseDataRequest& reply);
  void shareAnswered(api::BaseDataRequest& reply);

  // Notifications.
  void observeNotifications();
  void observeSystemEvents();
  void observe(const char* name, void (PlayerController::*handler)(const foundation::Notification&));
  void timingStart(const foundation::Notification&);
  void timingDone(const foundation::Notification&);
  void timingStop(const foundation::Notification&);
  void handleProgramIsCollectedEvent(const foundation::Notification& notification);
  void handleProgramIsCancelCollectedEvent(const foundation::Notification& notification);
  void handleProgramIsUpdatedEvent(const foundation::Notification& notification);
  void handleProgramIsStartDownloadEvent(const foundation::Notification& notification);
  void handleProgramIsDownloaded(const foundation::Notification& notification);
  void handleProgramPauseDownload(const foundation::Notification& notification);
  void handleProgramCancelDownload(const foundation::Notification& notification);
  void handleUserLoginEvent(const foundation::Notification& notification);
  void handleUserLogoutEvent(const foundation::Notification& notification);
  void handleEnterOnlineModelEvent(const foundation::Notification& notification);
  void handleEnterOfflineModelEvent(const foundation::Notification& notification);
  void handleSongIsDeleteFromProgram(const foundation::Notification& notification);
  bool isCurrentProgramme(const std::string& programmeId) const;

  // Runs `work` on the main loop after `seconds` unless the controller is gone by then.
  void after(double seconds, std::function<void(PlayerController&)> work);
  std::shared_ptr<PlayerController> self() const { return self_.lock(); }

  PlayerPanel& panel_;
  std::weak_ptr<PlayerController> self_;

  int playState_ = kPlayingProgramme;
  api::ProgramModelPtr program_;
  api::SAlbumModelPtr salbum_;
  std::vector<api::SongModelPtr> musicListArray_;
  api::SongModelPtr selectedSong_;
  std::size_t selectedIndex_ = 0;  // where selectedSong_ was taken from, for repeated songs
  std::optional<std::string> playFromChannelId_;
  // The list on air as it was when a programme was asked to be fetched, kept while the fetch (or
  // a later one over the same list) is on its way: its songs are logged under its channel,
  // whatever the fetch did to playFromChannelId_, and a refusal gives it back.
  std::optional<Resumable> onAirBeforeFetch_;
  std::vector<api::ProgramModelPtr> prePlayPrograms_;
  bool isPlaying_ = false;
  bool isAdvertisement_ = false;
  bool isLoadingDonwSongSource_ = false;
  bool isClickPlayChannel_ = false;
  std::int64_t playSongTimes_ = 0;
  bool isChangeMusicProcess_ = false;
  bool timingDone_ = false;
  bool interruptedBySession_ = false;

  // The current start and the current load; see the class comment.
  std::uint64_t startGeneration_ = 0;
  std::uint64_t loadGeneration_ = 0;
  std::optional<foundation::TimePoint> beginLoad_;
  int loadFailures_ = 0;
  bool loggedThisLoad_ = false;  // one play record per load
  // The record of the current load taken as it was paused while a fetched programme was on its
  // way: the song was heard, and the programme's arrival replaces it paused.
  std::optional<foundation::Dictionary> recordAtPause_;

  std::shared_ptr<media::AudioPlayer> audioPlayer_;
  media::TimeObserverToken timeObserver_;
  std::string currentSource_;

  std::function<void(const api::SongModelPtr&, const std::string&)> onGivenUp_;
  std::function<void()> onListStarted_;

  std::shared_ptr<media::CallCenter> callCenter_;
  // Calls in progress and whether playback ran when the first of them began.
  std::map<std::string, bool> callMap_;
  bool lastPlaying_ = false;
};

}  // namespace playback
