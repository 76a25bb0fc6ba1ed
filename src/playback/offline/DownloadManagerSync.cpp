// The download manager's half that keeps the local list in step with the server's.
#include "platform/foundation/WorkerPool.h"
#include "src/api/models/UserModel.h"
#include "src/api/requests/UserRequests.h"
#include "src/playback/offline/DBManager.h"
#include "src/playback/offline/DownloadManager.h"
#include "src/playback/offline/DownloadPaths.h"
#include "src/services/shell/AppDelegate.h"

namespace playback {
namespace {

// A server id given as a number or as decimal text.
std::optional<std::int64_t> idOf(const foundation::Value& value) {
  if (value.isInteger()) {
    std::int64_t id = value.toInt64(-1);
    return id >= 0 ? std::optional<std::int64_t>(id) : std::nullopt;
  }
  const std::string* text = value.getString();
  return text ? DownloadPaths::idNumber(*text) : std::nullopt;
}

}  // namespace

void DownloadManager::sync_downloads() {
  const std::string uid = api::UserModel::getUserId();
  if (uid.empty() || isSync_ || !isNetStatusAllowDownloading()) return;
  isSync_ = true;
  std::weak_ptr<DownloadManager> weak = weak_from_this();
  auto clear = [weak](framework::QRVBaseDataRequest&) {
    if (auto self = weak.lock()) self->isSync_ = false;
  };
  api::ListSubscriptionStatusRequest::requestWithParameters(
      {{"sync", "1"}}, {.onRequestFinished =
                            [weak, uid](framework::QRVBaseDataRequest& request) {
                              auto self = weak.lock();
                              if (!self) return;
                              auto& reply = static_cast<api::BaseDataRequest&>(request);
                              if (reply.succeeded() && api::UserModel::getUserId() == uid) {
                                self->subscriptionStatusArrived(reply.resultDic(), uid);
                              } else {
                                self->isSync_ = false;
                              }
                            },
                        .onRequestCanceled = clear,
                        .onRequestFailed = [clear](framework::QRVBaseDataRequest& request,
                                                   const foundation::ErrorPtr&) { clear(request); }});
}

void DownloadManager::subscriptionStatusArrived(const foundation::Dictionary& result, const std::string& uid) {
  // A reply without a list says nothing about the list: it must not empty it.
  if (!result["data"].isArray()) {
    isSync_ = false;
    return;
  }
  std::weak_ptr<DownloadManager> weak = weak_from_this();
  foundation::WorkerPool::shared().run([weak, list = result["data"], uid] {
    std::optional<SyncPlan> plan = planMerge(list, uid);
    foundation::RunLoop::main().post([weak, plan = std::move(plan)] {
      auto self = weak.lock();
      if (!self) return;
      if (plan) {
        self->applyMerge(*plan);
      } else {
        self->isSync_ = false;
      }
    });
  });
}

std::optional<DownloadManager::SyncPlan> DownloadManager::planMerge(const foundation::Value& list, std::string uid) {
  DBManager& db = DBManager::sharedManager();
  std::set<std::int64_t> local;
  for (const std::string& id : db.fetchProgramIdByUserId(uid))
    if (auto number = DownloadPaths::idNumber(id)) local.insert(*number);
  SyncPlan plan{std::move(uid), {}, local};
  const foundation::Array& entries = *list.getArray();
  std::set<std::int64_t> seen;
  // From the last entry to the first: the programmes are added in that order.
  for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
    std::optional<std::int64_t> id = idOf((*entry)["program_id"]);
    if (!id || !seen.insert(*id).second) continue;
    plan.remove.erase(*id);
    if (!local.count(*id)) {
      plan.adds.push_back({*id, DetailFor::syncAdding});
      continue;
    }
    DownloadDataModelPtr row = db.getDownloadInfoById(*id);
    std::optional<std::int64_t> serverTime = idOf((*entry)["modify_time"]);
    // The row's own time (when it was last written), not the programme's: a row written after
    // the server's change already holds it.
    std::optional<std::int64_t> storedTime =
        row ? DownloadPaths::idNumber(row->modifyTime().value_or("")) : std::nullopt;
    if (!row || !row->program() || (serverTime && (!storedTime || *storedTime < *serverTime)))
      plan.adds.push_back({*id, DetailFor::syncReplacing});
  }
  return plan;
}

void DownloadManager::applyMerge(const SyncPlan& plan) {
  // Another user logged in while the list was compared: the plan is not theirs.
  if (api::UserModel::getUserId() != plan.uid) {
    isSync_ = false;
    return;
  }
  for (std::int64_t id : plan.remove) cancelDownloadByProgramId(id);
  syncAdds_.assign(plan.adds.begin(), plan.adds.end());
  syncUid_ = plan.uid;
  addNextSyncedProgramme();
}

// The programmes are added a second apart, so that their rows' create times, and so the order
// in which they download, follow the server's list backwards.
void DownloadManager::addNextSyncedProgramme() {
  if (syncAdds_.empty() || api::UserModel::getUserId() != syncUid_) {
    endMerge(false);
    return;
  }
  const SyncAdd next = syncAdds_.front();
  syncAdds_.pop_front();
  fetchDetail(std::to_string(next.programId), next.purpose);
  if (syncAdds_.empty()) {
    endMerge(true);
    return;
  }
  std::weak_ptr<DownloadManager> weak = weak_from_this();
  syncAddTimer_ =
      foundation::RunLoop::main().scheduleTimer(foundation::Duration(kSyncAddSpacingSeconds), false, [weak] {
        if (auto self = weak.lock()) self->addNextSyncedProgramme();
      });
}

void DownloadManager::endMerge(bool added) {
  syncAdds_.clear();
  isSync_ = false;
  if (!added) return;
  if (!isDownloadPauseNil()) {
    continueDownload();
    return;
  }
  syncAlert_ = std::make_shared<ui::AlertView>("离线节目", "", this, "稍候再看", std::vector<std::string>{"立即同步"});
  syncAlert_->show();
}

void DownloadManager::clickedButtonAtIndex(ui::AlertView&, int buttonIndex) {
  if (buttonIndex == 0) {
    setDownlodPause(true);
  } else if (buttonIndex == 1) {
    setDownlodPause(false);
    if (!services::AppDelegate::sharedDelegate().isOffline()) continueDownload();
  }
}

}  // namespace playback
