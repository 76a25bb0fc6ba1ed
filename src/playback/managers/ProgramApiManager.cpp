#include "src/playback/managers/ProgramApiManager.h"

#include "src/api/requests/ApiRequest.h"
#include "src/playback/managers/ManagerFeedback.h"
#include "src/playback/offline/DownloadManager.h"
#include "src/playback/offline/DownloadPaths.h"

namespace playback {
namespace {

void stopKeeping(const std::string& programId) {
  if (auto id = DownloadPaths::idNumber(programId)) DownloadManager::sharedManager().cancelDownloadByProgramId(*id);
}

}  // namespace

void ProgramApiManager::syncProgram(const std::string& programId, bool sync) {
  api::ApiRequest::userApi("_subscribe")
      ->postWithParameters(
          {{"program_id", programId}, {"sync", sync ? "1" : "0"}},
          [programId, sync](api::ApiRequest&) {
            if (sync) {
              DownloadManager& downloads = DownloadManager::sharedManager();
              if (downloads.isDownloadPauseNil()) downloads.setDownlodPause(false);
              downloads.addDownloadProgramAndSyncWithId(programId);
              feedback::iconToast("节目加入离线节目成功!", "programWaitingForDownload.png");
            } else {
              stopKeeping(programId);
              feedback::iconToast("节目删除成功!", "programNotDownload.png");
            }
          },
          [sync](api::ApiRequest&) { feedback::errorToast(sync ? "节目离线失败!" : "节目取消离线失败!"); });
}

void ProgramApiManager::subscribeProgram(const std::string& programId, bool subscribe) {
  auto request = subscribe ? api::ApiRequest::userApi("_subscribe") : api::ApiRequest::userApi("_unsubscribe");
  foundation::Dictionary parameters{{"program_id", programId}};
  if (subscribe) parameters.set("sync", "0");
  request->postWithParameters(
      std::move(parameters),
      [programId, subscribe](api::ApiRequest&) {
        if (subscribe) {
          feedback::post(kProgramIsCollected, {{"ProgramId", programId}});
          feedback::iconToast("节目收藏成功!", "player_collect_taped.png");
        } else {
          // A programme no longer collected is no longer kept offline either.
          stopKeeping(programId);
          feedback::post(kProgramIsCancelCollected, {{"ProgramId", programId}});
          feedback::iconToast("节目取消收藏成功!", "player_collect.png");
        }
      },
      [subscribe](api::ApiRequest& reply) {
        if (reply.resultDic()["err"].toString() == api::kErrLoginExpired) {
          feedback::loginExpired();
        } else {
          feedback::errorToast(subscribe ? "节目收藏失败!" : "节目取消收藏失败!");
        }
      });
}

void ProgramApiManager::auditProgram(const std::string& programId, const std::string& note, bool audit) {
  api::ApiRequest::radioApi("_auditProgram")
      ->postWithParameters(
          {{"program_id", programId}, {"audit_log", note}, {"audit_pass", audit ? "1" : "0"}},
          [programId, audit](api::ApiRequest&) {
            if (audit) {
              feedback::post(kProgramAuditPass, {{"ProgramId", programId}});
              feedback::topToast("节目审核通过操作成功!", nullptr);
              feedback::plainToast("节目审核通过操作成功!");
            } else {
              feedback::post(kProgramAuditFail, {{"ProgramId", programId}});
              feedback::topToast("节目审核不通过操作成功!", nullptr);
            }
          },
          [](api::ApiRequest&) { feedback::errorToast("节目审核操作失败，系统故障!"); });
}

}  // namespace playback
