#pragma once

#include <cstdint>

#include "src/api/models/ProgramModel.h"

namespace playback {

// Turns a byte count of a programme's download into a progress notification: every change of
// the downloaded bytes posts "notification_download_progress". Main thread.
class ProgressManager {
 public:
  static constexpr const char* kDownloadProgressNotification = "notification_download_progress";

  // Takes the programme's id, the sum of its songs' file sizes and the number of its songs
  // already in its offline folder.
  explicit ProgressManager(api::ProgramModelPtr program);

  const api::ProgramModelPtr& program() const { return program_; }
  void setProgram(api::ProgramModelPtr program) { program_ = std::move(program); }
  std::int64_t programId() const { return programId_; }
  void setProgramId(std::int64_t programId) { programId_ = programId; }
  std::int64_t songsCount() const { return songsCount_; }
  void setSongsCount(std::int64_t count) { songsCount_ = count; }
  std::int64_t totalBytes() const { return totalBytes_; }
  void setTotalBytes(std::int64_t bytes) { totalBytes_ = bytes; }
  std::int64_t downloadedSongCount() const { return downloadedSongCount_; }
  void setDownloadedSongCount(std::int64_t count) { downloadedSongCount_ = count; }
  std::int64_t downloadedBytes() const { return downloadedBytes_; }
  // Posts the progress: {"progress": downloaded over total bytes (0 while the total is
  // unknown), "programId", "downloadedSongCount"}.
  void setDownloadedBytes(std::int64_t bytes);

 private:
  api::ProgramModelPtr program_;
  std::int64_t programId_ = 0;
  std::int64_t songsCount_ = 0;
  std::int64_t totalBytes_ = 0;
  std::int64_t downloadedBytes_ = 0;
  std::int64_t downloadedSongCount_ = 0;
};

}  // namespace playback
