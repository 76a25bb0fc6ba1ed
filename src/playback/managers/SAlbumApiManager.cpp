#include "src/playback/managers/SAlbumApiManager.h"

#include "src/api/requests/ApiRequest.h"
#include "src/playback/managers/ManagerFeedback.h"

namespace playback {
namespace {

struct AlbumOperation {
  const char* method;
  const char* flagName;
  const char* notification;
  const char* doneText;
  const char* failedText;
};

void run(const AlbumOperation& operation, const std::string& salbumId, bool on) {
  api::ApiRequest::itemApi(operation.method)
      ->postWithParameters(
          {{"salbum_id", salbumId}, {operation.flagName, on ? "1" : "0"}},
          [operation, salbumId](api::ApiRequest&) {
            feedback::post(operation.notification, {{"SalbumId", salbumId}});
            feedback::topToast(operation.doneText, "center");
          },
          [operation](api::ApiRequest&) { feedback::topToast(operation.failedText, "center"); });
}

}  // namespace

void SAlbumApiManager::activeSAlbum(const std::string& salbumId, bool active) {
  static constexpr AlbumOperation kOn{"_activeSAlbum", "active", kSalbumIsUp, "专辑上架成功!", "专辑上架失败!"};
  static constexpr AlbumOperation kOff{"_activeSAlbum", "active", kSalbumIsDown, "专辑下架成功!", "专辑下架失败!"};
  run(active ? kOn : kOff, salbumId, active);
}

void SAlbumApiManager::newSAlbum(const std::string& salbumId, bool isNew) {
  static constexpr AlbumOperation kOn{"_setNewSAlbum", "set", kSalbumIsRecommond, "专辑推荐成功!", "专辑推荐失败!"};
  static constexpr AlbumOperation kOff{"_setNewSAlbum", "set", kSalbumIsCancel, "专辑取消推荐成功!",
                                       "专辑取消推荐失败!"};
  run(isNew ? kOn : kOff, salbumId, isNew);
}

}  // namespace playback
