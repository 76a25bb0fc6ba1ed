#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Image.h"
#include "src/api/models/ProgramModel.h"
#include "src/http/HTTPRequestDelegate.h"

namespace http {
class NetworkQueue;
}

namespace playback {

// The offline programmes of the logged-in user: each one's row in the offline database, its
// songs, cover and creator picture in the user's song tree (DownloadPaths), one programme at a
// time in the order they were added, two songs at once. It pauses and resumes on the user's
// choice, obeys the Wi-Fi-only setting, retries failed songs with growing pauses for as long as
// they fail (a programme is complete only with every song on disk), keeps the list in step with
// the server's and says what happens through notifications. A programme whose missing songs
// cannot be had now (they failed, or have no address) steps aside until the next retry, so that
// the programmes after it go on.
// Main thread, except where a method says otherwise.
class DownloadManager : public http::HTTPRequestDelegate,
                        public ui::AlertViewDelegate,
                        public std::enable_shared_from_this<DownloadManager> {
 public:
  static constexpr const char* kProgramIsStartDownload = "notificationProgramIsStartDownload";
  static constexpr const char* kSongIsDownloaded = "notificationSongIsDownloaded";
  static constexpr const char* kProgramIsDownloaded = "notificationProgramIsDownloaded";
  static constexpr const char* kProgramPauseDownload = "notificationProgramPauseDownload";
  static constexpr const char* kProgramCancelDownload = "notificationProgramCancelDownload";
  static constexpr const char* kProgramWatingForDownload = "notificationProgramWatingForDownload";
  static constexpr const char* kNewSynclist = "notificationNewSynclist";
  static constexpr const char* kPauseFlagKeyPrefix = "IS_DOWNLOAD_PAUSE";

  static constexpr int kSongsAtOnce = 2;
  static constexpr int kTimeOutRetries = 30;
  // A failed song is tried again after a pause that doubles with each failure in a row, from
  // kFirstRetrySeconds up to kLongestRetrySeconds; at once on continueDownload and on a network
  // change that allows downloading.
  static constexpr double kFirstRetrySeconds = 5.0;
  static constexpr double kLongestRetrySeconds = 300.0;
  // Programmes added by the sync are added this far apart, so that their order follows the list.
  static constexpr double kSyncAddSpacingSeconds = 1.0;

  enum State : int { kComplete = 0, kDownloading = 1, kWaiting = 2, kNotOffline = 3 };

  static DownloadManager& sharedManager();
  // Test hook: stops every download and forgets the manager; the next use makes a new one.
  static void resetSharedManagerForTesting();
  ~DownloadManager() override;

  // Fetches the programme's detail, stores it and starts it or leaves it waiting. Always true.
  bool addDownloadProgramAndSyncWithId(const std::string& programId);
  // Starts the programme when every gate allows; true when it started or completed.
  bool downloadProgramById(std::int64_t programId);
  void continueDownload();
  void pauseDownload();
  bool cancelDownloadByProgramId(std::int64_t programId);
  bool cancelDownloadByProgramId(std::int64_t programId, bool isRemoveLocal);

  int checkProgramStateById(std::int64_t programId);
  bool checkProgramIsDownloadById(std::int64_t programId);
  // Whether song downloads are under way (including cancelled ones that have not ended yet).
  bool isDownloading() const { return !inFlight_.empty(); }
  bool isDownloadedSong(std::int64_t songId, std::int64_t programId);

  // Paths of the logged-in user's tree; empty when the user id is not a decimal number.
  std::string getSongPathBySongId(std::int64_t songId, std::int64_t programId);
  std::string getDownloadSongsDir();
  std::string getProgramDirByProgramId(std::int64_t programId);
  std::string getProgramPicPath(std::int64_t programId);
  ui::ImagePtr getProgramPic(std::int64_t programId);
  ui::ImagePtr getUserPic(std::int64_t programId);
  int countDownloadedSongWithProgramId(std::int64_t programId);
  bool removeProgramFileByProgramId(std::int64_t programId);

  // Brings the local list into line with the server's; true until the last added programme was
  // asked for.
  void sync_downloads();
  bool isSync() const { return isSync_; }

  bool isDownloadPauseNil();
  bool isDownloadPause();
  void setDownlodPause(bool pause);
  // Any thread.
  bool isNetStatusAllowDownloading();

  std::int64_t currentDownloadingProgramId() const { return currentDownloadingProgramId_; }
  void setCurrentDownloadingProgramId(std::int64_t programId) { currentDownloadingProgramId_ = programId; }

  void handleUserLogInEvent();
  void handleUserLogoutEvent();
  void handleNetworkChange();

  // Stores the programme of a model that lists its songs and starts it, or fetches the detail
  // of one that does not; false when it is offline already or could not be stored or started.
  bool downloadProgram(const api::ProgramModelPtr& program);
  bool checkHasProgramPicWithProgramId(std::int64_t programId);
  // Stops the download of the song, when it is under way; the other songs go on.
  void cancelDownloadSongWithSongId(std::int64_t songId);

  void requestFinished(http::HTTPRequest& request) override;
  void requestFailed(http::HTTPRequest& request) override;
  void clickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;

 private:
  struct SongJob {
    std::int64_t programId;
    std::int64_t songId;
  };
  // Why a programme's detail is fetched: added by the user, added by the sync, or changed on the
  // server (it keeps its row and files until the new detail is in, and the row is replaced).
  enum class DetailFor { adding, syncAdding, syncReplacing };
  struct SyncAdd {
    std::int64_t programId;
    DetailFor purpose;
  };
  // What the merge decided, applied on the main thread: the programmes to add, from the server
  // list's last entry to its first, and those to remove.
  struct SyncPlan {
    std::string uid;
    std::vector<SyncAdd> adds;
    std::set<std::int64_t> remove;
  };

  DownloadManager();
  void start();
  std::optional<std::int64_t> userNumber() const;
  std::string pauseFlagKey() const;

  // Adding and starting.
  void fetchDetail(const std::string& programId, DetailFor purpose);
  void programDetailArrived(const api::ProgramModelPtr& program, DetailFor purpose);
  bool queueSongs(std::int64_t programId, std::int64_t uid);
  bool downloadSong(const std::string& url, std::int64_t songId, std::int64_t programId, std::int64_t uid,
                    const std::string& filesize);
  struct MissingSongs {
    int fetchable = 0;
    int unfetchable = 0;  // no web address
  };
  // The programme's songs not on disk; nullopt for an unreadable row.
  std::optional<MissingSongs> missingSongs(std::int64_t programId);
  bool programHasAllSongs(std::int64_t programId);
  // The oldest waiting programme that has not stepped aside; 0 when there is none.
  std::int64_t nextWaitingProgramId();
  // Starts the next waiting programme, once the songs under way have ended.
  void goOn();
  void endRound(std::int64_t programId);
  void completeProgram(std::int64_t programId);
  // The programme's missing songs cannot be had now: the programmes after it go on, and it is
  // tried again with the next retry.
  void stepAside(std::int64_t programId);
  void forgetProgram(std::int64_t programId);
  void cancelSongsInFlight();
  void startWhenIdle();

  // Song outcomes.
  std::optional<SongJob> takeJob(http::HTTPRequest& request);
  void songFailed(const SongJob& job);
  static double retryPause(int failuresInARow);
  void scheduleRetry(double seconds);
  // Makes sure a retry is due for the programme's failed songs.
  void keepRetrying(std::int64_t programId);
  void songEnded(const SongJob& job, bool cancelled);

  // Pictures.
  void downloadProgramPic(const std::string& url, std::int64_t programId);
  void downloadUserPic(const std::string& url, std::int64_t programId);
  void downloadPicture(const std::string& url, std::int64_t programId, bool cover);

  // Sync.
  void subscriptionStatusArrived(const foundation::Dictionary& result, const std::string& uid);
  static std::optional<SyncPlan> planMerge(const foundation::Value& list, std::string uid);
  void applyMerge(const SyncPlan& plan);
  void addNextSyncedProgramme();
  void endMerge(bool added);

  static void post(const char* name, foundation::Dictionary userInfo = {});

  std::shared_ptr<http::NetworkQueue> downloadQueue_;
  std::int64_t currentDownloadingProgramId_ = 0;
  bool isSync_ = false;
  // Song requests queued and not ended yet, whichever programme they belong to: the queue
  // counts a request out only after its delegate heard the end.
  std::map<const http::HTTPRequest*, SongJob> inFlight_;
  std::map<std::pair<std::int64_t, std::int64_t>, int> failures_;  // in a row, by programme and song id
  // Programmes whose missing songs could not be had in their last round; skipped until the next
  // retry.
  std::set<std::int64_t> steppedAside_;
  bool startWhenIdle_ = false;
  bool networkAllowed_ = false;  // as the last network change left it
  std::shared_ptr<foundation::Timer> retryTimer_;
  std::shared_ptr<ui::AlertView> syncAlert_;
  std::deque<SyncAdd> syncAdds_;  // still to add, one every kSyncAddSpacingSeconds
  std::string syncUid_;
  std::shared_ptr<foundation::Timer> syncAddTimer_;
};

}  // namespace playback
