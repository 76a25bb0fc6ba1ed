// The download manager's half that keeps a programme's cover and its creator's picture.
#include "platform/foundation/FileManager.h"
#include "src/http/HTTPRequest.h"
#include "src/playback/offline/DBManager.h"
#include "src/playback/offline/DownloadManager.h"
#include "src/playback/offline/DownloadPaths.h"

namespace playback {

void DownloadManager::downloadProgramPic(const std::string& url, std::int64_t programId) {
  downloadPicture(url, programId, true);
}

void DownloadManager::downloadUserPic(const std::string& url, std::int64_t programId) {
  downloadPicture(url, programId, false);
}

void DownloadManager::downloadPicture(const std::string& url, std::int64_t programId, bool cover) {
  std::optional<std::int64_t> uid = userNumber();
  if (!uid || !(url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0)) return;
  const std::string path =
      cover ? DownloadPaths::programPicture(*uid, programId) : DownloadPaths::userPicture(*uid, programId);
  auto request = http::HTTPRequest::requestWithURL(cover ? url + "!large2" : url);
  std::weak_ptr<http::HTTPRequest> weak = request;
  request->setCompletionBlock([weak, path, uid = *uid, programId] {
    auto fetched = weak.lock();
    if (!fetched || fetched->responseStatusCode() / 100 != 2) return;
    std::optional<foundation::Bytes> bytes = fetched->responseData();
    // Only a picture is kept; and none for a programme that left the list meanwhile, whose
    // folder would be left behind.
    if (!bytes || !ui::Image::decode(*bytes).ok() || !DBManager::sharedManager().programIsExist(programId)) return;
    if (foundation::FileManager::createDirectory(DownloadPaths::programDir(uid, programId)).ok())
      (void)foundation::FileManager::writeAtomically(path, *bytes);
  });
  request->startAsynchronous();
}

}  // namespace playback
