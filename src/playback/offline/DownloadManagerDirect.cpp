// The download manager's calls on one given programme or song: adding a programme from its
// model, asking for its stored cover, cancelling one song.
#include "platform/foundation/FileManager.h"
#include "src/http/HTTPRequest.h"
#include "src/http/NetworkQueue.h"
#include "src/playback/offline/DBManager.h"
#include "src/playback/offline/DownloadManager.h"
#include "src/playback/offline/DownloadPaths.h"

namespace playback {

bool DownloadManager::downloadProgram(const api::ProgramModelPtr& program) {
  if (!program) return false;
  const std::string idText = program->programId().value_or("");
  std::optional<std::int64_t> id = DownloadPaths::idNumber(idText);
  if (!id) return false;
  DBManager& db = DBManager::sharedManager();
  if (db.programIsExist(*id)) return false;
  // Without its songs the model cannot be stored as it is: its detail is fetched instead.
  if (program->songsArr().empty()) return addDownloadProgramAndSyncWithId(idText);
  if (!db.insertProgram(program)) return false;
  downloadProgramPic(program->picUrl().value_or(""), *id);
  downloadUserPic(program->user() ? program->user()->picUrl().value_or("") : "", *id);
  return downloadProgramById(*id);
}

bool DownloadManager::checkHasProgramPicWithProgramId(std::int64_t programId) {
  const std::string path = getProgramPicPath(programId);
  return !path.empty() && foundation::FileManager::fileExists(path);
}

void DownloadManager::cancelDownloadSongWithSongId(std::int64_t songId) {
  for (const auto& operation : downloadQueue_->operations()) {
    auto request = std::dynamic_pointer_cast<http::HTTPRequest>(operation);
    if (!request || request->tag() != songId || !inFlight_.count(request.get())) continue;
    // Its cancellation is reported like any other and takes the song out of the songs under
    // way; the song is fetched again the next time its programme goes on.
    request->cancel();
    return;
  }
}

}  // namespace playback
