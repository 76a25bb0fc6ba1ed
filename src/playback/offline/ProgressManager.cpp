#include "src/playback/offline/ProgressManager.h"

#include "platform/foundation/NotificationCenter.h"
#include "src/playback/offline/DownloadManager.h"
#include "src/playback/offline/DownloadPaths.h"

namespace playback {

ProgressManager::ProgressManager(api::ProgramModelPtr program) : program_(std::move(program)) {
  if (!program_) return;
  programId_ = DownloadPaths::idNumber(program_->programId().value_or("")).value_or(0);
  totalBytes_ = program_->getAllSongsFileSize();
  downloadedSongCount_ = DownloadManager::sharedManager().countDownloadedSongWithProgramId(programId_);
}

void ProgressManager::setDownloadedBytes(std::int64_t bytes) {
  downloadedBytes_ = bytes;
  // A programme whose songs carry no sizes has no total: no share of it can be told yet.
  const double progress = totalBytes_ > 0 ? static_cast<double>(bytes) / static_cast<double>(totalBytes_) : 0.0;
  foundation::NotificationCenter::defaultCenter().postNotificationName(
      kDownloadProgressNotification, {},
      {{"progress", progress}, {"programId", programId_}, {"downloadedSongCount", downloadedSongCount_}});
}

}  // namespace playback
