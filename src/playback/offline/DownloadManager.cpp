#include "src/playback/offline/DownloadManager.h"

#include <algorithm>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/NoDestructor.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "src/api/models/UserModel.h"
#include "src/api/requests/RadioRequests.h"
#include "src/framework/cache/DataCacheManager.h"
#include "src/framework/images/QRVImageCacheManager.h"
#include "src/framework/network/NetWorkUitil.h"
#include "src/framework/network/Reachability.h"
#include "src/http/HTTPRequest.h"
#include "src/http/HTTPRequestErrors.h"
#include "src/http/NetworkQueue.h"
#include "src/playback/offline/DBManager.h"
#include "src/playback/offline/DownloadPaths.h"
#include "src/services/shell/AppDelegate.h"

namespace playback {
namespace {

std::shared_ptr<DownloadManager>& instance() {
  static foundation::NoDestructor<std::shared_ptr<DownloadManager>> manager;
  return *manager;
}

bool isWebAddress(const std::string& url) { return url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0; }

}  // namespace

DownloadManager& DownloadManager::sharedManager() {
  std::shared_ptr<DownloadManager>& manager = instance();
  if (!manager) {
    manager.reset(new DownloadManager());
    manager->start();
  }
  return *manager;
}

void DownloadManager::resetSharedManagerForTesting() { instance().reset(); }

DownloadManager::DownloadManager() = default;

DownloadManager::~DownloadManager() {
  foundation::NotificationCenter::defaultCenter().removeObserver(this);
  if (retryTimer_) retryTimer_->invalidate();
  if (syncAddTimer_) syncAddTimer_->invalidate();
  // Every song request ends and leaves the queue; a suspended queue would keep the ones not yet
  // started, and they would keep it.
  if (downloadQueue_) downloadQueue_->cancelAllOperations();
}

void DownloadManager::start() {
  downloadQueue_ = http::NetworkQueue::queue();
  downloadQueue_->reset();
  downloadQueue_->setShowAccurateProgress(true);
  downloadQueue_->setMaxConcurrentOperationCount(kSongsAtOnce);
  // One song that keeps failing must not keep cutting off the others.
  downloadQueue_->setShouldCancelAllRequestsOnFailure(false);
  downloadQueue_->go();
  auto& center = foundation::NotificationCenter::defaultCenter();
  center.addObserver(this, "userLogoutEvent", [this](const foundation::Notification&) { handleUserLogoutEvent(); });
  center.addObserver(this, "userLoginEvent", [this](const foundation::Notification&) { handleUserLogInEvent(); });
  networkAllowed_ = isNetStatusAllowDownloading();
  center.addObserver(this, framework::kReachabilityChangedNotification,
                     [this](const foundation::Notification&) { handleNetworkChange(); });
}

void DownloadManager::post(const char* name, foundation::Dictionary userInfo) {
  foundation::NotificationCenter::defaultCenter().postNotificationName(name, {}, std::move(userInfo));
}

std::optional<std::int64_t> DownloadManager::userNumber() const {
  return DownloadPaths::userNumber(api::UserModel::getUserId());
}

// --- Adding and starting ---

bool DownloadManager::addDownloadProgramAndSyncWithId(const std::string& programId) {
  fetchDetail(programId, DetailFor::adding);
  return true;
}

void DownloadManager::fetchDetail(const std::string& programId, DetailFor purpose) {
  std::weak_ptr<DownloadManager> weak = weak_from_this();
  api::GetProgramDetailRequest::requestWithParameters(
      {{"program_id", programId}}, {.onRequestFinished = [weak, purpose](framework::QRVBaseDataRequest& request) {
        auto self = weak.lock();
        auto& reply = static_cast<api::BaseDataRequest&>(request);
        if (!self || !reply.succeeded()) return;
        if (auto program = reply.resultDic()["program"].objectAs<api::ProgramModel>())
          self->programDetailArrived(program, purpose);
      }});
}

void DownloadManager::programDetailArrived(const api::ProgramModelPtr& program, DetailFor purpose) {
  std::optional<std::int64_t> id = DownloadPaths::idNumber(program->programId().value_or(""));
  if (!id) return;
  DBManager& db = DBManager::sharedManager();
  const bool replaceRow = purpose == DetailFor::syncReplacing;
  if (db.programIsExist(*id) && !replaceRow) return;
  if (replaceRow && *id == currentDownloadingProgramId_) {
    // The old song list is being fetched: stop it before the row changes under it.
    cancelSongsInFlight();
    currentDownloadingProgramId_ = 0;
  }
  if (!db.insertProgram(program)) return;
  // A new row: its songs have had no round yet.
  forgetProgram(*id);
  // Told only now, so that a screen that reloads on it finds the new row.
  if (purpose != DetailFor::adding) post(kNewSynclist);
  downloadProgramPic(program->picUrl().value_or(""), *id);
  downloadUserPic(program->user() ? program->user()->picUrl().value_or("") : "", *id);
  if (!downloadProgramById(*id)) post(kProgramWatingForDownload, {{"ProgramId", program->programId().value_or("")}});
}

bool DownloadManager::downloadProgramById(std::int64_t programId) {
  if (isDownloadPauseNil() || isDownloadPause() || !isNetStatusAllowDownloading() || isDownloading()) return false;
  std::int64_t next = nextWaitingProgramId();
  if (next != programId) {
    if (next == 0) return false;
    downloadProgramById(next);
    // Going on with the programme before it may have come round to this one.
    return currentDownloadingProgramId_ == programId || checkProgramIsDownloadById(programId);
  }
  std::optional<std::int64_t> uid = userNumber();
  if (!uid) return false;
  currentDownloadingProgramId_ = programId;
  if (queueSongs(programId, *uid)) {
    post(kProgramIsStartDownload, {{"ProgramId", std::to_string(programId)}});
    return true;
  }
  if (!programHasAllSongs(programId)) {
    // Nothing to fetch now (songs without an address, or an unreadable row) and nothing to call
    // complete: the programmes after it go on.
    stepAside(programId);
    return false;
  }
  if (!DBManager::sharedManager().updateProgramStatusToCompleteWithProgramId(programId)) {
    post(kProgramIsStartDownload, {{"ProgramId", std::to_string(programId)}});
    return true;
  }
  completeProgram(programId);
  return true;
}

bool DownloadManager::queueSongs(std::int64_t programId, std::int64_t uid) {
  DBManager& db = DBManager::sharedManager();
  DownloadDataModelPtr row = db.getDownloadInfoById(programId);
  if (!row || !row->program()) return false;
  std::set<std::int64_t> seen;
  bool queued = false;
  for (const api::SongModelPtr& song : row->program()->songsArr()) {
    std::optional<std::int64_t> songId = DownloadPaths::idNumber(song->songId().value_or(""));
    // One download per song id: two at once would write the same partial file.
    if (!songId || !seen.insert(*songId).second) continue;
    if (foundation::FileManager::fileExists(DownloadPaths::songFile(uid, programId, *songId))) {
      if (db.addSucSongsId(*songId, programId))
        post(kSongIsDownloaded, {{"ProgramId", std::to_string(programId)}, {"SongId", *song->songId()}});
      continue;
    }
    // A song without a web address cannot be fetched: it stays missing.
    const std::string url = song->audioUrl().value_or("");
    if (!isWebAddress(url)) continue;
    queued |= downloadSong(url, *songId, programId, uid, song->filesize().value_or(""));
  }
  return queued;
}

bool DownloadManager::downloadSong(const std::string& url, std::int64_t songId, std::int64_t programId,
                                   std::int64_t uid, const std::string& filesize) {
  if (!foundation::FileManager::createDirectory(DownloadPaths::programDir(uid, programId)).ok()) return false;
  auto request = http::HTTPRequest::requestWithURL(url);
  request->setDelegate(weak_from_this());
  request->setNumberOfTimesToRetryOnTimeout(kTimeOutRetries);
  request->setShowAccurateProgress(true);
  request->setDownloadDestinationPath(DownloadPaths::songFile(uid, programId, songId));
  request->setTemporaryFileDownloadPath(DownloadPaths::songTemporaryFile(uid, programId, songId));
  request->setAllowResumeForFileDownloads(true);
  // Songs are compressed audio: a compressed reply saves nothing, costs an inflate pass and a
  // second temporary file, and its ranges would count encoded bytes.
  request->setAllowCompressedResponse(false);
  request->setTag(songId);
  request->setUserInfo({{"programId", programId}, {"filesize", filesize}});
  inFlight_[request.get()] = {programId, songId};
  if (downloadQueue_->addOperation(request)) return true;
  inFlight_.erase(request.get());
  return false;
}

std::optional<DownloadManager::MissingSongs> DownloadManager::missingSongs(std::int64_t programId) {
  DBManager& db = DBManager::sharedManager();
  std::optional<std::int64_t> uid = userNumber();
  DownloadDataModelPtr row = db.getDownloadInfoById(programId);
  if (!uid || !row || !row->program()) return std::nullopt;
  MissingSongs missing;
  for (const api::SongModelPtr& song : row->program()->songsArr()) {
    std::optional<std::int64_t> songId = DownloadPaths::idNumber(song->songId().value_or(""));
    if (songId && foundation::FileManager::fileExists(DownloadPaths::songFile(*uid, programId, *songId))) continue;
    ++(songId && isWebAddress(song->audioUrl().value_or("")) ? missing.fetchable : missing.unfetchable);
  }
  return missing;
}

bool DownloadManager::programHasAllSongs(std::int64_t programId) {
  std::optional<MissingSongs> missing = missingSongs(programId);
  return missing && missing->fetchable == 0 && missing->unfetchable == 0;
}

std::int64_t DownloadManager::nextWaitingProgramId() {
  DBManager& db = DBManager::sharedManager();
  const std::int64_t oldest = db.getRecentlyWaitingForDownloadProgramId();
  if (!steppedAside_.count(oldest)) return oldest;
  for (const DownloadDataModelPtr& row : db.fetchProgramByStatus(0))
    if (!steppedAside_.count(row->programId())) return row->programId();
  return 0;
}

// The last song of the programme's round has ended.
void DownloadManager::endRound(std::int64_t programId) {
  if (!programHasAllSongs(programId)) {
    // A retry that came while the round ran found it busy and is gone: the songs that failed in
    // the round need one of their own.
    keepRetrying(programId);
    stepAside(programId);
    return;
  }
  if (DBManager::sharedManager().updateProgramStatusToCompleteWithProgramId(programId)) completeProgram(programId);
}

// The programme's row says complete.
void DownloadManager::completeProgram(std::int64_t programId) {
  // No longer the current download when told, so that whoever asks on the notice hears complete.
  currentDownloadingProgramId_ = 0;
  post(kProgramIsDownloaded, {{"ProgramId", std::to_string(programId)}});
  goOn();
}

void DownloadManager::stepAside(std::int64_t programId) {
  steppedAside_.insert(programId);
  currentDownloadingProgramId_ = 0;
  goOn();
  // While no other programme goes on, one with songs to fetch again is still the one being
  // downloaded; one that only lacks songs without an address is merely waiting.
  if (currentDownloadingProgramId_ != 0) return;
  std::optional<MissingSongs> missing = missingSongs(programId);
  if (missing && missing->fetchable > 0) currentDownloadingProgramId_ = programId;
}

void DownloadManager::forgetProgram(std::int64_t programId) {
  steppedAside_.erase(programId);
  std::erase_if(failures_, [programId](const auto& entry) { return entry.first.first == programId; });
}

void DownloadManager::continueDownload() {
  // Going on by hand, on a retry or on a better network tries every programme's missing songs again.
  steppedAside_.clear();
  // Going on now is the retry a pending timer waits for. While songs are under way it keeps
  // running: a programme that steps aside after them waits for it.
  if (retryTimer_ && !isDownloading()) retryTimer_->invalidate();
  goOn();
}

void DownloadManager::goOn() {
  if (isDownloading()) {
    // Songs still ending (a pause or a removal): go on once the last has landed.
    startWhenIdle_ = true;
    return;
  }
  if (std::int64_t next = nextWaitingProgramId()) downloadProgramById(next);
}

void DownloadManager::startWhenIdle() {
  if (!startWhenIdle_ || isDownloading()) return;
  startWhenIdle_ = false;
  std::weak_ptr<DownloadManager> weak = weak_from_this();
  foundation::RunLoop::main().post([weak] {
    if (auto self = weak.lock()) self->goOn();
  });
}

void DownloadManager::cancelSongsInFlight() {
  if (isDownloading()) downloadQueue_->cancelAllOperations();
}

void DownloadManager::pauseDownload() {
  startWhenIdle_ = false;
  cancelSongsInFlight();
  post(kProgramPauseDownload);
}

bool DownloadManager::cancelDownloadByProgramId(std::int64_t programId) {
  return cancelDownloadByProgramId(programId, true);
}

bool DownloadManager::cancelDownloadByProgramId(std::int64_t programId, bool isRemoveLocal) {
  if (!DBManager::sharedManager().deleteProgram(programId)) return false;
  forgetProgram(programId);
  if (programId == currentDownloadingProgramId_) {
    cancelSongsInFlight();
    currentDownloadingProgramId_ = 0;
    goOn();
  }
  if (isRemoveLocal && !removeProgramFileByProgramId(programId)) return false;
  post(kProgramCancelDownload, {{"ProgramId", std::to_string(programId)}});
  return true;
}

// --- Song outcomes ---

std::optional<DownloadManager::SongJob> DownloadManager::takeJob(http::HTTPRequest& request) {
  auto found = inFlight_.find(&request);
  if (found == inFlight_.end()) return std::nullopt;
  SongJob job = found->second;
  inFlight_.erase(found);
  return job;
}

void DownloadManager::requestFinished(http::HTTPRequest& request) {
  std::optional<SongJob> job = takeJob(request);
  if (!job) return;
  const int status = request.responseStatusCode();
  // A 416 may say that the partial file left by an earlier attempt already held the whole song.
  const bool isSong = status == 200 || status == 206 || (status == 416 && request.replyCompletedPartialFile());
  if (!isSong) {
    // An error page is not a song.
    (void)foundation::FileManager::removeItem(request.downloadDestinationPath());
    (void)foundation::FileManager::removeItem(request.temporaryFileDownloadPath());
    songFailed(*job);
  } else {
    failures_.erase({job->programId, job->songId});
    if (DBManager::sharedManager().addSucSongsId(job->songId, job->programId))
      post(kSongIsDownloaded, {{"ProgramId", std::to_string(job->programId)}, {"SongId", std::to_string(job->songId)}});
  }
  songEnded(*job, false);
  if (!isNetStatusAllowDownloading()) pauseDownload();
}

void DownloadManager::requestFailed(http::HTTPRequest& request) {
  std::optional<SongJob> job = takeJob(request);
  if (!job) return;
  const bool cancelled = http::isRequestError(request.error(), http::HTTPRequestErrorCode::cancelled);
  if (!cancelled) songFailed(*job);
  songEnded(*job, cancelled);
}

void DownloadManager::songFailed(const SongJob& job) {
  if (!isNetStatusAllowDownloading()) {
    pauseDownload();
    return;
  }
  if (isDownloadPause() || services::AppDelegate::sharedDelegate().isOffline()) return;
  // Never given up on: the programme is not complete without it.
  int& failuresInARow = failures_[{job.programId, job.songId}];
  failuresInARow = std::min(failuresInARow + 1, 16);
  scheduleRetry(retryPause(failuresInARow));
}

double DownloadManager::retryPause(int failuresInARow) {
  return std::min(kFirstRetrySeconds * (1 << (failuresInARow - 1)), kLongestRetrySeconds);
}

void DownloadManager::keepRetrying(std::int64_t programId) {
  if (isDownloadPause() || !isNetStatusAllowDownloading() || services::AppDelegate::sharedDelegate().isOffline())
    return;
  int fewest = 0;
  for (const auto& [key, failuresInARow] : failures_)
    if (key.first == programId && (fewest == 0 || failuresInARow < fewest)) fewest = failuresInARow;
  if (fewest > 0) scheduleRetry(retryPause(fewest));
}

void DownloadManager::scheduleRetry(double seconds) {
  if (retryTimer_ && retryTimer_->isValid()) return;
  std::weak_ptr<DownloadManager> weak = weak_from_this();
  retryTimer_ = foundation::RunLoop::main().scheduleTimer(foundation::Duration(seconds), false, [weak] {
    if (auto self = weak.lock()) self->continueDownload();
  });
}

void DownloadManager::songEnded(const SongJob& job, bool cancelled) {
  if (isDownloading()) return;
  // A round cut short (a pause, a removal, one song called off) neither completes the programme
  // nor sends it aside: it goes on where it was when downloading goes on.
  if (!cancelled && job.programId == currentDownloadingProgramId_) {
    startWhenIdle_ = false;
    endRound(job.programId);
    return;
  }
  startWhenIdle();
}

// --- State and files ---

int DownloadManager::checkProgramStateById(std::int64_t programId) {
  if (programId == currentDownloadingProgramId_ && !isDownloadPause()) return kDownloading;
  switch (DBManager::sharedManager().fetchProgramStatusById(programId)) {
    case -1:
      return kNotOffline;
    case 1:
      return kComplete;
    default:
      return kWaiting;
  }
}

bool DownloadManager::checkProgramIsDownloadById(std::int64_t programId) {
  return DBManager::sharedManager().fetchProgramStatusById(programId) == 1;
}

bool DownloadManager::isDownloadedSong(std::int64_t songId, std::int64_t programId) {
  const std::string path = getSongPathBySongId(songId, programId);
  return !path.empty() && foundation::FileManager::fileExists(path);
}

std::string DownloadManager::getSongPathBySongId(std::int64_t songId, std::int64_t programId) {
  std::optional<std::int64_t> uid = userNumber();
  return uid ? DownloadPaths::songFile(*uid, programId, songId) : std::string();
}

std::string DownloadManager::getDownloadSongsDir() { return DownloadPaths::songsDir(); }

std::string DownloadManager::getProgramDirByProgramId(std::int64_t programId) {
  std::optional<std::int64_t> uid = userNumber();
  return uid ? DownloadPaths::programDir(*uid, programId) : std::string();
}

std::string DownloadManager::getProgramPicPath(std::int64_t programId) {
  std::optional<std::int64_t> uid = userNumber();
  return uid ? DownloadPaths::programPicture(*uid, programId) : std::string();
}

ui::ImagePtr DownloadManager::getProgramPic(std::int64_t programId) {
  const std::string path = getProgramPicPath(programId);
  if (path.empty() || !foundation::FileManager::fileExists(path)) return nullptr;
  auto& cache = framework::QRVImageCacheManager::sharedManager();
  if (ui::ImagePtr cached = cache.getImageFromMemoryCache(path)) return cached;
  auto image = ui::Image::contentsOfFile(path);
  if (!image.ok()) return nullptr;
  cache.saveToMemory(image.value(), path);
  return image.value();
}

ui::ImagePtr DownloadManager::getUserPic(std::int64_t programId) {
  std::optional<std::int64_t> uid = userNumber();
  if (!uid) return nullptr;
  auto image = ui::Image::contentsOfFile(DownloadPaths::userPicture(*uid, programId));
  return image.ok() ? image.value() : nullptr;
}

int DownloadManager::countDownloadedSongWithProgramId(std::int64_t programId) {
  const std::string dir = getProgramDirByProgramId(programId);
  auto entries = foundation::FileManager::subpathsOfDirectory(dir);
  if (dir.empty() || !entries.ok()) return 0;
  return static_cast<int>(std::count_if(entries.value().begin(), entries.value().end(), [](const std::string& entry) {
    return entry.size() > 4 && entry.compare(entry.size() - 4, 4, ".mp3") == 0;
  }));
}

bool DownloadManager::removeProgramFileByProgramId(std::int64_t programId) {
  const std::string dir = getProgramDirByProgramId(programId);
  if (dir.empty()) return false;
  return !foundation::FileManager::fileExists(dir) || foundation::FileManager::removeItem(dir).ok();
}

// --- Settings and account events ---

std::string DownloadManager::pauseFlagKey() const {
  return std::string(kPauseFlagKeyPrefix) + "_" + api::UserModel::getUserId();
}

bool DownloadManager::isDownloadPauseNil() {
  return !foundation::UserDefaults::standardUserDefaults().stringForKey(pauseFlagKey());
}

bool DownloadManager::isDownloadPause() {
  return foundation::UserDefaults::standardUserDefaults().stringForKey(pauseFlagKey()) == "1";
}

void DownloadManager::setDownlodPause(bool pause) {
  auto& defaults = foundation::UserDefaults::standardUserDefaults();
  (void)defaults.setObject(std::string(pause ? "1" : "0"), pauseFlagKey());
  (void)defaults.synchronize();
}

bool DownloadManager::isNetStatusAllowDownloading() {
  const std::string kind = framework::NetWorkUitil::defaultUitil().KindOfNetWork();
  if (kind == framework::kNetWorkKindNone) return false;
  const foundation::Value wifiOnly = framework::DataCacheManager::sharedManager().getCachedObjectByKey(
      framework::kUserSettingDownloadOfflineWifiOnlyCacheKey);
  return wifiOnly.toString() == "0" || kind == framework::kNetWorkKindWiFi;
}

void DownloadManager::handleUserLogInEvent() {
  sync_downloads();
  continueDownload();
}

void DownloadManager::handleNetworkChange() {
  // A network that allows downloading again is the moment to retry failed songs at once.
  const bool allowed = isNetStatusAllowDownloading();
  const bool becameAllowed = allowed && !networkAllowed_;
  networkAllowed_ = allowed;
  if (becameAllowed && !services::AppDelegate::sharedDelegate().isOffline()) continueDownload();
}

void DownloadManager::handleUserLogoutEvent() {
  pauseDownload();
  // The programmes belonged to the user who left.
  currentDownloadingProgramId_ = 0;
  failures_.clear();
  steppedAside_.clear();
}

}  // namespace playback
